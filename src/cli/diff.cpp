// SPDX-License-Identifier: GPL-3.0-or-later
// diff A.tbl B.tbl [--json]: the cells and parameters in which two table files differ, each
// read as Open Table reads it. Exit status as diff's: 0 the same, 1 different, 2 trouble.
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "files/read_table.h"
#include "table/table_diff.h"

#include <iostream>

namespace kv::cli {
namespace {

constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

std::string jsonValue(const ParameterDifference& p, const std::string& v) {
    switch (p.kind) {
    case ParameterDifference::Kind::Number:
        return v;
    case ParameterDifference::Kind::Flag:
        return v == "True" ? "true" : "false";
    default:
        return "\"" + v + "\""; // RACE, EX or TEX
    }
}

std::string differencesJson(const TableDifferences& d) {
    std::string out = std::string("{\"same\": ") + (d.same() ? "true" : "false") + ", \"cells\": [";
    for (std::size_t i = 0; i < d.cells.size(); ++i) {
        const CellDifference& c = d.cells[i];
        if (i > 0) out += ", ";
        out += std::string("{\"curve\": \"") + curveName(c.curve) +
               "\", \"rpm\": " + std::to_string(c.rpm()) + ", \"a\": " + exactText(c.a) +
               ", \"b\": " + exactText(c.b) + "}";
    }
    out += "], \"params\": [";
    for (std::size_t i = 0; i < d.params.size(); ++i) {
        const ParameterDifference& p = d.params[i];
        if (i > 0) out += ", ";
        out += "{\"name\": \"" + p.name + "\", \"a\": " + jsonValue(p, p.a) +
               ", \"b\": " + jsonValue(p, p.b) + "}";
    }
    return out + "]}";
}

void printDifferences(const TableDifferences& d) {
    for (const CellDifference& c : d.cells)
        std::cout << curveName(c.curve) << " " << c.rpm() << " RPM: " << exactText(c.a) << " -> "
                  << exactText(c.b) << "\n";
    for (const ParameterDifference& p : d.params)
        std::cout << p.name << ": " << p.a << " -> " << p.b << "\n";
}

} // namespace

int runDiff(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {"--json"}, {});
    if (a.positional.size() != 2) throw UsageError("expected two table files");
    try {
        ProgramState first;
        ProgramState second;
        ProgramState* const states[] = {&first, &second};
        for (std::size_t i = 0; i < 2; ++i)
            if (const TableReadResult r =
                    readTableAsOpened(*states[i], a.positional[i], executableFolder());
                !r) {
                std::cerr << r.message << "\n";
                return kTrouble;
            }
        const TableDifferences d = compareTables(comparedLive(first), comparedLive(second));
        if (a.has("--json"))
            std::cout << differencesJson(d) << "\n";
        else
            printDifferences(d);
        return d.same() ? kSame : kDifferent;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kTrouble;
    }
}

} // namespace kv::cli
