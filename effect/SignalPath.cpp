#include "effect/SignalPath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effect/BlockRandom.h"
#include "effect/DenormalNoise.h"

namespace ombrisk {
namespace {

constexpr double kC1 = 0.9885530946569389;         // -0.1 dB
constexpr double kC2 = 0.9772372209558107;         // -0.2 dB
constexpr double kKneeWidth = 0.02276277904418933;  // 1 - c2
constexpr double kKneeStart = 0.8;
constexpr double kKneeSpan = 0.19999999999999996;  // 1 - 0.8 in double arithmetic
constexpr double kCubicA = 0.45;
constexpr double kCubicB = 1.45;
constexpr double kMakeupSlope = 0.3546842186847654;
constexpr double kTamerW1 = 0.91213574841;
constexpr double kTamerW2 = 0.58223574541;
constexpr double kTiny = 1e-30;
constexpr double kTiny2 = 1e-38;
constexpr double kSubnormalGuard = 1.2e-38;
constexpr double kWetKnee = 0.85;

// max(0, min(1, v)), the minimum first; a NaN passes through.
inline double Clamp01(double v) {
  const double m = (1.0 < v) ? 1.0 : v;
  return (m < 0.0) ? 0.0 : m;
}

// (1 - t) a + t b, as the two products and then their sum.
inline double Lerp(double a, double b, double t) { return (1.0 - t) * a + t * b; }

// Truncation toward zero to a 32-bit integer, defined for every double.
inline std::int32_t Trunc32(double v) {
  if (!(v > -2147483648.0)) return v != v ? 0 : INT32_MIN;
  if (!(v < 2147483648.0)) return INT32_MAX;
  return static_cast<std::int32_t>(v);
}

// The cubic soft clip above the knee start, shared by the knee clipper and
// the final stage.
inline double CubicSoftClip(double a) {
  const double w = Clamp01((a - kKneeStart) / kKneeSpan);
  const double qv = (std::fabs(a + kC1) - std::fabs(a - kC1)) * kCubicA;
  return a * (1.0 - w) + w * (kCubicB * qv - ((qv * kCubicA) * qv) * qv);
}

// One quotient of the tamer carries no offset; 0/0 would otherwise leave a
// NaN in the state. Its natural limit, 0, is used instead.
inline double QuotientOrZero(double num, double den) {
  const double q = num / den;
  return q != q ? 0.0 : q;
}

}  // namespace

SignalPath::SignalPath(std::int32_t channelCapacity)
    : capacity_(std::max<std::int32_t>(channelCapacity, 2)),
      lowPass_(RateCoefficientTable::kInitialLowPass),
      highPass_(RateCoefficientTable::kInitialHighPass),
      channels_(static_cast<std::size_t>(capacity_)) {
  for (ChannelState& s : channels_) Zero(s);
}

void SignalPath::Zero(ChannelState& s) { std::memset(&s, 0, sizeof s); }

void SignalPath::OnProcessorReset(double sampleRate) {
  if (const RateCoefficientRow* row = RateCoefficientTable::Find(Trunc32(sampleRate))) {
    lowPass_ = row->lowPass;
    highPass_ = row->highPass;
  }
}

SignalPath::BlockSetup SignalPath::PrepareBlock(const double* p, double fs, double U) {
  BlockSetup bs;
  // A rate the host never should send (NaN, infinite) counts as 0 Hz: the
  // clamps below then give the 44100 Hz geometry instead of undefined reads.
  if (!std::isfinite(fs)) fs = 0.0;
  bs.srBlend = Clamp01((fs - 44100.0) / 147900.0);
  bs.U = U;
  bs.G = std::pow(3.0, p[0] / 100.0);
  bs.makeup = 1.0 - (kMakeupSlope * (p[0] / 100.0) + kTiny2);
  bs.c = Clamp01(bs.G);
  bs.outGain = p[5] / 100.0;
  bs.wet = p[1] / 100.0;
  if (bs.wet < 0.0) bs.wet = 0.0;
  bs.bypass = Trunc32(p[4]);
  bs.bias = 2.0 * p[6] - 1.0;
  bs.react = Trunc32(p[3]);
  bs.K = std::pow(1.5 * p[2], 11.0) / (previousM_ + kTiny);

  double N = fs * 2.2675736961451248e-05;
  if (1.0 > N) N = 1.0;
  if (N > 4.5) N = 4.5;
  double M = fs * 4.5351473922902495e-05;
  if (1.0 > M)
    M = 1.0;
  else if (M > 9.0)
    M = 9.0;
  bs.N = N;
  bs.M = M;
  previousM_ = M;

  bs.i1 = Trunc32(N - 1.0);
  bs.t1 = Clamp01((N - 1.0) - bs.i1);
  bs.i2 = Trunc32(2.0 * N - 1.0);
  bs.kmix = (1.0 - Clamp01(U)) * kHigh_ + Clamp01(U) * kLow_;
  block_ = bs;
  return bs;
}

double SignalPath::Shape(int kind, const ChannelState& s, double& h0, const BlockSetup& bs, double x, double k) {
  const unsigned head = s.head;
  auto H = [&](std::int32_t j) { return j == 0 ? h0 : s.smoothHist[(head + static_cast<unsigned>(j)) & (kRing - 1)]; };
  const double t1 = bs.t1;
  const double ax = std::fabs(x);
  double z;
  if (H(bs.i2 + 1) == 0.0) {
    z = ax;
  } else if (kind == 1) {
    const double g = Clamp01(ax - kC1);
    if (g == 0.0) {
      // With g = 0 the blend below reduces exactly to tanh(|x|): every other
      // term is multiplied by a zero and added to a finite value.
      z = Clamp01(std::tanh(ax));
    } else {
      const double A = Lerp(H(bs.i1), H(bs.i1 + 1), t1);
      const double B = Lerp(H(bs.i2), H(bs.i2 + 1), t1);
      const double T1 = std::tanh(ax - A);
      const double T2 = std::tanh(A - B);
      const double T3 = std::tanh((T1 - T2) / (k + kTiny));
      const double T4 = std::tanh(ax - T3);
      double a = ax;
      if (T1 > T2) {
        const double sc = Clamp01(std::tanh(T1 / (T2 + kTiny)));
        a = g * ((1.0 - sc) * ax + sc * A) + (1.0 - g) * ax;
      }
      z = Clamp01(std::tanh((1.0 - g) * a + g * T4));
    }
  } else {
    z = ax;
    if (ax > kC2) {
      const double e = ax - kC2;
      const double hk = Clamp01(e / kKneeWidth);
      z = hk * (0.5 * std::tanh(e) + 0.5 * e + kC2) + (1.0 - hk) * ax;
    }
    if (z > kKneeStart) z = CubicSoftClip(z);
  }
  h0 = z;
  const double r = (0.0 < z) ? z : 0.0;
  return x < 0.0 ? -r : r;
}

double SignalPath::ShapeWithHistory(int kind, std::int32_t channel, double x, double k) {
  if (channel < 0 || channel >= capacity_ || (kind != 1 && kind != 2)) return 0.0;
  ChannelState& s = channels_[static_cast<std::size_t>(channel)];
  return Shape(kind, s, kind == 1 ? s.drive0 : s.clip0, block_, x, k);
}

struct SignalPath::Constants {
  BiquadCoefficients lp, hp;
  const BlockSetup* bs;
  double t1, kmixDiv, kk, srb, bias, wetW, wetKneeW, phi;
  unsigned i1, i2;
  bool reactOn, bypass, wetKnee;
};

SignalPath::Constants SignalPath::MakeConstants(const BlockSetup& bs) const {
  Constants k;
  k.lp = lowPass_;
  k.hp = highPass_;
  k.bs = &block_;
  k.t1 = bs.t1;
  k.kmixDiv = bs.kmix + kTiny;
  k.kk = Clamp01(bs.K);
  k.srb = Clamp01(bs.srBlend);
  k.bias = bs.bias;
  k.wetW = Clamp01(bs.wet);
  k.wetKnee = bs.wet < kWetKnee;
  k.wetKneeW = Clamp01(bs.wet / kWetKnee);
  k.phi = phi_;
  k.i1 = static_cast<unsigned>(bs.i1);
  k.i2 = static_cast<unsigned>(bs.i2);
  k.reactOn = bs.react == 1;
  k.bypass = bs.bypass != 0;
  return k;
}

#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline void SignalPath::ProcessSample(ChannelState& s, const Constants& k, const double* in, double* out,
                                      std::int32_t n, std::int32_t& noiseCounter) {
  const BlockSetup& bs = *k.bs;
  const BiquadCoefficients& lp = k.lp;
  const BiquadCoefficients& hp = k.hp;
  const double t1 = k.t1;
  const unsigned i1 = k.i1;
  const unsigned i2 = k.i2;
  const double b = k.bias;
  constexpr unsigned mask = kRing - 1;

  // 1. Input and subnormal guard.
  double x = in[n];
  if (x < kSubnormalGuard && -x < kSubnormalGuard) x = DenormalNoiseAt(noiseCounter);

  // 2. Input low-pass, filter slot 0.
  const double y = lp.b0 * x + s.filterState1[0];
  s.filterState1[0] = lp.b1 * x - lp.a1 * y + s.filterState2[0];
  s.filterState2[0] = lp.b2 * x - lp.a2 * y;
  const double dry = y;
  // The stored sample matters when the host processes in place: a bypassed
  // block then reads it back as its "input".
  out[n] = y;

  // 3. History shift; element 0 keeps its value.
  const unsigned prevHead = s.head;
  const unsigned head = (prevHead - 1u) & mask;
  s.head = head;
  s.outHist[head] = s.outHist[prevHead];
  s.tameHist[head] = s.tameHist[prevHead];
  s.smoothHist[head] = s.smoothHist[prevHead];
  auto outH = [&](unsigned j) -> double& { return s.outHist[(head + j) & mask]; };
  auto tameH = [&](unsigned j) -> double& { return s.tameHist[(head + j) & mask]; };
  auto smoothH = [&](unsigned j) -> double& { return s.smoothHist[(head + j) & mask]; };

  // 4. Bypass.
  if (k.bypass) {
    outH(0) = y;
    const double raw = in[n];
    // Pass-through keeps every finite sample; a NaN or infinity is muted.
    out[n] = std::isfinite(raw) ? raw : 0.0;
    return;
  }

  // 5. Drive and wet blend.
  const double s1 = Shape(1, s, s.drive0, bs, bs.G * y, bs.kmix);
  const double vd = (1.0 - bs.c) * y + bs.c * (s1 * bs.makeup);
  const double vw = (1.0 - k.wetW) * dry + k.wetW * vd;

  // 6. Tamer.
  const double o = vw;
  double sample = vw;
  if (outH(i1 + 1) != 0.0) {
    const double da = Lerp(outH(i1), outH(i1 + 1), t1);
    s.slope0 = o - da;
    const double m = (o - da + 1.0) * 0.5;
    double W, q = 1.0, gi = 0.0;
    if (k.reactOn) {
      const double mc = Clamp01(m);
      W = std::pow(1.0 - ((1.0 - mc) * kTamerW1 + mc * kTamerW2), 4.0) / (bs.M + kTiny);
      q = Clamp01(QuotientOrZero(m, da));
      const double R = (W + bs.K) / k.phi;
      gi = 1.0 - Clamp01(QuotientOrZero(m - W, R - W));
    } else {
      // Without React, q and gi are not used.
      W = kTiny;
    }
    const double dc = Lerp(tameH(i1), tameH(i1 + 1), t1);
    double Z = dc + W;
    if (s.slope0 != W) {
      s.diffD = Z - dc;
      Z = Z - (W - s.slope0) / k.kmixDiv;
      if (k.reactOn) {
        Z = 0.75 * ((1.0 - Clamp01(gi)) * o + Clamp01(gi) * Z) + 0.25 * (Clamp01(q) * Z + (1.0 - Clamp01(q)) * o);
      }
      Z = Z - s.diffD / k.kmixDiv;
    }
    double Zs = Z;
    if (o < 0.0 && Z > 0.0) Zs = Z * 0.5 + o * 0.5;
    double o2 = (1.0 - k.kk) * o + k.kk * Zs;
    if (b > 0.0 && s.slope0 > 0.0) {
      const double w = Clamp01(1.0 - b);
      o2 = (1.0 - w) * o + w * o2;
    } else if (b < 0.0 && s.slope0 < 0.0) {
      const double w = Clamp01(b + 1.0);
      o2 = (1.0 - w) * o + w * o2;
    }
    // tameHist[0] briefly holds Z in the written order; only o2 survives.
    tameH(0) = o2;
    sample = o2;
  }
  outH(0) = sample;

  // 7. Output gain and knee clipper.
  const double o3 = bs.outGain * sample;
  const double s2 = Shape(2, s, s.clip0, bs, o3, bs.kmix);

  // 8. Smoother.
  double S = s2;
  if (smoothH(i2) != 0.0) {
    const double dd = Lerp(smoothH(i1), smoothH(i1 + 1), t1);
    s.diffD = s2 - dd;
    S = s2 - s.diffD / k.kmixDiv;
  }
  smoothH(0) = (1.0 - k.srb) * s2 + k.srb * S;
  sample = S;
  if (b > 0.0 && s.diffD > 0.0) {
    const double w = Clamp01(1.0 - b);
    sample = (1.0 - w) * s2 + w * S;
  } else if (b < 0.0 && s.diffD < 0.0) {
    const double w = Clamp01(b + 1.0);
    sample = (1.0 - w) * s2 + w * S;
  }

  // 9. High-pass, filter slot 6, with its state limited to +-1.
  if (s.filterState1[6] > 1.0)
    s.filterState1[6] = 1.0;
  else if (s.filterState1[6] < -1.0)
    s.filterState1[6] = -1.0;
  if (s.filterState2[6] > 1.0)
    s.filterState2[6] = 1.0;
  else if (s.filterState2[6] < -1.0)
    s.filterState2[6] = -1.0;
  const double h = hp.b0 * sample + s.filterState1[6];
  s.filterState1[6] = hp.b1 * sample - hp.a1 * h + s.filterState2[6];
  s.filterState2[6] = hp.b2 * sample - hp.a2 * h;
  sample = h;

  // 10. Wet knee.
  if (k.wetKnee) sample = k.wetKneeW * h + (1.0 - k.wetKneeW) * dry;

  // 11. Output low-pass, filter slot 7.
  const double y3 = lp.b0 * sample + s.filterState1[7];
  s.filterState1[7] = lp.b1 * sample - lp.a1 * y3 + s.filterState2[7];
  s.filterState2[7] = lp.b2 * sample - lp.a2 * y3;

  // 12. Final soft clip.
  double a = std::fabs(y3);
  if (a > kKneeStart) a = CubicSoftClip(a);
  if (y3 < 0.0) a = -a;
  if (a > 1.0) a = 1.0;
  if (a < -1.0) a = -1.0;
  // Only a non-finite input can get here with a NaN: never hand it on.
  out[n] = (a == a) ? a : 0.0;
}

