// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cassert>

namespace kv {

inline constexpr int kPoints = 16;
inline constexpr int kCurves = 2;
// Curve (series) numbers: 1 is the WOT curve, 2 the Low curve.
inline constexpr int kWot = 1;
inline constexpr int kLow = 2;

// 16 points by 2 curves of advance values, addressed 1-based as (point, curve).
class Table16x2 {
public:
    [[nodiscard]] double& operator()(int point, int curve) {
        assert(point >= 1 && point <= kPoints && curve >= 1 && curve <= kCurves);
        return m_v[static_cast<std::size_t>((curve - 1) * kPoints + point - 1)];
    }
    [[nodiscard]] double operator()(int point, int curve) const {
        assert(point >= 1 && point <= kPoints && curve >= 1 && curve <= kCurves);
        return m_v[static_cast<std::size_t>((curve - 1) * kPoints + point - 1)];
    }
    void fill(double v) { m_v.fill(v); }
    bool operator==(const Table16x2&) const = default;

private:
    std::array<double, kPoints * kCurves> m_v{};
};

// Grid row r (1 = "Low", 2 = "WOT") shows chart series 3 - r.
[[nodiscard]] constexpr int seriesOfRow(int row) {
    return 3 - row;
}
[[nodiscard]] constexpr int rowOfSeries(int series) {
    return 3 - series;
}

} // namespace kv
