#include "effect/SignalPath.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

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

// The rate the history geometry is tuned at, and the factors that turn a
// rate into history reach: N = rate / 44100, M = 2 rate / 44100 (the
// literals are those quotients, kept as written so that the bits stay).
constexpr double kBaseRate = 44100.0;
constexpr double kNPerHz = 2.2675736961451248e-05;   // 1 / 44100
constexpr double kMPerHz = 4.5351473922902495e-05;   // 2 / 44100
constexpr double kSrBlendSpan = 147900.0;            // 192000 - 44100
static_assert(kNPerHz == 1.0 / kBaseRate && kMPerHz == 2.0 / kBaseRate);

// max(0, min(1, v)), the minimum first. A NaN passes through; a negative
// zero comes out as +0.0, as from std::max(0.0, ...).
inline double Clamp01(double v) {
  const double m = (1.0 <= v) ? 1.0 : v;
  return (0.0 >= m) ? 0.0 : m;
}

// (1 - t) a + t b, as the two products and then their sum.
inline double Lerp(double a, double b, double t) { return (1.0 - t) * a + t * b; }

// One sample through a biquad (transposed direct form II); z1 and z2 are the
// two state values of its slot.
inline double BiquadStep(const BiquadCoefficients& c, double x, double& z1, double& z2) {
  const double y = c.b0 * x + z1;
  z1 = c.b1 * x - c.a1 * y + z2;
  z2 = c.b2 * x - c.a2 * y;
  return y;
}

// State slots of the three filters in the channel state.
constexpr int kInputLowPassSlot = 0;
constexpr int kHighPassSlot = 6;
constexpr int kOutputLowPassSlot = 7;

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

// Bias leans a stage's result back towards its input on one slope direction
// only: positive bias on rising, negative bias on falling slopes.
inline double BiasBlend(double bias, double slope, double input, double result) {
  if (bias > 0.0 && slope > 0.0) {
    const double w = Clamp01(1.0 - bias);
    return (1.0 - w) * input + w * result;
  }
  if (bias < 0.0 && slope < 0.0) {
    const double w = Clamp01(bias + 1.0);
    return (1.0 - w) * input + w * result;
  }
  return result;
}

// One quotient of the tamer carries no offset; 0/0 would otherwise leave a
// NaN in the state. Its natural limit, 0, is used instead.
inline double QuotientOrZero(double num, double den) {
  const double q = num / den;
  return q != q ? 0.0 : q;
}

// x^4 for the React threshold, the same double as std::pow(x, 4.0) without
// the call where that can be shown. x^2 and x^4 are formed as exact
// double-double products (Dekker: the operands split in halves of 26 bits),
// which gives the exact x^4 as r + tail (up to 2^-100 relative). glibc's pow
// is within 0.54 ulp of the exact value, so wherever the exact value lies
// more than 0.0625 ulp inside the rounding interval of its nearest double r,
// pow returns r too. Close to a rounding boundary (one call in eight), at a
// power of two, outside the range where the products stay exact, and on
// other C libraries, pow itself is called.
inline double TwoProduct(double a, double b, double& error) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double p = a * b;
  const double ca = kSplitter * a;
  const double ah = ca - (ca - a);
  const double al = a - ah;
  const double cb = kSplitter * b;
  const double bh = cb - (cb - b);
  const double bl = b - bh;
  error = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
  return p;
}

inline double PowFour(double x) {
  // The products are exact only when every operation rounds once to double
  // (no x87 extended precision, no fused multiply-add).
#if defined(__GLIBC__) && FLT_EVAL_METHOD == 0
  if (x >= 0x1p-60 && x <= 0x1p60) {
    double ae, pe;
    const double a = TwoProduct(x, x, ae);  // x^2 = a + ae
    const double p = TwoProduct(a, a, pe);  // a^2 = p + pe
    const double tail = 2.0 * a * ae + pe;  // x^4 - p, but for ae^2
    const double r = p + tail;
    const double beyond = (p - r) + tail;  // x^4 - r; p - r is exact
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(r);
    const double ulp = std::bit_cast<double>((bits & 0x7FF0000000000000ull) - (52ull << 52));
    if (std::fabs(beyond) < 0.4375 * ulp && (bits & 0x000FFFFFFFFFFFFFull) != 0) return r;
  }
#endif
  return std::pow(x, 4.0);
}

}  // namespace

