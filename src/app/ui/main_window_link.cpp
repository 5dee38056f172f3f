// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's module commands: the port frame, download and upload, comparing
// with the module, and the history of transfers.
#include "app/ui/history_dialog.h"
#include "app/ui/main_window.h"
#include "base/step_runner.h"
#include "files/open_table.h"
#include "link/transfers.h"
#include "link/ui/history_folder.h"
#include "link/ui/link_controller.h"
#include "link/ui/port_select_frame.h"
#include "table/table_diff.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"
#include "textlib/ui/shown_text.h"

#include <ctime>

namespace kv {

void MainWindow::mnuPortSetup_Click() {
    m_portFrame->show();
    m_portFrame->raise();
    // The keys go to the frame: Tab moves on through it, to its OK.
    if (auto* ports = m_portFrame->findChild<QWidget*>(QStringLiteral("cboPort")))
        ports->setFocus(Qt::OtherFocusReason);
}

// Only one transfer runs at a time. While it runs, the commands that would start another,
// change the open table or its file, or change the port are unavailable; a resize does
// not close the port under it but has its port handling done when the transfer ends.
template <class Body> void MainWindow::runTransfer(Body&& body) {
    if (m_transfer || m_link->searching()) return;
    static constexpr const char* kLocked[] = {"mnuNewTable",      "mnuOpenTable",  "mnuCloseTable",
                                              "mnuSaveTable",     "mnuDownload",   "mnuUpload",
                                              "mnuEditModParams", "mnuPopUpPaste", "mnuPopUpModify",
                                              "mnuCompareModule", "mnuHistory"};
    std::vector<std::pair<QAction*, bool>> was;
    for (const char* name : kLocked) {
        QAction* a = action(name);
        was.emplace_back(a, a->isEnabled());
        a->setEnabled(false);
    }
    const bool portFrameEnabled = m_portFrame->isEnabled();
    const bool gridEnabled = m_grid->isEnabled();
    const bool chartEnabled = m_chart->isEnabled();
    m_portFrame->setEnabled(false);
    m_grid->setEnabled(false);
    m_chart->setEnabled(false);
    m_transfer = true;
    updateHistoryActions();

    {
        // The command's exchanges reopen the port as they go; the device stays open
        // underneath until the command ends.
        const SerialChannel::Hold hold(m_link->channel());
        runStep(*m_dialogs, body);
    }

    m_transfer = false;
    updateHistoryActions();
    for (auto& [a, enabled] : was)
        a->setEnabled(enabled);
    m_portFrame->setEnabled(portFrameEnabled);
    m_grid->setEnabled(gridEnabled);
    m_chart->setEnabled(chartEnabled);
    if (m_portResetPending) {
        m_portResetPending = false;
        runStep(*m_dialogs, [&] { resetPort(isMinimized()); });
    }
}

// The history is written once the module is done with, outside the transfer.
void MainWindow::mnuDownload_Click() {
    bool done = false;
    runTransfer([&] { done = DownloadFromEEPROM(*this, m_link->host()); });
    if (done) keepInHistory(m_state, TransferDirection::Download);
}

void MainWindow::mnuUpload_Click() {
    bool done = false;
    runTransfer([&] { done = UploadToEEPROM(*this, m_link->host()); });
    if (done) keepInHistory(m_state, TransferDirection::Upload);
}

void MainWindow::keepInHistory(const ProgramState& s, TransferDirection direction) {
    const std::string folder = historyFolder();
    runStep(*m_dialogs, [&] {
        if (!keepTransfer(folder, keptFrom(s, direction), std::time(nullptr)))
            m_dialogs->message("This transfer could not be kept in the history: " + folder +
                                   " cannot be written. The transfer itself is done.",
                               "History", Buttons::OK, Icon::Exclamation);
    });
}

namespace {

// What Compare With Module found, in the lines the companion's diff prints.
std::string comparisonReport(const ProgramState& module, const TableDifferences& d) {
    std::string text = "Module " + module.FirmwareID + ": ";
    if (d.same()) return text + "it holds the open table exactly.";
    text += d.cells.empty() ? "every value as in the open table"
                            : std::to_string(d.cells.size()) +
                                  " values differ from the open table, drawn dashed on the "
                                  "chart and tinted in the grid";
    if (d.params.empty()) return text + "; every parameter as in the open table.";
    text += ".\n\nParameters that differ (open table -> module):";
    for (const ParameterDifference& p : d.params)
        text += "\n" + p.name + ": " + p.a + " -> " + p.b;
    return text;
}

} // namespace

void MainWindow::mnuCompareModule_Click() {
    if (m_comparingModule) {
        endComparison();
        return;
    }
    ProgramState module;
    bool read = false;
    runTransfer([&] { read = ReadModuleForComparison(*this, m_link->host(), module); });
    if (read) {
        keepInHistory(module, TransferDirection::Download);
        showComparison(module.AdvanceTable, module.params, module.TableType,
                       QStringLiteral("Module %1").arg(shownText(module.FirmwareID)), true);
        const TableDifferences d = compareTables(
            comparedLive(m_state), {module.AdvanceTable, module.params, module.TableType});
        m_dialogs->message(comparisonReport(module, d), "Compare With Module", Buttons::OK,
                           Icon::Information);
    }
    action("mnuCompareModule")->setChecked(m_comparingModule);
}

void MainWindow::mnuHistory_Click() {
    if (m_transfer) return;
    const std::string folder = historyFolder();
    HistoryDialog dialog(listHistory(folder), folder, m_tableShown, this);
    if (m_historyHook) m_historyHook(dialog);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen()) return;
    const HistoryEntry entry = *dialog.chosen();
    if (dialog.choice() == HistoryDialog::Choice::Open) {
        runStep(*m_dialogs, [&] {
            OpenTable(*this, entry.path, "History: " + HistoryDialog::describe(entry));
        });
        return;
    }
    compareWithFile(entry.path);
}

} // namespace kv
