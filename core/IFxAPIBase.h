#pragma once
// The host-neutral side every host binding derives from: keeps the
// configuration, identifies the host, carries parameter values, MIDI and
// system-exclusive messages between the host/audio side and the editor
// through fixed lock-free queues, and drains them towards the editor on a
// 20 ms timer. The host-facing hooks are empty here; the binding fills them.
//
// Queue producers and consumers (one thread each, except that any host
// thread may produce parameter values):
//   ParamsToEditor   host/audio side (QueueParamValueForEditor) -> timer tick
//   MidiFromEditor   editor (QueueEditorMidi)                    -> audio side (PopMidiFromEditor)
//   MidiToEditor     binding (QueueMidiForEditor)                -> timer tick
//   SysExFromEditor  editor (QueueEditorSysEx)                   -> audio side (PopSysExFromEditor)
//   SysExToEditor    binding (QueueSysExForEditor)               -> timer tick
//
// Parameter routes, both directions (ChangeSource in brackets):
//
//   host -> model -> editor
//     function                                 thread               does
//     setParameter / effString2Parameter        host or audio        IParam value (atomic store)
//     QueueParamValueForEditor                  host or audio        real value into ParamsToEditor
//     IEditorDelegate::OnParamChange [Host]     host or audio        trace, OnParamChanged (no editor state)
//     OnTimerTick                               user interface       drains ParamsToEditor ...
//     PushParamValueToEditor                    user interface       ... to the bound controls
//     OnParamChangeInEditor [Delegate]          user interface       the effect's editor-side hook
//
//   editor -> model -> host
//     BeginParamGestureFromEditor               user interface       BeginParamGesture -> host
//     SetParamFromEditor                        user interface       IParam value, then:
//       SendParamValueToHost                    user interface       automation to the host
//       IEditorDelegate::OnParamChange [UI]     user interface       trace, OnParamChanged
//       OnParamChangeInEditor [UI]              user interface       the effect's editor-side hook
//     EndParamGestureFromEditor                 user interface       EndParamGesture -> host
//
//   whole state (effOpen [Reset], chunks and presets): OnAllParamsChanged;
//   OnStateRestored (any thread) raises the restore serial, and the next
//   timer tick, after draining ParamsToEditor, calls SendAllParamValuesToEditor
//   on the user-interface thread. Hosts load presets from background threads
//   while the editor is open; the controls are reached only from the tick.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/IFxBase.h"
#include "core/HostId.h"
#include "core/IFxConfig.h"
#include "core/MpscQueue.h"
#include "core/SpscQueue.h"
#include "core/SysExRecord.h"
#include "core/TextBuffer.h"
#include "core/Timer.h"

namespace fx {

class IFxAPIBase : public IFxBase {
 public:
  struct ParamChange {
    std::int32_t index = 0;
    double value = 0.0;  // real, not normalised
  };

  static constexpr std::int32_t kParamsToEditorCapacity = 513;
  static constexpr std::int32_t kMidiQueueCapacity = 33;
  static constexpr std::int32_t kSysExQueueCapacity = 5;
  static constexpr std::uint32_t kTimerPeriodMs = 20;
  static constexpr std::size_t kDisplayTextChars = 32;

  explicit IFxAPIBase(const IFxConfig& config);
  ~IFxAPIBase() override;

  // Editor-side operations, towards the host.
  void PushAllParamsToHost() override;
  void BeginParamGestureFromEditor(std::int32_t index) override;
  void SetParamFromEditor(std::int32_t index, double normalized) override;
  void EndParamGestureFromEditor(std::int32_t index) override;
  bool ResizeFromEditor(std::int32_t width, std::int32_t height, bool needsPlatformResize) override;
  void SendMidiFromEditor(const MidiMessage& message) override;
  void SendSysExFromEditor(const SysExMessage& message) override;
  void SendMessageFromEditor(std::int32_t messageTag, std::int32_t controlTag, std::int32_t dataSize,
                             const void* data) override;
  void QueueEditorMidi(const MidiMessage& message) override;
  void QueueEditorSysEx(const SysExMessage& message) override;
  // Any thread: the editor shows the restored values at the next tick.
  void OnStateRestored() override;

  // Virtual operations added here.
  // True when every parameter's value matches data[position + i] to float
  // precision; data holds count doubles (false when it holds too few).
  virtual bool StateMatches(const double* data, std::int32_t count, std::int32_t position) const;
  virtual void AfterHostIdentified();
  virtual bool GetMidiNoteName(std::int32_t note, TextBuffer& name);
  virtual IGraphicsContext* GetEditorGraphics();
  virtual void OnIdleTick();
  virtual void QueueParamValueForEditor(std::int32_t index, double value, bool isNormalized);
  virtual void ApplyHostQuirks();
  virtual bool ResizeEditorWindow(std::int32_t width, std::int32_t height);
  virtual void BeginParamGesture(std::int32_t index);
  virtual void EndParamGesture(std::int32_t index);
  virtual void SendParamValueToHost(std::int32_t index, double normalized);