SignalPath::SignalPath(std::int32_t channelCapacity)
    : capacity_(std::max<std::int32_t>(channelCapacity, 2)),
      lowPass_(RateCoefficientTable::kInitialLowPass),
      highPass_(RateCoefficientTable::kInitialHighPass),
      channels_(static_cast<std::size_t>(capacity_)) {
  for (ChannelState& s : channels_) Zero(s);
}

void SignalPath::Zero(ChannelState& s) { s = ChannelState{}; }

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
  bs.srBlend = Clamp01((fs - kBaseRate) / kSrBlendSpan);
  bs.U = U;
  bs.G = std::pow(3.0, p[kInputGain] / 100.0);
  bs.makeup = 1.0 - (kMakeupSlope * (p[kInputGain] / 100.0) + kTiny2);
  bs.c = Clamp01(bs.G);
  bs.outGain = p[kOutputGain] / 100.0;
  bs.wet = p[kWet] / 100.0;
  if (bs.wet < 0.0) bs.wet = 0.0;
  bs.bypass = Trunc32(p[kBypass]);
  bs.bias = 2.0 * p[kBias] - 1.0;
  bs.react = Trunc32(p[kReact]);
  bs.K = std::pow(1.5 * p[kTame], 11.0) / (previousM_ + kTiny);

  double N = fs * kNPerHz;
  if (1.0 > N) N = 1.0;
  if (N > 4.5) N = 4.5;
  double M = fs * kMPerHz;
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

