// SPDX-License-Identifier: GPL-3.0-or-later
// The Module Parameters dialog and the printed report, as the menus reach them.
#include "app/ui/main_window.h"
#include "params/ui/module_params_dialog.h"
#include "print/ui/report_printer.h"
#include "table/ui/advance_chart.h"

namespace kv {

void MainWindow::wireParamsAndPrint() {
    connect(action("mnuEditModParams"), &QAction::triggered, this,
            &MainWindow::mnuEditModParams_Click);
    connect(action("mnuPrintTable"), &QAction::triggered, this, &MainWindow::mnuPrintTable_Click);
    connect(action("mnuPrintSetup"), &QAction::triggered, this, &MainWindow::mnuPrintSetup_Click);
}

void MainWindow::setPrinters(std::unique_ptr<PrinterSeam> printers) {
    m_printers = std::move(printers);
}

void MainWindow::mnuEditModParams_Click() {
    // A change made with a table open is one step of its history.
    if (m_tableShown)
        editModuleParameters([this] { runModuleParameters(*this, this); });
    else
        runModuleParameters(*this, this);
}

void MainWindow::mnuPrintTable_Click() {
    if (!m_printers) m_printers = std::make_unique<SystemPrinters>();
    PrintTable(*this, *m_printers, *m_chart, m_branding.shortName());
}

void MainWindow::mnuPrintSetup_Click() {
    if (!m_printers) m_printers = std::make_unique<SystemPrinters>();
    PrintSetup(*m_dialogs, *m_printers, this);
}

} // namespace kv