void SignalPath::ProcessAudioBlock(const double* params, double sampleRate, std::int32_t connectedOutputs,
                                   double** inputs, double** outputs, std::int32_t nFrames) {
  const std::int32_t nch = std::min(std::max<std::int32_t>(2, connectedOutputs), capacity_);
  const double U = BlockUniform(NextBlockSeed());
  const BlockSetup bs = PrepareBlock(params, sampleRate, U);
  if (nFrames <= 0 || !inputs || !outputs) return;
  const Constants k = MakeConstants(bs);
  // Channel by channel, each over all frames: when the host hands one buffer
  // to several channels, a later channel reads what an earlier one wrote.
  for (std::int32_t ch = 0; ch < nch; ++ch) {
    const double* in = inputs[ch];
    double* out = outputs[ch];
    if (!in || !out) continue;
    ChannelState& s = channels_[static_cast<std::size_t>(ch)];
    ProcessChannel(s, k, in, out, nFrames);
    // A NaN or infinity that reached the state would stay there for ever;
    // the channel starts afresh instead. Finite input never gets here.
    if (!IsFinite(s)) Zero(s);
  }
}

void SignalPath::ProcessChannel(ChannelState& s, const Constants& k, const double* in, double* out,
                                std::int32_t nFrames) {
  // The shared counter is read once and written back once per channel block.
  std::int32_t noise = GetNoiseCounter();
  for (std::int32_t n = 0; n < nFrames; ++n) ProcessSample(s, k, in, out, n, noise);
  SetNoiseCounter(noise);
}

