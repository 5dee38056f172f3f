// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "link/port_map.h"
#include "link/protocol.h"
#include "link/ui/port_settings.h"
#include "link/ui/qt_link_host.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>

namespace kv::cli {
namespace {

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

std::string resolvePortArgument(const std::string& port) {
    if (const auto n = portNumberOf(port)) return PortSettings().deviceFor(*n);
    if (port.find('/') == std::string::npos && port.find('\\') == std::string::npos)
        throw UsageError("PORT is a device path or Com1..Com255, not '" + port + "'");
    return port;
}

int runId(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {"--json"}, {"--port"});
    const auto port = a.option("--port");
    if (!port || !a.positional.empty()) throw UsageError("expected --port PORT");
    const std::string device = resolvePortArgument(*port);

    int argc = 1;
    char name[] = "kestrel-vanta-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    ProgramState state;
    HeadlessDialogs dialogs;
    NoProgress progress;
    SerialChannel channel(device);
    QtLinkHost host(state, dialogs, channel, progress);
    ReadFirmwareID(host);
    if (!state.CommOKFlag) {
        std::cerr << (state.FirmwareID.empty() && dialogs.messages().empty()
                          ? "Invalid firmware ID."
                          : "Firmware ID read failed.")
                  << "\n";
        return 1;
    }
    if (a.has("--json"))
        std::cout << "{\"FirmwareID\": " << jsonString(state.FirmwareID) << ", \"type\": \""
                  << state.TableType << "\"}\n";
    else
        std::cout << "FirmwareID: " << state.FirmwareID << "\nType: " << state.TableType << "\n";
    return 0;
}

} // namespace kv::cli
