// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "files/branding.h"
#include "files/file_save.h"
#include "files/read_table.h"
#include "print/report_layout.h"
#include "print/ui/report_printer.h"
#include "table/ui/advance_chart.h"
#include "table/ui/gui_platform.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace kv::cli {
namespace {

// The maker's short name from the branding file beside the program; the shipped
// default when the file cannot be read.
std::string makersShortName(const std::filesystem::path& folder) {
    std::ifstream in(folder / "Kestrel_Vanta.cfg", std::ios::binary);
    Branding b;
    try {
        if (in) readBranding(in, b);
    } catch (const KvError&) {
    }
    return b.ContactLines.empty() ? defaultBranding().shortName() : b.shortName();
}

} // namespace

int runPrint(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"-o", "--comment"});
    const auto out = a.option("-o");
    if (a.positional.size() != 1 || !out) throw UsageError("expected one table file and -o");

    const std::filesystem::path folder = executableFolder();
    ProgramState s;
    if (const TableReadResult r = readTableAsOpened(s, a.positional[0], folder.string()); !r) {
        std::cerr << r.message << "\n";
        return 1;
    }

    // The chart is the window's own chart widget, drawn without a window: a GUI
    // application on the offscreen platform, or on the one QT_QPA_PLATFORM names with
    // the offscreen one to fall back on, so no display is needed.
    static int argc = 1;
    static char name[] = "kestrel-vanta-cli";
    static char* argv[] = {name, nullptr};
    const auto app = startGuiApplication(argc, argv, "kestrel-vanta-cli print", true);
    AdvanceChart chart(s);
    QString error;
    const QString chartTemplate = QString::fromStdString((folder / "Vanta_Chart.oc2").string());
    if (!chart.loadTemplate(chartTemplate, &error))
        std::cerr << "Chart template file Vanta_Chart.oc2 not found; the chart keeps its "
                     "designed look.\n";

    ReportInput in = reportInputFrom(s);
    in.shortName = makersShortName(folder);
    in.comment = a.option("--comment").value_or(std::string());
    in.printedAt = reportTimestamp();
    if (!writeFileAtomically(*out, reportPdf(reportFont(), in, chart))) {
        std::cerr << "Error saving " << *out << "\n";
        return 1;
    }
    return 0;
}

} // namespace kv::cli