bool SignalPath::IsFinite(const ChannelState& s) {
  double sum = s.slope0 + s.drive0 + s.clip0 + s.diffD;
  for (int i = 0; i < kFilterSlots; ++i) sum += s.filterState1[i] + s.filterState2[i];
  for (unsigned i = 0; i < kRing; ++i) sum += s.outHist[i] + s.tameHist[i] + s.smoothHist[i];
  // A sum of finite values may overflow to infinity; check one by one then.
  if (std::isfinite(sum)) return true;
  if (!std::isfinite(s.slope0) || !std::isfinite(s.drive0) || !std::isfinite(s.clip0) || !std::isfinite(s.diffD))
    return false;
  for (int i = 0; i < kFilterSlots; ++i)
    if (!std::isfinite(s.filterState1[i]) || !std::isfinite(s.filterState2[i])) return false;
  for (unsigned i = 0; i < kRing; ++i)
    if (!std::isfinite(s.outHist[i]) || !std::isfinite(s.tameHist[i]) || !std::isfinite(s.smoothHist[i]))
      return false;
  return true;
}

bool SignalPath::IsChannelStateZero(std::int32_t channel) const {
  if (channel < 0 || channel >= capacity_) return false;
  const ChannelState& s = channels_[static_cast<std::size_t>(channel)];
  if (s.slope0 != 0.0 || s.drive0 != 0.0 || s.clip0 != 0.0 || s.diffD != 0.0) return false;
  for (int i = 0; i < kFilterSlots; ++i)
    if (s.filterState1[i] != 0.0 || s.filterState2[i] != 0.0) return false;
  for (unsigned i = 0; i < kRing; ++i)
    if (s.outHist[i] != 0.0 || s.tameHist[i] != 0.0 || s.smoothHist[i] != 0.0) return false;
  return true;
}

}  // namespace ombrisk
