// SPDX-License-Identifier: GPL-3.0-or-later
// download and upload: the desktop commands themselves, with prompts that answer for
// themselves (the error prompt answers Abort) and messages on standard error.
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "files/read_table.h"
#include "files/table_file.h"
#include "link/transfer_history.h"
#include "link/transfers.h"
#include "link/ui/history_folder.h"
#include "link/ui/qt_link_host.h"

#include <QCoreApplication>
#include <ctime>
#include <iostream>

namespace kv::cli {
namespace {

struct Session {
    int argc = 1;
    char name[18] = "kestrel-vanta-cli";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    HeadlessShell shell{executableFolder()};
    NoProgress progress;
    SerialChannel channel;
    QtLinkHost host{shell.state(), shell.dialogs(), channel, progress};

    explicit Session(const std::string& device) : channel(device) {}
};

std::string portOf(const ParsedArgs& a) {
    const auto port = a.option("--port");
    if (!port) throw UsageError("expected --port PORT");
    return resolvePortArgument(*port);
}

// The transfer just done into the history; a history that cannot be written is told on
// standard error and leaves the transfer's success as it was.
void keep(const ProgramState& s, TransferDirection d) {
    const std::string folder = historyFolder();
    if (!keepTransfer(folder, keptFrom(s, d), std::time(nullptr)))
        std::cerr << "Warning: the transfer could not be kept in the history folder " << folder
                  << "\n";
}

} // namespace

int runDownload(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"--port", "-o"});
    const auto out = a.option("-o");
    if (!out || !a.positional.empty()) throw UsageError("expected --port PORT -o FILE");
    Session s(portOf(a));
    bool downloaded = false;
    {
        const SerialChannel::Hold hold(s.channel);
        downloaded = DownloadFromEEPROM(s.shell, s.host);
    }
    if (!downloaded) return 1;
    keep(s.shell.state(), TransferDirection::Download);
    if (!writeTableFile(*out, s.shell.state())) {
        std::cerr << "Error saving " << *out << "\n";
        return 1;
    }
    return 0;
}

int runUpload(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"--port"});
    if (a.positional.size() != 1) throw UsageError("expected --port PORT FILE");
    Session s(portOf(a));
    const TableReadResult read =
        readTableAsOpened(s.shell.state(), a.positional.front(), executableFolder());
    if (!read) {
        std::cerr << read.message << "\n";
        return 1;
    }
    s.shell.setTableShown(true);
    s.shell.headlessDialogs().sendToStdout("Upload completed.");
    bool uploaded = false;
    {
        const SerialChannel::Hold hold(s.channel);
        uploaded = UploadToEEPROM(s.shell, s.host);
    }
    if (!uploaded) return 1;
    keep(s.shell.state(), TransferDirection::Upload);
    return 0;
}

} // namespace kv::cli
