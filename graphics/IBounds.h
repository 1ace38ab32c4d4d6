#pragma once
// A rectangle in layout units. Containment is half-open (left <= x < right,
// top <= y < bottom); a rectangle whose width or height is not positive
// contains nothing, and all zeros is the empty rectangle. Operations on
// non-finite coordinates give empty results rather than spreading NaN.

#include <algorithm>
#include <cmath>

namespace fx::igraphics {

struct IBounds {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;

  constexpr IBounds() = default;
  constexpr IBounds(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

  float W() const { return right - left; }
  float H() const { return bottom - top; }
  float MW() const { return 0.5f * (left + right); }
  float MH() const { return 0.5f * (top + bottom); }

  bool IsFinite() const {
    return std::isfinite(left) && std::isfinite(top) && std::isfinite(right) && std::isfinite(bottom);
  }
  // True when the rectangle covers no point (zero, negative or NaN extent).
  bool Empty() const { return !(right > left && bottom > top); }
  bool AllZero() const { return left == 0.0f && top == 0.0f && right == 0.0f && bottom == 0.0f; }

  bool Contains(float x, float y) const {
    if (Empty()) return false;
    return left <= x && x < right && top <= y && y < bottom;
  }
  // Whole of other lies inside this (an empty other is inside anything).
  bool Contains(const IBounds& other) const {
    if (other.Empty()) return true;
    return left <= other.left && top <= other.top && other.right <= right && other.bottom <= bottom;
  }
  bool Intersects(const IBounds& other) const { return !Intersect(other).Empty(); }

  // The common part; all zeros when there is none.
  IBounds Intersect(const IBounds& other) const {
    const IBounds r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                    std::min(bottom, other.bottom)};
    return r.Empty() ? IBounds{} : r;
  }
  // The bounding rectangle; an empty side contributes nothing.
  IBounds Union(const IBounds& other) const {
    if (Empty()) return other.Empty() ? IBounds{} : other;
    if (other.Empty()) return *this;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }
  IBounds GetPadded(float padding) const {
    return {left - padding, top - padding, right + padding, bottom + padding};
  }
  IBounds GetTranslated(float x, float y) const { return {left + x, top + y, right + x, bottom + y}; }
  // Grown outwards to whole pixels at scale pixels per unit; non-finite or
  // non-positive scales and non-finite edges give the empty rectangle.
  IBounds GetPixelAligned(float scale) const {
    if (!(scale > 0.0f) || !std::isfinite(scale) || !IsFinite()) return {};
    return {std::floor(left * scale) / scale, std::floor(top * scale) / scale, std::ceil(right * scale) / scale,
            std::ceil(bottom * scale) / scale};
  }
  // A rectangle of w x h centred on this one's centre.
  IBounds GetCentredInside(float w, float h) const {
    const float cx = MW(), cy = MH();
    return {cx - 0.5f * w, cy - 0.5f * h, cx - 0.5f * w + w, cy - 0.5f * h + h};
  }

  bool operator==(const IBounds&) const = default;
};

}  // namespace fx::igraphics
