// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/table_json.h"
#include "files/curve_data.h"
#include "files/table_file.h"
#include "link/eeprom_image.h"

#include <iostream>

namespace kv::cli {

int runWrite(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"-o"});
    const auto out = a.option("-o");
    if (a.positional.size() != 1 || !out)
        throw UsageError("expected FROM.json or FROM.csv and -o FILE");

    const auto text = readSmallFile(a.positional[0]);
    if (!text) {
        std::cerr << "cannot read " << a.positional[0] << "\n";
        return 1;
    }
    // An object is JSON; anything else is read as show's CSV.
    const auto first = text->find_first_not_of(" \t\r\n");
    const TableDocument doc = first != std::string::npos && (*text)[first] == '{'
                                  ? parseTableJson(*text)
                                  : parseTableCsv(*text);
    if (const auto why = unholdableValue(doc.values)) {
        std::cerr << "Cannot write - " << *why << "\n";
        return 1;
    }
    if (!writeFileAtomically(*out, tableFileText(doc.values, doc.params, doc.TableType))) {
        std::cerr << "Error saving " << *out << "\n";
        return 1;
    }
    return 0;
}

} // namespace kv::cli
