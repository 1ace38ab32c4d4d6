#pragma once
// Low-pass and high-pass biquad coefficients for the five supported sample
// rates, plus the sets that stand before the first reset. The rows are used
// exactly as listed: they are not recomputed from a filter formula (the
// 88200 and 96000 low-pass rows are deliberately not 20 kHz sections).

#include <cstdint>

namespace ombrisk {

// Transfer function (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
struct BiquadCoefficients {
  double b0, b1, b2, a1, a2;
};

struct RateCoefficientRow {
  std::int32_t rate;
  BiquadCoefficients lowPass;
  BiquadCoefficients highPass;
};

class RateCoefficientTable {
 public:
  static constexpr int kRows = 5;
  static const RateCoefficientRow kRowsByRate[kRows];
  static const BiquadCoefficients kInitialLowPass;
  static const BiquadCoefficients kInitialHighPass;

  // The row of exactly this rate, or nullptr.
  static const RateCoefficientRow* Find(std::int32_t rate);
};

}  // namespace ombrisk
