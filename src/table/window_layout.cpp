// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/window_layout.h"

#include <algorithm>
#include <cmath>

#include "table/numbers.h"

namespace kv {
namespace {
// A twip measure set on a control becomes a whole number, halves to even.
int whole(double v) {
    return std::max(0, static_cast<int>(roundHalfEven(v)));
}
} // namespace

WindowLayout layoutFor(double W, double H) {
    WindowLayout l;
    l.chart = {0, 0, whole(W), whole(0.7 * H)};
    l.grid = {0, whole(0.7 * H), whole(W - 150), whole(0.3 * H - 725)};
    return l;
}

int gridRowHeight(int innerHeightTwips) {
    return innerHeightTwips / 3 - 10;
}
int gridColumnWidth(int innerWidthTwips) {
    return innerWidthTwips / 17 - 1;
}

} // namespace kv
