// SPDX-License-Identifier: GPL-3.0-or-later
// history [--json]: the transfer history, newest first, with the path of each entry.
#include "cli/cli_args.h"
#include "cli/table_json.h"
#include "link/transfer_history.h"
#include "link/ui/history_folder.h"
#include "table/numbers.h"
#include "table/table_diff.h"

#include <iostream>

namespace kv::cli {

int runHistory(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {"--json"}, {});
    if (!a.positional.empty()) throw UsageError("expected no arguments");
    const std::string folder = historyFolder();
    const std::vector<HistoryEntry> entries = listHistory(folder);
    if (!a.has("--json")) {
        for (const HistoryEntry& e : entries)
            std::cout << e.record.time << "  " << directionName(e.record.direction) << "  "
                      << e.TableType << "  " << format1(e.lowest) << ".." << format1(e.highest)
                      << "  " << e.record.FirmwareID << (e.firstOfModule ? "  (first)" : "")
                      << "\n  " << e.path << "\n";
        return 0;
    }
    std::string out = "{\"folder\": " + jsonQuoted(folder) + ", \"entries\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const HistoryEntry& e = entries[i];
        out += std::string(i ? ", " : "") + "{\"path\": " + jsonQuoted(e.path) +
               ", \"time\": " + jsonQuoted(e.record.time) + ", \"direction\": \"" +
               directionName(e.record.direction) +
               "\", \"FirmwareID\": " + jsonQuoted(e.record.FirmwareID) + ", \"type\": \"" +
               e.TableType + "\", \"lowest\": " + exactText(e.lowest) +
               ", \"highest\": " + exactText(e.highest) +
               ", \"first\": " + (e.firstOfModule ? "true" : "false") + "}";
    }
    std::cout << out << "]}\n";
    return 0;
}

} // namespace kv::cli
