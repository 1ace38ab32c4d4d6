#pragma once
// The sound of the effect: per channel, a 20 kHz low-pass, a drive stage
// whose behaviour near full scale depends on the recent output, a dry/wet
// blend, a transient tamer, an output gain into a soft-knee clipper, a
// short-history smoother, a 20 Hz high-pass, a second low-pass pass and a
// final cubic soft clip limited to +-1.0. Every computation is in 64-bit
// floating point in the order written below; no step may be reordered or
// fused, because the output is reproduced bit for bit.
//
// Glossary of the short names (block values and per-sample values):
//   G        drive gain, 3^(Input Gain / 100)
//   makeup   level correction after the drive, falls as Input Gain rises
//   c        drive amount: G clamped to [0, 1] (blend of dry and driven)
//   K        tame constant from Tame, divided by the previous block's M
//   N, M     history reach in samples (1 at 44.1 kHz, growing with the
//            rate; N up to 4.5, M up to 9)
//   i1, t1   integer and fractional part of N - 1: where the "recent"
//            history value is read (linear interpolation between i1, i1+1)
//   i2       integer part of 2N - 1: where the "older" history value is read
//   U        this block's random number in [0, 1) (from the block seed)
//   kmix     divisor of the history corrections, between kHigh and kLow by U
//   srBlend  0 at 44.1 kHz rising to 1 at 192 kHz: how much smoothing is kept
//   phi      the golden ratio, spacing the React thresholds
//   W, R     React's lower and upper thresholds of the tamer; q and gi the
//            two blend weights derived from them
//   Z        the tamer's corrected sample before bias; S the smoother's
//   da, dc, dd  interpolated past values of the output, tamer and smoother
//            histories
//   slope0, diffD  the latest slope of the tamer and the latest history
//            difference (the bias stage leans on their sign)

#include <cstdint>
#include <vector>

#include "effect/OmbriskParameters.h"
#include "effect/RateCoefficientTable.h"

namespace ombrisk {

class SignalPath {
 public:
  static constexpr int kHistoryLength = 32;  // nominal length of every history
  static constexpr int kFilterSlots = 12;

  // The two uses of the shared shaping function.
  enum class ShapeKind { kDrive = 1, kKnee = 2 };

  // Values computed once per block from the parameters, rate and U.
  struct BlockSetup {
    double G = 1.0;        // drive gain 3^(p0/100)
    double makeup = 1.0;   // drive make-up
    double c = 1.0;        // clamp01(G)
    double outGain = 1.0;  // p5/100
    double wet = 0.0;      // p1/100, not negative
    double bias = 0.0;     // 2 p6 - 1
    double K = 0.0;        // tame constant, divided by the previous block's M
    double N = 1.0;
    double M = 2.0;
    double srBlend = 0.0;
    double U = 0.0;
    double kmix = 2.0023318412286;
    double t1 = 0.0;
    std::int32_t bypass = 0;
    std::int32_t react = 0;
    std::int32_t i1 = 0;
    std::int32_t i2 = 1;
  };

  explicit SignalPath(std::int32_t channelCapacity);

  // params: the seven real parameter values by their ParamIndex, read once
  // by the caller.
  // Processes max(2, connectedOutputs) channels (never more than the
  // capacity), each over all frames; null channel pointers are skipped.
  void ProcessAudioBlock(const double* params, double sampleRate, std::int32_t connectedOutputs,
                         double** inputs, double** outputs, std::int32_t nFrames);

  // Selects the coefficient row of the rate; other rates keep the last row.
  void OnProcessorReset(double sampleRate);

  // Block set-up step by step (also advances the stored previous M).
  BlockSetup PrepareBlock(const double* params, double sampleRate, double U);

  // The shared shaping function of the drive and the knee clipper, with the
  // geometry of the last prepared block. 0 for a channel out of range.
  double ShapeWithHistory(ShapeKind kind, std::int32_t channel, double x, double k);

  std::int32_t GetChannelCapacity() const { return capacity_; }
  const BiquadCoefficients& GetLowPass() const { return lowPass_; }
  const BiquadCoefficients& GetHighPass() const { return highPass_; }
  double GetPreviousM() const { return previousM_; }
  const BlockSetup& GetLastBlock() const { return block_; }
  // True when every state value of the channel is 0 (as constructed).
  bool IsChannelStateZero(std::int32_t channel) const;

 private:
  // The histories are read at most 9 samples back, so a 16-entry ring
  // replaces the per-sample shift of the 32-entry arrays without changing a
  // bit. driveHist and clipHist take elements 1 and up from smoothHist: only
  // their element 0 is their own.
  static constexpr unsigned kRing = 16;

  struct ChannelState {
    double filterState1[kFilterSlots];
    double filterState2[kFilterSlots];
    double outHist[kRing];
    double tameHist[kRing];
    double smoothHist[kRing];
    unsigned head;  // ring index of element 0
    double slope0;  // slopeHist element 0: older elements are never read
    double drive0;
    double clip0;
    double diffD;
  };

  struct Constants;  // per-block values in the form the sample loop wants

  Constants MakeConstants(const BlockSetup& bs) const;
  struct Lane;  // one channel's buffers and the values carried between stages

  static void StageInput(Lane& v, const Constants& k, std::int32_t n);
  static void StageDrive(Lane& v, const Constants& k);
  static void StageTamerThreshold(Lane& v, const Constants& k);
  static void StageTamerCorrect(Lane& v, const Constants& k);
  static void StageClip(Lane& v, const Constants& k);
  static void StageSmooth(Lane& v, const Constants& k);
  static void StageOutput(Lane& v, const Constants& k, std::int32_t n);
  template <int kLanes>
  static void ProcessLanes(Lane* lanes, const Constants& k, std::int32_t nFrames);
  static double Shape(ShapeKind kind, const ChannelState& s, double& h0, const BlockSetup& bs, double x, double k);
  // True when pred(value) holds for every number of the state, fields first,
  // then filter slots, then histories; stops at the first that fails.
  template <typename Pred>
  static bool EveryStateValue(const ChannelState& s, Pred pred);
  static bool IsFinite(const ChannelState& s);
  static void Zero(ChannelState& s);

  std::int32_t capacity_;
  BiquadCoefficients lowPass_;
  BiquadCoefficients highPass_;
  double kLow_ = 2.0011596521816433;
  double kHigh_ = 2.0023318412286;
  double phi_ = 1.618033988749895;
  double previousM_ = 2.0;
  BlockSetup block_;
  std::vector<ChannelState> channels_;
};

}  // namespace ombrisk
