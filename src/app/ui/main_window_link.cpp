// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's module commands: the port frame, download and upload.
#include "app/ui/main_window.h"
#include "base/step_runner.h"
#include "link/transfers.h"
#include "link/ui/link_controller.h"
#include "link/ui/port_select_frame.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"

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
    static constexpr const char* kLocked[] = {
        "mnuNewTable", "mnuOpenTable",     "mnuCloseTable", "mnuSaveTable",  "mnuDownload",
        "mnuUpload",   "mnuEditModParams", "mnuPopUpPaste", "mnuPopUpModify"};
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

void MainWindow::mnuDownload_Click() {
    runTransfer([&] { DownloadFromEEPROM(*this, m_link->host()); });
}

void MainWindow::mnuUpload_Click() {
    runTransfer([&] { UploadToEEPROM(*this, m_link->host()); });
}

} // namespace kv
