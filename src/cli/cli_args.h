// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/subcommands.h"

#include <optional>
#include <string>
#include <vector>

namespace kv::cli {

// Arguments of the table file subcommands: positional words, flags and options that
// take a value ("-o FILE", "--type EX"). Anything not listed is a usage error. "--" ends
// the options: every argument after it is positional.
struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::string> flags;
    std::vector<std::pair<std::string, std::string>> options;

    [[nodiscard]] bool has(const std::string& flag) const;
    [[nodiscard]] std::optional<std::string> option(const std::string& name) const;
};

[[nodiscard]] ParsedArgs parseArgs(const std::vector<std::string>& args,
                                   const std::vector<std::string>& knownFlags,
                                   const std::vector<std::string>& knownOptions);

} // namespace kv::cli