// The drive saturates with tanh, pulled towards the recent history when the
// signal nears full scale; the knee leaves the signal alone up to -0.2 dB,
// rounds it into a tanh knee above and into the cubic soft clip above 0.8.
// Both store their result as the newest history value h0.
double SignalPath::Shape(ShapeKind kind, const ChannelState& s, double& h0, const BlockSetup& bs, double x, double k) {
  const unsigned head = s.head;
  auto H = [&](std::int32_t j) { return j == 0 ? h0 : s.smoothHist[(head + static_cast<unsigned>(j)) & (kRing - 1)]; };
  const double t1 = bs.t1;
  const double ax = std::fabs(x);
  double z;
  if (H(bs.i2 + 1) == 0.0) {
    z = ax;
  } else if (kind == ShapeKind::kDrive) {
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

double SignalPath::ShapeWithHistory(ShapeKind kind, std::int32_t channel, double x, double k) {
  if (channel < 0 || channel >= capacity_ || (kind != ShapeKind::kDrive && kind != ShapeKind::kKnee)) return 0.0;
  ChannelState& s = channels_[static_cast<std::size_t>(channel)];
  return Shape(kind, s, kind == ShapeKind::kDrive ? s.drive0 : s.clip0, block_, x, k);
}

struct SignalPath::Constants {
  BiquadCoefficients lp, hp;
  const BlockSetup* bs;
  double t1, kmixDiv, kk, srb, bias, wetW, wetKneeW, phi;
  double mDiv, mReciprocal;  // the React threshold's divisor M + tiny, and 1 / it where that is exact
  unsigned i1, i2;
  bool reactOn, bypass, wetKnee, mDivIsPowerOfTwo;
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
  // Dividing by a power of two and multiplying by its reciprocal give the
  // same double for every dividend; M + tiny is one at 22.05, 44.1, 88.2 and
  // 176.4 kHz (M = 1, 2, 4, 8), and a multiplication is a quarter of the
  // latency on the tamer's sample-to-sample path.
  k.mDiv = bs.M + kTiny;
  int exponent = 0;
  k.mDivIsPowerOfTwo = std::isfinite(k.mDiv) && std::frexp(k.mDiv, &exponent) == 0.5 && exponent > -1000 &&
                       exponent < 1000;
  k.mReciprocal = k.mDivIsPowerOfTwo ? 1.0 / k.mDiv : 0.0;
  k.reactOn = bs.react == 1;
  k.bypass = bs.bypass != 0;
  return k;
}

// One sample of one channel is six stages. The stages of a sample depend on
// each other and on the previous sample's, so one channel is a single long
// dependency chain; running the stages of two channels alternately lets the
// processor overlap two independent chains.
struct SignalPath::Lane {
  ChannelState* s;
  const double* in;
  double* out;
  std::int32_t noise;
  unsigned head;
  bool tamerActive;
  double dry, sample, s2, W, q, gi;
};

#define OMBRISK_INLINE inline __attribute__((always_inline))

// Input: near-silent samples are replaced by inaudible noise (no denormals
// downstream), the 20 kHz low-pass removes what the drive would fold back,
// the histories move on by one sample, and bypass passes the input through.
OMBRISK_INLINE void SignalPath::StageInput(Lane& v, const Constants& k, std::int32_t n) {
  ChannelState& s = *v.s;
  double x = v.in[n];
  if (x < kSubnormalGuard && -x < kSubnormalGuard) x = DenormalNoiseAt(v.noise);
  const double y =
      BiquadStep(k.lp, x, s.filterState1[kInputLowPassSlot], s.filterState2[kInputLowPassSlot]);
  v.dry = y;
  // The stored sample matters when the host processes in place: a bypassed
  // block then reads it back as its "input".
  v.out[n] = y;
  const unsigned prevHead = s.head;
  const unsigned head = (prevHead - 1u) & (kRing - 1);
  s.head = head;
  v.head = head;
  s.outHist[head] = s.outHist[prevHead];
  s.tameHist[head] = s.tameHist[prevHead];
  s.smoothHist[head] = s.smoothHist[prevHead];
  if (k.bypass) {
    s.outHist[head] = y;
    const double raw = v.in[n];
    // Pass-through keeps every finite sample; a NaN or infinity is muted.
    v.out[n] = std::isfinite(raw) ? raw : 0.0;
  }
}

// Drive: tanh saturation that depends on the recent output near full scale,
// level-corrected, then blended with the dry signal by Wet.
OMBRISK_INLINE void SignalPath::StageDrive(Lane& v, const Constants& k) {
  ChannelState& s = *v.s;
  const BlockSetup& bs = *k.bs;
  const double y = v.dry;
  const double s1 = Shape(ShapeKind::kDrive, s, s.drive0, bs, bs.G * y, bs.kmix);
  const double vd = (1.0 - bs.c) * y + bs.c * (s1 * bs.makeup);
  v.sample = (1.0 - k.wetW) * v.dry + k.wetW * vd;
}

// Transient tamer, first half: measures how fast the output is rising
// against its recent past and, with React on, where the softening starts.
OMBRISK_INLINE void SignalPath::StageTamerThreshold(Lane& v, const Constants& k) {
  ChannelState& s = *v.s;
  const BlockSetup& bs = *k.bs;
  constexpr unsigned mask = kRing - 1;
  const unsigned head = v.head;
  v.tamerActive = s.outHist[(head + k.i1 + 1) & mask] != 0.0;
  if (!v.tamerActive) return;
  const double o = v.sample;
  const double da = Lerp(s.outHist[(head + k.i1) & mask], s.outHist[(head + k.i1 + 1) & mask], k.t1);
  s.slope0 = o - da;
  const double m = (o - da + 1.0) * 0.5;
  if (k.reactOn) {
    const double mc = Clamp01(m);
    const double rise = PowFour(1.0 - ((1.0 - mc) * kTamerW1 + mc * kTamerW2));
    const double W = k.mDivIsPowerOfTwo ? rise * k.mReciprocal : rise / k.mDiv;
    v.q = Clamp01(QuotientOrZero(m, da));
    const double R = (W + bs.K) / k.phi;
    v.gi = 1.0 - Clamp01(QuotientOrZero(m - W, R - W));
    v.W = W;
  } else {
    // Without React, q and gi are not used.
    v.W = kTiny;
    v.q = 1.0;
    v.gi = 0.0;
  }
}

// Transient tamer, second half: pulls fast rises back towards the recent
// output (more with Tame), and Bias leans the result towards one slope.
OMBRISK_INLINE void SignalPath::StageTamerCorrect(Lane& v, const Constants& k) {
  ChannelState& s = *v.s;
  constexpr unsigned mask = kRing - 1;
  const unsigned head = v.head;
  auto tameH = [&](unsigned j) -> double& { return s.tameHist[(head + j) & mask]; };
  const double b = k.bias;
  const double o = v.sample;
  double sample = o;
  if (v.tamerActive) {
    const double W = v.W, q = v.q, gi = v.gi;
    const double dc = Lerp(tameH(k.i1), tameH(k.i1 + 1), k.t1);
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
    const double o2 = BiasBlend(b, s.slope0, o, (1.0 - k.kk) * o + k.kk * Zs);
    // tameHist[0] briefly holds Z in the written order; only o2 survives.
    tameH(0) = o2;
    sample = o2;
  }
  s.outHist[head] = sample;
  v.sample = sample;
}

// Output gain, then the soft-knee clipper that keeps peaks below full scale.
OMBRISK_INLINE void SignalPath::StageClip(Lane& v, const Constants& k) {
  ChannelState& s = *v.s;
  const BlockSetup& bs = *k.bs;
  v.s2 = Shape(ShapeKind::kKnee, s, s.clip0, bs, bs.outGain * v.sample, bs.kmix);
}

// Smoother: softens the clipper's corners with the short history, more at
// higher rates, again leaning with Bias.
OMBRISK_INLINE void SignalPath::StageSmooth(Lane& v, const Constants& k) {
  ChannelState& s = *v.s;
  constexpr unsigned mask = kRing - 1;
  const unsigned head = v.head;
  auto smoothH = [&](unsigned j) -> double& { return s.smoothHist[(head + j) & mask]; };
  const double s2 = v.s2;
  const double b = k.bias;
  double S = s2;
  if (smoothH(k.i2) != 0.0) {
    const double dd = Lerp(smoothH(k.i1), smoothH(k.i1 + 1), k.t1);
    s.diffD = s2 - dd;
    S = s2 - s.diffD / k.kmixDiv;
  }
  smoothH(0) = (1.0 - k.srb) * s2 + k.srb * S;
  v.sample = BiasBlend(b, s.diffD, s2, S);
}

// Output: the 20 Hz high-pass removes the offset the shaping adds, low Wet
// settings fade back towards the dry signal, a second 20 kHz low-pass
// smooths the top, and a cubic soft clip holds the result within +-1.0.
OMBRISK_INLINE void SignalPath::StageOutput(Lane& v, const Constants& k, std::int32_t n) {
  ChannelState& s = *v.s;
  double sample = v.sample;
  double& hp1 = s.filterState1[kHighPassSlot];
  double& hp2 = s.filterState2[kHighPassSlot];
  // The high-pass state is held within +-1 so that a burst cannot leave a
  // long offset behind.
  if (hp1 > 1.0)
    hp1 = 1.0;
  else if (hp1 < -1.0)
    hp1 = -1.0;
  if (hp2 > 1.0)
    hp2 = 1.0;
  else if (hp2 < -1.0)
    hp2 = -1.0;
  const double h = BiquadStep(k.hp, sample, hp1, hp2);
  sample = h;
  if (k.wetKnee) sample = k.wetKneeW * h + (1.0 - k.wetKneeW) * v.dry;
  const double y3 =
      BiquadStep(k.lp, sample, s.filterState1[kOutputLowPassSlot], s.filterState2[kOutputLowPassSlot]);
  double a = std::fabs(y3);
  if (a > kKneeStart) a = CubicSoftClip(a);
  if (y3 < 0.0) a = -a;
  if (a > 1.0) a = 1.0;
  if (a < -1.0) a = -1.0;
  // Only a non-finite input can get here with a NaN: never hand it on.
  v.out[n] = (a == a) ? a : 0.0;
}

template <int kLanes>
void SignalPath::ProcessLanes(Lane* lanes, const Constants& k, std::int32_t nFrames) {
  for (std::int32_t n = 0; n < nFrames; ++n) {
    for (int l = 0; l < kLanes; ++l) StageInput(lanes[l], k, n);
    if (k.bypass) continue;
    for (int l = 0; l < kLanes; ++l) StageDrive(lanes[l], k);
    for (int l = 0; l < kLanes; ++l) StageTamerThreshold(lanes[l], k);
    for (int l = 0; l < kLanes; ++l) StageTamerCorrect(lanes[l], k);
    for (int l = 0; l < kLanes; ++l) StageClip(lanes[l], k);
    for (int l = 0; l < kLanes; ++l) StageSmooth(lanes[l], k);
    for (int l = 0; l < kLanes; ++l) StageOutput(lanes[l], k, n);
  }
}

// Two channels can run side by side when neither reads a buffer the other
// writes (working in place, or both reading one input, is fine): the result
// is then the same as running them one after the other.
static bool Separate(const double* in0, const double* out0, const double* in1, const double* out1, std::int32_t n) {
  const auto apart = [n](const double* a, const double* b) { return a + n <= b || b + n <= a; };
  return apart(out0, in1) && apart(out1, in0) && apart(out0, out1);
}

void SignalPath::ProcessAudioBlock(const double* params, double sampleRate, std::int32_t connectedOutputs,
                                   double** inputs, double** outputs, std::int32_t nFrames) {
  const std::int32_t nch = std::min(std::max<std::int32_t>(2, connectedOutputs), capacity_);
  const double U = BlockUniform(NextBlockSeed());
  const BlockSetup bs = PrepareBlock(params, sampleRate, U);
  if (nFrames <= 0 || !inputs || !outputs) return;
  const Constants k = MakeConstants(bs);
  if (nch == 2 && inputs[0] && inputs[1] && outputs[0] && outputs[1] &&
      Separate(inputs[0], outputs[0], inputs[1], outputs[1], nFrames)) {
    // Channel 1 draws its noise after all of channel 0's draws, as it would
    // running second; channel 0's input is not written before it is read,
    // so its draws can be counted up front.
    std::int64_t draws0 = 0;
    for (std::int32_t n = 0; n < nFrames; ++n) {
      const double x = inputs[0][n];
      draws0 += (x < kSubnormalGuard && -x < kSubnormalGuard) ? 1 : 0;
    }
    const std::int32_t noise = GetNoiseCounter();
    Lane lanes[2] = {{&channels_[0], inputs[0], outputs[0], noise, 0, false, 0, 0, 0, 0, 0, 0},
                     {&channels_[1], inputs[1], outputs[1], AdvanceNoiseCounter(noise, draws0), 0, false, 0, 0, 0, 0, 0, 0}};
    ProcessLanes<2>(lanes, k, nFrames);
    SetNoiseCounter(lanes[1].noise);
  } else {
    // Channel by channel, each over all frames: when the host hands one
    // buffer to several channels, a later channel reads what an earlier one
    // wrote.
    for (std::int32_t ch = 0; ch < nch; ++ch) {
      if (!inputs[ch] || !outputs[ch]) continue;
      Lane lane{&channels_[static_cast<std::size_t>(ch)], inputs[ch], outputs[ch], GetNoiseCounter(), 0, false, 0, 0, 0, 0, 0, 0};
      ProcessLanes<1>(&lane, k, nFrames);
      SetNoiseCounter(lane.noise);
    }
  }
  for (std::int32_t ch = 0; ch < nch; ++ch) {
    ChannelState& s = channels_[static_cast<std::size_t>(ch)];
    // A NaN or infinity that reached the state would stay there for ever;
    // the channel starts afresh instead. Finite input never gets here.
    if (!IsFinite(s)) Zero(s);
  }
}

template <typename Pred>
bool SignalPath::EveryStateValue(const ChannelState& s, Pred pred) {
  for (const double v : {s.slope0, s.drive0, s.clip0, s.diffD})
    if (!pred(v)) return false;
  for (int i = 0; i < kFilterSlots; ++i)
    if (!pred(s.filterState1[i]) || !pred(s.filterState2[i])) return false;
  for (unsigned i = 0; i < kRing; ++i)
    if (!pred(s.outHist[i]) || !pred(s.tameHist[i]) || !pred(s.smoothHist[i])) return false;
  return true;
}

bool SignalPath::IsFinite(const ChannelState& s) {
  // Once per block and channel: the sum of all values is finite only when
  // every value is (a NaN or infinity never cancels out); when it is not,
  // a sum of large finite values may have overflowed, so look one by one.
  double sum = 0.0;
  EveryStateValue(s, [&sum](double v) {
    sum += v;
    return true;
  });
  if (std::isfinite(sum)) return true;
  return EveryStateValue(s, [](double v) { return std::isfinite(v); });
}

bool SignalPath::IsChannelStateZero(std::int32_t channel) const {
  if (channel < 0 || channel >= capacity_) return false;
  return EveryStateValue(channels_[static_cast<std::size_t>(channel)], [](double v) { return v == 0.0; });
}

}  // namespace ombrisk
