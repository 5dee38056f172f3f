// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"

#include <algorithm>

namespace kv::cli {
namespace {

// "-5", "-.5", "-7.5%": a negative number or a Modify rule, not an option.
bool startsLikeANumber(const std::string& a) {
    const char c = a[1];
    return (c >= '0' && c <= '9') || c == '.' || c == '%';
}

} // namespace

bool ParsedArgs::has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> ParsedArgs::option(const std::string& name) const {
    for (const auto& [n, v] : options)
        if (n == name) return v;
    return std::nullopt;
}

ParsedArgs parseArgs(const std::vector<std::string>& args,
                     const std::vector<std::string>& knownFlags,
                     const std::vector<std::string>& knownOptions) {
    const auto known = [](const std::vector<std::string>& list, const std::string& a) {
        return std::find(list.begin(), list.end(), a) != list.end();
    };
    ParsedArgs out;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options) {
            out.positional.push_back(a);
        } else if (a == "--") {
            options = false; // what follows is positional, "-x" or not
        } else if (known(knownFlags, a)) {
            out.flags.push_back(a);
        } else if (known(knownOptions, a)) {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            if (out.option(a)) throw UsageError(a + " given twice");
            out.options.emplace_back(a, args[++i]);
        } else if (a.size() > 1 && a[0] == '-' && !startsLikeANumber(a)) {
            throw UsageError("unknown option " + a);
        } else {
            out.positional.push_back(a);
        }
    }
    return out;
}

} // namespace kv::cli
