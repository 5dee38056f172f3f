// SPDX-License-Identifier: GPL-3.0-or-later
// kestrel-vanta-cli: the headless face of the tuner, for scripts and shops.
// Exit status: 0 success, 1 failure, 2 bad usage.
#include "cli/subcommands.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Subcommand {
    int (*run)(const std::vector<std::string>& args);
    const char* usage;
};

const std::map<std::string, Subcommand>& subcommands() {
    static const std::map<std::string, Subcommand> table = {
        // One line per subcommand; see subcommands.h.
        {"show", {kv::cli::runShow, "show FILE [--json|--csv]"}},
        {"write", {kv::cli::runWrite, "write FROM.json|FROM.csv -o FILE.tbl"}},
        {"download", {kv::cli::runDownload, "download --port PORT -o FILE"}},
        {"upload", {kv::cli::runUpload, "upload --port PORT FILE"}},
        {"new", {kv::cli::runNew, "new --type RACE|EX|TEX --slope 0..9 -o FILE"}},
        {"id", {kv::cli::runId, "id --port PORT [--json]"}},
        {"decode", {kv::cli::runDecode, "decode HEX [--json]"}},
        {"image", {kv::cli::runImage, "image FILE [--module 36=B,37=B]"}},
        {"modify", {kv::cli::runModify, "modify FILE RULE [--cells R1,C1:R2,C2] -o OUT"}},
        {"interpolate", {kv::cli::runInterpolate, "interpolate FILE [--cells R1,C1:R2,C2] -o OUT"}},
        {"smooth", {kv::cli::runSmooth, "smooth FILE [--cells R1,C1:R2,C2] -o OUT"}},
        {"print", {kv::cli::runPrint, "print FILE -o REPORT.pdf [--comment TEXT]"}},
        {"diff", {kv::cli::runDiff, "diff A.tbl B.tbl [--json]"}},
        {"history", {kv::cli::runHistory, "history [--json]"}},
    };
    return table;
}

int usage() {
    std::cerr << "usage: kestrel-vanta-cli <command> [options]\n";
    for (const auto& [name, sub] : subcommands())
        std::cerr << "  " << sub.usage << "\n";
    return 2;
}

// Standard output is written like a file: flushed at the end and checked, so that a script
// reading it never goes on with a result that was cut short. False, with errno, when it
// could not be written.
bool flushStandardOutput() {
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    return flushed && std::cout.good() && !std::ferror(stdout);
}

int run(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << "kestrel-vanta-cli: read, write and convert Kestrel Vanta tables, and\n"
                     "download them from or upload them to the module, without windows.\n"
                     "usage: kestrel-vanta-cli <command> [options]\n";
        for (const auto& [n, sub] : subcommands())
            std::cout << "  " << sub.usage << "\n";
        std::cout << "RULE is one number with an optional sign and %: +10, -7.5% or 30.\n"
                     "-- ends the options: what follows is a file or a RULE, even \"-x\".\n"
                     "Exit status: 0 success, 1 failure (a file or standard output that\n"
                     "could not be written too), 2 bad usage. See kestrel-vanta-cli(1).\n";
        return 0;
    }
    if (name == "--version") {
        std::cout << "kestrel-vanta-cli " << KV_VERSION << "\n";
        return 0;
    }
    const auto it = subcommands().find(name);
    if (it == subcommands().end()) {
        std::cerr << "kestrel-vanta-cli: unknown command '" << name << "'\n";
        return usage();
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        return it->second.run(args);
    } catch (const kv::cli::UsageError& e) {
        std::cerr << "kestrel-vanta-cli " << name << ": " << e.what() << "\n"
                  << "usage: " << it->second.usage << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "kestrel-vanta-cli " << name << ": " << e.what() << "\n";
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A file grown past the size limit is a failed write the command reports, not a kill.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const int status = run(argc, argv);
    if (flushStandardOutput()) return status;
    const int why = errno;
    std::cerr << "kestrel-vanta-cli: cannot write standard output"
              << (why ? std::string(": ") + std::strerror(why) : std::string()) << "\n";
    // diff's 1 means "different"; its trouble is 2.
    return argc > 1 && std::strcmp(argv[1], "diff") == 0 ? 2 : 1;
}
