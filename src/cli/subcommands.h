// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kv::cli {

// Thrown for bad arguments: the companion prints the usage and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Each returns the exit status (0 success, 1 failure); messages go to standard error.
// Declared here as the subcommands arrive, each in a file of its own.
int runShow(const std::vector<std::string>& args);   // show.cpp
int runWrite(const std::vector<std::string>& args);  // write.cpp
int runNew(const std::vector<std::string>& args);    // new.cpp
int runId(const std::vector<std::string>& args);     // id.cpp
int runDecode(const std::vector<std::string>& args); // decode.cpp
int runImage(const std::vector<std::string>& args);  // image.cpp
int runModify(const std::vector<std::string>& args); // modify.cpp
// The rows of the cells on a straight line by RPM, or smoothed (1, 2, 1) / 4.
int runInterpolate(const std::vector<std::string>& args); // modify.cpp
int runSmooth(const std::vector<std::string>& args);      // modify.cpp
int runPrint(const std::vector<std::string>& args);       // print.cpp
// Exit status 0 the same, 1 different, 2 trouble, as diff.
int runDiff(const std::vector<std::string>& args); // diff.cpp

// A --port argument as a device: ComN through the stored port map, a path as it is.
int runDownload(const std::vector<std::string>& args); // transfer.cpp
int runUpload(const std::vector<std::string>& args);   // transfer.cpp
// The transfer history, newest first.
int runHistory(const std::vector<std::string>& args);                   // history.cpp
[[nodiscard]] std::string resolvePortArgument(const std::string& port); // id.cpp

} // namespace kv::cli
