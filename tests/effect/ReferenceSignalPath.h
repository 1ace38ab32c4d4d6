#pragma once
// A deliberately plain model of the effect's sound for comparison: 32-entry
// histories shifted every sample, every tanh evaluated, no shortcuts. It
// shares no code with the product; only the per-block U and the noise are
// taken from outside so that both see the same sequence.

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace reference {

struct Coeffs {
  double b0, b1, b2, a1, a2;
};

class SignalPathModel {
 public:
  std::function<double()> noise;  // DenormalNoise

  SignalPathModel() : ch_(2) {}

  void Reset(double fs) {
    const int k = static_cast<int>(fs);
    static const struct {
      int rate;
      Coeffs lp, hp;
    } rows[] = {
        {44100, {0.8151655733662241, 1.6303311467324482, 0.8151655733662241, 1.5950606290772769, 0.6656016643876196},
         {0.9979870964295267, -1.9959741928590533, 0.9979870964295267, -1.9959701411517219, 0.9959782445663846}},
        {48000, {0.6917994904412835, 1.383598980882567, 0.6917994904412835, 1.2842610434611013, 0.48293691830403307},
         {0.998175960469033, -1.996351920938066, 0.998175960469033, -1.9963485002390708, 0.9963553416370613}},
        {88200,
         {0.25281587515667564, 0.5056317503133513, 0.25281587515667564, 0.1722195203912214, 0.18348302101792383},
         {0.999006924037445, -1.99801384807489, 0.999006924037445, -1.9980128341139918, 0.9980148620357879}},
        {96000,
         {0.22143465387145803, 0.44286930774291605, 0.22143465387145803, 0.30929831798252466, 0.19503693346835663},
         {0.999087575673053, -1.998175151346106, 0.999087575673053, -1.9981742953910755, 0.9981760073011364}},
        {192000, {0.07223066687518032, 0.14446133375036063, 0.07223066687518032, -1.10922559150289, 0.3981482590036111},
         {0.9995436866552185, -1.999087373310437, 0.9995436866552185, -1.9990871592240336, 0.9990875873968406}},
    };
    for (const auto& r : rows)
      if (r.rate == k) {
        lp_ = r.lp;
        hp_ = r.hp;
      }
  }

  // p: the seven parameter values; U: the block's random value.
  void Process(const double* p, double fs, double U, const double* const* in, double* const* out, int frames) {
    const double srBlend = clamp01((fs - 44100) / 147900);
    G_ = std::pow(3.0, p[0] / 100);
    makeup_ = 1 - (0.3546842186847654 * (p[0] / 100) + 1e-38);
    c_ = clamp01(G_);
    const double outGain = p[5] / 100;
    double wet = p[1] / 100;
    if (wet < 0) wet = 0;
    const int bypass = static_cast<int>(p[4]);
    const double b = 2 * p[6] - 1;
    const int react = static_cast<int>(p[3]);
    const double K = std::pow(1.5 * p[2], 11) / (prevM_ + 1e-30);
    double N = fs * 2.2675736961451248e-05;
    if (1.0 > N) N = 1.0;
    if (N > 4.5) N = 4.5;
    double M = fs * 4.5351473922902495e-05;
    if (1.0 > M)
      M = 1.0;
    else if (M > 9.0)
      M = 9.0;
    prevM_ = M;
    i1_ = static_cast<int>(N - 1);
    t1_ = clamp01((N - 1) - i1_);
    i2_ = static_cast<int>(2 * N - 1);
    const double kmix = (1 - clamp01(U)) * 2.0023318412286 + clamp01(U) * 2.0011596521816433;

    for (int c = 0; c < 2; ++c) {
      Chan& s = ch_[c];
      for (int n = 0; n < frames; ++n) {
        double x = in[c][n];
        if (x < 1.2e-38 && -x < 1.2e-38) x = noise();
        double y = lp_.b0 * x + s.f1[0];
        s.f1[0] = lp_.b1 * x - lp_.a1 * y + s.f2[0];
        s.f2[0] = lp_.b2 * x - lp_.a2 * y;
        const double dry = y;
        for (int j = 30; j >= 0; --j) {
          s.out[j + 1] = s.out[j];
          s.slope[j + 1] = s.slope[j];
          s.tame[j + 1] = s.tame[j];
          s.smooth[j + 1] = s.smooth[j];
          s.drive[j + 1] = s.smooth[j];
          s.clip[j + 1] = s.smooth[j];
        }
        if (bypass) {
          s.out[0] = y;
          out[c][n] = in[c][n];
          continue;
        }
        const double s1 = Shape(s.drive, 1, G_ * y, kmix);
        const double vd = (1 - c_) * y + c_ * (s1 * makeup_);
        const double w0 = clamp01(wet);
        const double vw = (1 - w0) * dry + w0 * vd;
        const double o = vw;
        double smp = vw;
        if (s.out[i1_ + 1] != 0.0) {
          const double da = lerp(s.out[i1_], s.out[i1_ + 1], t1_);
          s.slope[0] = o - da;
          const double m = (o - da + 1) * 0.5;
          double W, q;
          if (react == 1) {
            const double mc = clamp01(m);
            W = std::pow(1 - ((1 - mc) * 0.91213574841 + mc * 0.58223574541), 4) / (M + 1e-30);
            q = clamp01(m / da);
          } else {
            W = 1e-30;
            q = 1;
          }
          const double R = (W + K) / 1.618033988749895;
          const double gi = 1 - clamp01((m - W) / (R - W));
          const double dc = lerp(s.tame[i1_], s.tame[i1_ + 1], t1_);
          double Z = dc + W;
          if (s.slope[0] != W) {
            s.diffD = Z - dc;
            Z = Z - (W - s.slope[0]) / (kmix + 1e-30);
            if (react == 1)
              Z = 0.75 * ((1 - clamp01(gi)) * o + clamp01(gi) * Z) + 0.25 * (clamp01(q) * Z + (1 - clamp01(q)) * o);
            Z = Z - s.diffD / (kmix + 1e-30);
          }
          s.tame[0] = Z;
          double Zs = Z;
          if (o < 0 && Z > 0) Zs = Z * 0.5 + o * 0.5;
          const double kk = clamp01(K);
          double o2 = (1 - kk) * o + kk * Zs;
          if (b > 0 && s.slope[0] > 0) {
            const double w = clamp01(1 - b);
            o2 = (1 - w) * o + w * o2;
          } else if (b < 0 && s.slope[0] < 0) {
            const double w = clamp01(b + 1);
            o2 = (1 - w) * o + w * o2;
          }
          s.tame[0] = o2;
          smp = o2;
        }
        s.out[0] = smp;
        const double o3 = outGain * smp;
        const double s2 = Shape(s.clip, 2, o3, kmix);
        double S = s2;
        if (s.smooth[i2_] != 0.0) {
          const double dd = lerp(s.smooth[i1_], s.smooth[i1_ + 1], t1_);
          s.diffD = s2 - dd;
          S = s2 - s.diffD / (kmix + 1e-30);
        }
        s.smooth[0] = (1 - clamp01(srBlend)) * s2 + clamp01(srBlend) * S;
        smp = S;
        if (b > 0 && s.diffD > 0) {
          const double w = clamp01(1 - b);
          smp = (1 - w) * s2 + w * S;
        } else if (b < 0 && s.diffD < 0) {
          const double w = clamp01(b + 1);
          smp = (1 - w) * s2 + w * S;
        }
        if (s.f1[6] > 1.0) s.f1[6] = 1.0;
        else if (s.f1[6] < -1.0) s.f1[6] = -1.0;
        if (s.f2[6] > 1.0) s.f2[6] = 1.0;
        else if (s.f2[6] < -1.0) s.f2[6] = -1.0;
        const double h = hp_.b0 * smp + s.f1[6];
        s.f1[6] = hp_.b1 * smp - hp_.a1 * h + s.f2[6];
        s.f2[6] = hp_.b2 * smp - hp_.a2 * h;
        smp = h;
        if (wet < 0.85) {
          const double w = clamp01(wet / 0.85);
          smp = w * h + (1 - w) * dry;
        }
        const double y3 = lp_.b0 * smp + s.f1[7];
        s.f1[7] = lp_.b1 * smp - lp_.a1 * y3 + s.f2[7];
        s.f2[7] = lp_.b2 * smp - lp_.a2 * y3;
        double a = std::fabs(y3);
        if (a > 0.8) {
          const double w = clamp01((a - 0.8) / 0.19999999999999996);
          const double qv = (std::fabs(a + 0.9885530946569389) - std::fabs(a - 0.9885530946569389)) * 0.45;
          a = a * (1 - w) + w * (1.45 * qv - ((qv * 0.45) * qv) * qv);
        }
        if (y3 < 0) a = -a;
        if (a > 1.0) a = 1.0;
        if (a < -1.0) a = -1.0;
        out[c][n] = a;
      }
    }
  }

 private:
  struct Chan {
    double out[32] = {}, slope[32] = {}, tame[32] = {}, smooth[32] = {}, drive[32] = {}, clip[32] = {};
    double f1[12] = {}, f2[12] = {};
    double diffD = 0;
  };

  static double clamp01(double v) { return std::max(0.0, std::min(1.0, v)); }
  static double lerp(double a, double b, double t) { return (1 - t) * a + t * b; }

  double Shape(double* H, int kind, double x, double k) const {
    const double A = lerp(H[i1_], H[i1_ + 1], t1_);
    const double B = lerp(H[i2_], H[i2_ + 1], t1_);
    const double ax = std::fabs(x);
    double z;
    if (H[i2_ + 1] == 0.0) {
      z = ax;
    } else if (kind == 1) {
      const double c1 = 0.9885530946569389;
      const double T1 = std::tanh(ax - A);
      const double T2 = std::tanh(A - B);
      const double T3 = std::tanh((T1 - T2) / (k + 1e-30));
      const double T4 = std::tanh(ax - T3);
      const double g = clamp01(ax - c1);
      double a = ax;
      if (T1 > T2) {
        const double s = clamp01(std::tanh(T1 / (T2 + 1e-30)));
        a = g * ((1 - s) * ax + s * A) + (1 - g) * ax;
      }
      z = clamp01(std::tanh((1 - g) * a + g * T4));
    } else {
      const double c2 = 0.9772372209558107, c1 = 0.9885530946569389;
      z = ax;
      if (ax > c2) {
        const double e = ax - c2;
        const double hk = clamp01(e / 0.02276277904418933);
        z = hk * (0.5 * std::tanh(e) + 0.5 * e + c2) + (1 - hk) * ax;
      }
      if (z > 0.8) {
        const double w = clamp01((z - 0.8) / 0.19999999999999996);
        const double qv = (std::fabs(z + c1) - std::fabs(z - c1)) * 0.45;
        z = z * (1 - w) + w * (1.45 * qv - ((qv * 0.45) * qv) * qv);
      }
    }
    H[0] = z;
    const double r = std::max(0.0, z);
    return x < 0 ? -r : r;
  }

  std::vector<Chan> ch_;
  Coeffs lp_{0.8132425994466649, 1.6264851988933298, 0.8132425994466649, 1.5912978843171357, 0.661672513469524};
  Coeffs hp_{0.9979870964295267, -1.9959741928590533, 0.9979870964295267, -1.9959701411517219, 0.9959782445663846};
  double prevM_ = 2.0;
  double G_ = 1, makeup_ = 1, c_ = 1, t1_ = 0;
  int i1_ = 0, i2_ = 1;
};

}  // namespace reference