  // Extension points. Nothing in the framework or the VST2 binding calls
  // these yet; they mark where a binding for another host interface, or an
  // effect that needs the feature, plugs in. The defaults do nothing and
  // give neutral answers.
  // - the host's parent window was resized:
  virtual void OnParentWindowResize(std::int32_t width, std::int32_t height);
  // - state beyond the parameter values, written after and read after them:
  virtual void OnBeforeStateWrite();
  virtual bool WriteExtraState(StateChunk& chunk);                                  // true
  virtual std::int32_t ReadExtraState(const StateChunk& chunk, std::int32_t position);  // position
  // - the host's help and about requests (false: not answered):
  virtual bool OnHostRequestingProductHelp();
  virtual bool OnHostRequestingAboutBox();
  // - the first count parameters, for hosts that show a few (nothing when
  //   count is not below the number of parameters):
  virtual void ListImportantParams(std::int32_t count, std::vector<std::int32_t>& list);
  // - editor view configurations a host may offer (every size accepted):
  virtual bool OnHostRequestingSupportedViewConfiguration(std::int32_t width, std::int32_t height);
  virtual void OnHostSelectedViewConfiguration(std::int32_t width, std::int32_t height);
  // - the host's track (black, index 0):
  virtual void GetTrackColor(std::int32_t& red, std::int32_t& green, std::int32_t& blue);
  virtual void SetTrackIndex(std::int32_t index);
  virtual std::int32_t GetTrackIndex();
  virtual void SetTrackNamespaceIndex(std::int32_t index);
  virtual std::int32_t GetTrackNamespaceIndex();
  // - latency and tail hints for hosts that take them outside processing:
  virtual void SetHostLatencyHint(std::int32_t samples);
  virtual void SetHostTailHint(std::int32_t samples);

  // Records the host (binding, once, while the host id is -1).
  void SetHost(const char* productName, std::int32_t version);
  static std::int32_t IdentifyHost(const char* productName);
  void GetHostVersionText(TextBuffer& out) const;
  const char* GetAPIName() const;
  static const char* APIName(std::int32_t kind);

  // Creates (or replaces) the 20 ms editor timer; the binding's last step.
  void StartEditorTimer();
  void OnTimerTick(Timer& timer);

  // Queue ends for the binding.
  bool PopMidiFromEditor(MidiMessage& out);  // audio thread
  // Audio thread. Copies the record into a work area that out points into;
  // valid until the next call.
  bool PopSysExFromEditor(SysExMessage& out);
  bool QueueMidiForEditor(const MidiMessage& message);  // host MIDI events
  bool QueueSysExForEditor(const SysExMessage& message);

  TextBuffer& GetParamDisplayText() { return paramDisplayText_; }
  Timer* GetTimer() const { return timer_.get(); }

  MpscQueue<ParamChange>& ParamsToEditor() { return paramsToEditor_; }
  SpscQueue<MidiMessage>& MidiFromEditor() { return midiFromEditor_; }
  SpscQueue<MidiMessage>& MidiToEditor() { return midiToEditor_; }
  SpscQueue<SysExRecord>& SysExFromEditor() { return sysExFromEditor_; }
  SpscQueue<SysExRecord>& SysExToEditor() { return sysExToEditor_; }

  // "%Y%m%d %H:%M " and the offset of local from universal time, +hhmm or -hhmm.
  static void FormatTimestamp(const std::tm& local, const std::tm& utc, TextBuffer& out);
  // The timestamp taken by the last construction.
  static std::string GetConstructionTimestamp();

 private:
  static bool MakeSysExRecord(const SysExMessage& message, SysExRecord& record);

  TextBuffer paramDisplayText_;
  std::unique_ptr<Timer> timer_;
  MpscQueue<ParamChange> paramsToEditor_{kParamsToEditorCapacity};
  SpscQueue<MidiMessage> midiFromEditor_{kMidiQueueCapacity};
  SpscQueue<MidiMessage> midiToEditor_{kMidiQueueCapacity};
  SpscQueue<SysExRecord> sysExFromEditor_{kSysExQueueCapacity};
  SpscQueue<SysExRecord> sysExToEditor_{kSysExQueueCapacity};
  SysExRecord sysExWork_;  // audio side
  SysExRecord tickSysEx_;  // timer tick
  // Raised by every state restore; the tick compares it with the last one it
  // sent, so several restores between two ticks send the values once.
  std::atomic<std::uint32_t> stateRestoredSerial_{0};
  std::uint32_t stateSentSerial_ = 0;  // timer tick
};

}  // namespace fx
