#pragma once
// The effect's own class: its configuration, its seven parameters and the
// signal path that processes every block.

#include "effect/SignalPath.h"
#include "vst2/IFxVST2.h"

namespace ombrisk {

class Ombrisk final : public fx::IFxVST2 {
 public:
  explicit Ombrisk(const fx::HostLaunchInfo& info);
  ~Ombrisk() override;

  void ProcessAudioBlock(double** inputs, double** outputs, std::int32_t nFrames) override;
  void OnProcessorReset() override;

  // The configuration record the class is built from.
  static fx::IFxConfig MakeConfig();

  const SignalPath& GetSignalPath() const { return signalPath_; }

 private:
  SignalPath signalPath_;
};

}  // namespace ombrisk
