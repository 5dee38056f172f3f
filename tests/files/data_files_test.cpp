// SPDX-License-Identifier: GPL-3.0-or-later
// The curves that ship beside the program: readable, sane and ordered as documented.
#include "files/curve_data.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kv;

namespace {
Table16x2 shipped(const char* name) {
    const auto t = readCurveFile((std::filesystem::path(KV_DATA_DIR) / name).string());
    if (!t) ADD_FAILURE() << name << " does not read";
    return t.value_or(Table16x2{});
}
} // namespace

TEST(ShippedCurves, TemplatesAreOrderedAndInRange) {
    const std::pair<const char*, const char*> pairs[] = {
        {"Vanta_Min.dat", "Vanta_Max.dat"},
        {"Vanta_EX_Min.dat", "Vanta_EX_Max.dat"},
        {"Tarrow_EX_Min.dat", "Tarrow_EX_Max.dat"}};
    for (const auto& [minName, maxName] : pairs) {
        const Table16x2 mn = shipped(minName), mx = shipped(maxName);
        for (int p = 1; p <= kPoints; ++p)
            for (int c = 1; c <= kCurves; ++c) {
                EXPECT_LE(mn(p, c), mx(p, c)) << minName << " point " << p;
                EXPECT_GE(mn(p, c), 0);
                EXPECT_LE(mx(p, c), 40);
            }
        for (const Table16x2* t : {&mn, &mx}) {
            // Little advance when cranking, more through the mid range; Low above WOT.
            EXPECT_LT((*t)(1, kWot), (*t)(9, kWot)) << minName;
            for (int p = 1; p <= kPoints; ++p)
                EXPECT_GE((*t)(p, kLow), (*t)(p, kWot));
        }
    }
}

TEST(ShippedCurves, LimitsTightenFromRaceToExToTarrow) {
    const Table16x2 race = shipped("Vanta_Max.dat"), ex = shipped("Vanta_EX_Max.dat"),
                    tex = shipped("Tarrow_EX_Max.dat");
    int exBelow = 0, texBelow = 0;
    for (int p = 1; p <= kPoints; ++p)
        for (int c = 1; c <= kCurves; ++c) {
            exBelow += ex(p, c) < race(p, c);
            texBelow += tex(p, c) < ex(p, c);
        }
    EXPECT_GT(exBelow, 24);
    EXPECT_GT(texBelow, 24);
}
