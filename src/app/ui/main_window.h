// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/branding.h"
#include "link/transfer_history.h"
#include "link/ui/port_settings.h"
#include "table/program_state.h"
#include "table/shell.h"

#include <QAction>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QLabel;
class QMenu;

namespace kv {

class AdvanceChart;
class EditHistory;
class GridView;
class TableModel;
class HelpViewer;
class LinkController;
class PortSelectFrame;
class ProgressFrame;
class PrinterSeam;

// The folder of the companion files for the running program (see companionFolder).
[[nodiscard]] QString installedCompanionFolder();
// The section of Help about a prompt (a dialog or a message box), by its name or title;
// empty for one Help has no section for.
[[nodiscard]] QString helpSectionFor(const QWidget* prompt);

// The program's one long-lived window: menus, the chart over the grid, the port and
// progress frames. It is a switchboard: each command lives with its subsystem and
// runs against the Shell this window provides.
class MainWindow : public QMainWindow, public Shell {
    Q_OBJECT
public:
    // `dialogs` null: real dialogs. `programFolder` empty: the executable's folder.
    // `portSettings` null: the per-user settings store.
    MainWindow(Branding branding, Dialogs* dialogs = nullptr, QString programFolder = {},
               std::unique_ptr<PortSettings> portSettings = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shell
    ProgramState& state() override { return m_state; }
    Dialogs& dialogs() override { return *m_dialogs; }
    std::string companionPath(const std::string& name) const override;
    bool tableShown() const override { return m_tableShown; }
    void setTableShown(bool shown) override;
    std::string caption() const override;
    void setCaption(const std::string& caption) override;
    void processEvents() override;
    bool loadChartTemplate() override;
    void liveTableChanged() override;
    void hideValueLabel() override;
    void resizeLayout() override;
    void applyInteraction(const std::string& tableType) override;

    [[nodiscard]] QAction* action(const char* name) const;
    [[nodiscard]] QMenu* popupMenu() const { return m_popup; }
    [[nodiscard]] GridView* grid() const { return m_grid; }
    [[nodiscard]] AdvanceChart* chart() const { return m_chart; }
    [[nodiscard]] const Branding& branding() const { return m_branding; }
    [[nodiscard]] LinkController& link() const { return *m_link; }
    [[nodiscard]] PortSelectFrame* portFrame() const { return m_portFrame; }
    [[nodiscard]] ProgressFrame* progressFrame() const { return m_progressFrame; }
    // True while a download or an upload runs.
    [[nodiscard]] bool transferRunning() const { return m_transfer; }
    [[nodiscard]] double twipsPerPixelX() const;
    [[nodiscard]] double twipsPerPixelY() const;

    // Menu commands.
    void mnuCloseTable_Click();
    void mnuRevertTable_Click();
    void mnuExit_Click() { close(); }
    void mnuHelpContents_Click();
    void mnuAbout_Click();
    void mnuPortSetup_Click();
    void mnuDownload_Click();
    void mnuUpload_Click();
    void mnuEditModParams_Click();
    void mnuPrintTable_Click();
    void mnuPrintSetup_Click();
    // Adds an item to the Edit menu that runs `command` (a pop-up menu item, say) and is
    // available as it is while a table is open.
    QAction* addEditCommand(QAction* command, const char* caption, const char* name);
    // Help opened at the section `anchor` (empty: its contents), over `over` (a prompt
    // that refers to Help) or beside the window.
    void showHelp(const QString& anchor, QWidget* over = nullptr);
    // The printers Print Table and Print Set-up use (the system's unless set).
    void setPrinters(std::unique_ptr<PrinterSeam> printers);

    // Undo, Redo and Compare With (main_window_undo.cpp).
    [[nodiscard]] EditHistory& history() const { return *m_history; }
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuCompareWith_Click();
    [[nodiscard]] bool comparing() const;

    // The transfer history (main_window_link.cpp).
    void mnuHistory_Click();
    void mnuCompareModule_Click();
    // Runs with the History dialog, before it is shown (tests answer it from here).
    void setHistoryDialogHook(std::function<void(QDialog&)> hook) {
        m_historyHook = std::move(hook);
    }
    // Runs the Module Parameters dialog (`runDialog`, modal, every change taking effect
    // at once) as one step of the undo history; nothing is recorded when it changed
    // nothing.
    void editModuleParameters(const std::function<void()>& runDialog);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* caption, const char* name);
    void Form_Load();
    void finishLoad();
    // The smallest window at which no heading, value or axis label is cut.
    void applyMinimumSize();
    void escapePressed();
    void wireTableViews();
    // The grid's pop-up menu, copy and paste keys and Modify (main_window_edit.cpp).
    void wireGridEditing();
    void wireEditMenu();
    void updateEditMenu();
    // The status bar: the table's type, the module read, what a comparison found
    // (main_window_status.cpp).
    void buildStatusBar();
    [[nodiscard]] int statusBarHeight() const;
    void updateStatus();
    void wireParamsAndPrint(); // main_window_print.cpp
    void wireHistoryAndCompare(QMenu* file, QMenu* edit);
    // Interpolate, Smooth, Paste From Spreadsheet and Revert to Saved (main_window_edit.cpp).
    void wireBulkEdits(QMenu* file, QMenu* edit);
    // Undo, Redo, Compare With and the bulk edits are available while a table is open and
    // no transfer runs; Revert to Saved when the table also has a file.
    void updateHistoryActions();
    // The open table was closed or is being replaced: its history and comparison end.
    void forgetOpenTable();
    void endComparison();
    // Compares the open table with `values` and their parameters and type, named `name`;
    // `module` when they are the module's.
    void showComparison(const Table16x2& values, const ModuleParameters& params,
                        const std::string& tableType, const QString& name, bool module = false);
    // Compares the open table with a table file; false when it could not be read.
    bool compareWithFile(const std::string& path);
    // Keeps the transfer just done in the history; warns once when it cannot.
    void keepInHistory(const ProgramState& s, TransferDirection direction);
    // Port handling of the resize: close an open port, and unless minimised apply the
    // line settings again. Put off while a transfer runs.
    void resetPort(bool minimised);
    // Runs a transfer with every command that could disturb it unavailable.
    template <class Body> void runTransfer(Body&& body);

    ProgramState m_state;
    Branding m_branding;
    QString m_folder;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs;

    TableModel* m_model = nullptr;
    GridView* m_grid = nullptr;
    AdvanceChart* m_chart = nullptr;
    QMenu* m_popup = nullptr;
    QMenu* m_editMenu = nullptr;
    std::vector<std::pair<QAction*, QAction*>> m_editCommands; // Edit menu item, its command
    HelpViewer* m_help = nullptr;
    PortSelectFrame* m_portFrame = nullptr;
    ProgressFrame* m_progressFrame = nullptr;
    std::unique_ptr<LinkController> m_link;
    std::unique_ptr<PrinterSeam> m_printers;
    EditHistory* m_history = nullptr;
    // The parameters and type of the table compared with, and its file's name.
    ModuleParameters m_referenceParams;
    std::string m_referenceType;
    QString m_referenceName;
    QLabel* m_typeStatus = nullptr;
    QLabel* m_moduleStatus = nullptr;
    QLabel* m_compareStatus = nullptr;
    bool m_tableShown = false;
    bool m_transfer = false;
    bool m_portResetPending = false;
    std::function<void(QDialog&)> m_historyHook;
    bool m_comparingModule = false;
};

} // namespace kv
