// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "files/read_table.h"
#include "link/eeprom_image.h"

#include <charconv>
#include <iostream>

namespace kv::cli {
namespace {

// "36=B,37=B", either or both, B a decimal byte.
void parseModuleBytes(const std::string& text, std::uint8_t& b36, std::uint8_t& b37) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const auto eq = item.find('=');
        int value = -1;
        if (eq != std::string::npos) {
            const char* first = item.data() + eq + 1;
            const char* last = item.data() + item.size();
            const auto [ptr, ec] = std::from_chars(first, last, value);
            if (ec != std::errc() || ptr != last || first == last) value = -1;
        }
        const std::string key = item.substr(0, eq);
        if (value < 0 || value > 255 || (key != "36" && key != "37"))
            throw UsageError("--module takes 36=B,37=B with B from 0 to 255");
        (key == "36" ? b36 : b37) = static_cast<std::uint8_t>(value);
        start = end + 1;
    }
}

} // namespace

int runImage(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"--module"});
    if (a.positional.size() != 1) throw UsageError("expected one table file");
    std::uint8_t b36 = 0;
    std::uint8_t b37 = 0;
    if (const auto m = a.option("--module")) parseModuleBytes(*m, b36, b37);

    ProgramState s;
    if (const TableReadResult r = readTableAsOpened(s, a.positional[0], executableFolder()); !r) {
        std::cerr << r.message << "\n";
        return 1;
    }
    // The upload encodes what the chart holds, which is the live table after opening, and
    // refuses what the module cannot hold.
    if (const auto refusal = refuseUpload(s.live.values)) {
        std::cerr << *refusal << "\n";
        return 1;
    }
    std::cout << imageToHex(encodeImage(s.live.values, s.params, b36, b37)) << "\n";
    return 0;
}

} // namespace kv::cli
