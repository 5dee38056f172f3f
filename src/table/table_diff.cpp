// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/table_diff.h"

#include <array>
#include <charconv>

namespace kv {

std::string exactText(double v) {
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ptr);
}

const char* curveName(int curve) {
    return curve == kWot ? "WOT" : "Low";
}

TableDifferences compareTables(const ComparedTable& a, const ComparedTable& b) {
    TableDifferences d;
    for (const int curve : {kWot, kLow})
        for (int p = 1; p <= kPoints; ++p)
            if (valuesDiffer(a.values(p, curve), b.values(p, curve)))
                d.cells.push_back({curve, p, a.values(p, curve), b.values(p, curve)});

    if (a.TableType != b.TableType) d.params.push_back({"TableType", a.TableType, b.TableType});
    const auto number = [&](const char* name, std::int16_t ModuleParameters::*m) {
        if (a.params.*m != b.params.*m)
            d.params.push_back({name, std::to_string(a.params.*m), std::to_string(b.params.*m),
                                ParameterDifference::Kind::Number});
    };
    const auto flag = [&](const char* name, bool ModuleParameters::*m) {
        const auto word = [](bool f) { return f ? "True" : "False"; };
        if (a.params.*m != b.params.*m)
            d.params.push_back(
                {name, word(a.params.*m), word(b.params.*m), ParameterDifference::Kind::Flag});
    };
    number("RearOffset", &ModuleParameters::RearOffset);
    number("RetardVal", &ModuleParameters::RetardVal);
    number("CrankRevs", &ModuleParameters::CrankRevs);
    number("RPMLimit", &ModuleParameters::RPMLimit);
    flag("FixedLimFlag", &ModuleParameters::FixedLimFlag);
    flag("SelEEPROMTblFlag", &ModuleParameters::SelEEPROMTblFlag);
    flag("RetardEnableFlag", &ModuleParameters::RetardEnableFlag);
    flag("KickStartFlag", &ModuleParameters::KickStartFlag);
    return d;
}

} // namespace kv
