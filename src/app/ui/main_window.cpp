// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"
#include "base/companion_folder.h"
#include "textlib/ui/shown_text.h"

#include "app/ui/help_viewer.h"
#include "app/ui/qt_dialogs.h"
#include "base/step_runner.h"
#include "files/close_table.h"
#include "files/open_table.h"
#include "files/save_table.h"
#include "files/ui/new_table_dialog.h"
#include "link/transfers.h"
#include "link/ui/link_controller.h"
#include "link/ui/port_select_frame.h"
#include "link/ui/port_settings.h"
#include "link/ui/progress_frame.h"
#include "print/ui/report_printer.h"
#include "table/cell_edit.h"
#include "table/numbers.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"
#include "table/ui/table_model.h"
#include "table/window_layout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <cmath>

namespace kv {

QString installedCompanionFolder() {
    const std::string exe = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    return QFile::decodeName(companionFolder(exe).c_str());
}

MainWindow::MainWindow(Branding branding, Dialogs* dialogs, QString programFolder,
                       std::unique_ptr<PortSettings> portSettings, QWidget* parent)
    : QMainWindow(parent), m_branding(std::move(branding)),
      m_folder(programFolder.isEmpty() ? installedCompanionFolder() : std::move(programFolder)) {
    setObjectName(QStringLiteral("frmKestrel_Main"));
    setWindowTitle(QStringLiteral("Kestrel Vanta Version " KV_VERSION));
    if (!dialogs) {
        auto own = std::make_unique<QtDialogs>(this);
        // A prompt that refers to Help offers it, at the prompt's own section.
        own->setHelp([this](QWidget* prompt) { showHelp(helpSectionFor(prompt), prompt); });
        // The file dialogs start where the user last was, in this run or an earlier one.
        own->setFolderStore([this] { return m_link->settings().lastFolder(); },
                            [this](const QString& f) { m_link->settings().setLastFolder(f); },
                            m_folder);
        m_ownDialogs = std::move(own);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(central);
    m_chart = new AdvanceChart(m_state, central);
    m_chart->setObjectName(QStringLiteral("Chart2D1"));
    m_model = new TableModel(m_state, this);
    m_grid = new GridView(m_model, central);
    wireTableViews();
    m_portFrame = new PortSelectFrame(central);
    m_portFrame->setObjectName(QStringLiteral("fraPortSelect"));
    m_portFrame->move(24, 24);
    m_portFrame->hide();
    m_progressFrame = new ProgressFrame(central);
    m_progressFrame->setObjectName(QStringLiteral("fraProgress1"));
    m_progressFrame->hide();
    m_link = std::make_unique<LinkController>(m_state, *m_dialogs, *m_progressFrame,
                                              std::move(portSettings));
    buildMenus();
    buildStatusBar();
    // A device search asks the port's devices itself: no transfer may start meanwhile.
    connect(m_link.get(), &LinkController::searchingChanged, this, [this](bool searching) {
        for (const char* name : {"mnuDownload", "mnuUpload", "mnuCompareModule"})
            action(name)->setEnabled(!searching);
    });
    resize(900, 640);

    // Escape reaches the window whatever has the focus, and is not taken from it.
    qApp->installEventFilter(this);
    Form_Load();
}

MainWindow::~MainWindow() {
    if (qApp) qApp->removeEventFilter(this);
}

QAction* MainWindow::addItem(QMenu* menu, const char* caption, const char* name) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* newTable = addItem(file, "&New Table", "mnuNewTable");
    newTable->setShortcut(QKeySequence::New);
    QAction* open = addItem(file, "&Open Table", "mnuOpenTable");
    open->setShortcut(QKeySequence::Open);
    QAction* close = addItem(file, "&Close Table", "mnuCloseTable");
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    QAction* save = addItem(file, "&Save Table", "mnuSaveTable");
    save->setShortcut(QKeySequence::Save);
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep2"));
    addItem(file, "&Print Table", "mnuPrintTable")->setShortcut(QKeySequence::Print);
    addItem(file, "Print Set&up...", "mnuPrintSetup");
    file->addSeparator()->setObjectName(QStringLiteral("mnuSep3"));
    QAction* exit = addItem(file, "E&xit", "mnuExit");

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    m_editMenu = edit;
    addItem(edit, "Edit &Module Parameters", "mnuEditModParams");

    QMenu* comm = menuBar()->addMenu(QStringLiteral("&Communications"));
    comm->setObjectName(QStringLiteral("mnuComm"));
    QAction* download = addItem(comm, "&Download From EEPROM", "mnuDownload");
    QAction* upload = addItem(comm, "&Upload To EEPROM", "mnuUpload");
    QAction* compareModule = addItem(comm, "&Compare With Module", "mnuCompareModule");
    compareModule->setCheckable(true);
    QAction* portSetup = addItem(comm, "&Port Setup", "mnuPortSetup");

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* contents = addItem(help, "&Contents", "mnuHelpContents");
    contents->setShortcut(QKeySequence::HelpContents);
    QAction* about = addItem(help, "&About...", "mnuAbout");

    // The grid's pop-up menu belongs to the window but never shows in the menu bar.
    m_popup = new QMenu(QStringLiteral("PopUp Edit"), this);
    m_popup->setObjectName(QStringLiteral("mnuPopUpEdit"));
    addItem(m_popup, "Copy", "mnuPopUpCopy");
    addItem(m_popup, "Paste", "mnuPopUpPaste");
    addItem(m_popup, "Modify", "mnuPopUpModify");
    wireGridEditing();
    wireHistoryAndCompare(file, edit);
    wireEditMenu();
    wireBulkEdits(file, edit);

    connect(newTable, &QAction::triggered, this, [this] { runNewTable(*this, this); });
    connect(open, &QAction::triggered, this,
            [this] { runStep(*m_dialogs, [&] { OpenTable(*this); }); });
    connect(save, &QAction::triggered, this, [this] {
        runStep(*m_dialogs, [&] { SaveTable(*this); });
        updateHistoryActions(); // the table may have a file now
    });
    connect(close, &QAction::triggered, this, &MainWindow::mnuCloseTable_Click);
    connect(exit, &QAction::triggered, this, &MainWindow::mnuExit_Click);
    connect(contents, &QAction::triggered, this, &MainWindow::mnuHelpContents_Click);
    connect(about, &QAction::triggered, this, &MainWindow::mnuAbout_Click);
    connect(download, &QAction::triggered, this, &MainWindow::mnuDownload_Click);
    connect(upload, &QAction::triggered, this, &MainWindow::mnuUpload_Click);
    connect(compareModule, &QAction::triggered, this, &MainWindow::mnuCompareModule_Click);
    connect(portSetup, &QAction::triggered, this, &MainWindow::mnuPortSetup_Click);
    wireParamsAndPrint();
}

QAction* MainWindow::action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void MainWindow::Form_Load() {
    // No table is on screen from the first moment, whatever a prompt below is answered.
    setTableShown(false);
    StepRunner steps(*m_dialogs);
    // Once a step is aborted, the runner skips the steps after it.
    steps.run([&] {
        QCoreApplication::setApplicationName(QStringLiteral("Kestrel_Vanta_Main"));
        QDir::setCurrent(m_folder);
        m_state.AbortRequested = false;
    });
    // Attached once, apart from the reading that a Retry repeats.
    steps.run([&] { m_link->attachPortFrame(*m_portFrame); });
    steps.run([&] { m_link->loadStoredPort(); });
    steps.run([&] { m_link->applySettings(); });
    steps.run([&] {
        if (!loadChartTemplate())
            m_dialogs->message("Chart template file Vanta_Chart.oc2 not found.", "Form Load",
                               Buttons::OK, Icon::Exclamation);
        hideValueLabel();
    });
    // An Abort above gives up what is left of the port and the chart template; the window
    // still becomes the empty start window below: table store, caption, start values,
    // centred on the screen.
    finishLoad();
}

void MainWindow::finishLoad() {
    StepRunner steps(*m_dialogs);
    if (!steps.run([&] {
            m_state.AdvanceTable.fill(0);
            m_state.ExMaxTable.fill(0);
            m_state.live.writeHeadings();
            m_model->storeChanged();
            m_grid->setCurrentCell(0, 0);
        }))
        return;
    if (!steps.run([&] {
            applyMinimumSize();
            m_state.BaseCaption = programText(windowTitle());
            setCaption(m_branding.shortName() + " " + m_state.BaseCaption);
        }))
        return;
    if (!steps.run([&] {
            m_state.resetToStart();
            action("mnuPopUpPaste")->setEnabled(false);
        }))
        return;
    steps.run([&] {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect avail = screen->geometry();
            move(avail.x() + (avail.width() - width()) / 2,
                 avail.y() + (avail.height() - height()) / 2);
        }
    });
}

std::string MainWindow::companionPath(const std::string& name) const {
    return QFile::encodeName(m_folder + QLatin1Char('/') + shownText(name)).toStdString();
}

void MainWindow::setTableShown(bool shown) {
    m_tableShown = shown;
    if (!shown) {
        forgetOpenTable();
        m_chart->setLimits(std::nullopt);
    }
    updateHistoryActions();
    updateEditMenu();
    m_chart->setVisible(shown);
    m_grid->setVisible(shown);
    if (shown) {
        m_grid->setCurrentCell(0, 0);
        // The keys act on the table from the moment it is shown.
        m_grid->setFocus(Qt::OtherFocusReason);
    }
    updateStatus();
}

std::string MainWindow::caption() const {
    return programText(windowTitle());
}

void MainWindow::setCaption(const std::string& caption) {
    setWindowTitle(shownText(caption));
}

void MainWindow::processEvents() {
    QCoreApplication::processEvents();
}

bool MainWindow::loadChartTemplate() {
    return m_chart->loadTemplate(QFile::decodeName(companionPath("Vanta_Chart.oc2").c_str()));
}

void MainWindow::liveTableChanged() {
    m_model->storeChanged();
    m_chart->refresh();
    updateStatus();
}

void MainWindow::hideValueLabel() {
    m_chart->hideValueLabel();
}

void MainWindow::wireTableViews() {
    // A press on a point makes its cell current; the release writes the cell's text.
    connect(m_chart, &AdvanceChart::currentCellRequested, m_grid, &GridView::setCurrentCell);
    connect(m_chart, &AdvanceChart::gridTextWritten, m_model, &TableModel::cellChanged);
    // The value label marks the current data cell's point.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now) {
                if (now.row() > 0 && now.column() > 0 && m_tableShown)
                    m_chart->showValueLabelAt(seriesOfRow(now.row()), now.column());
            });
    // A typed value is checked against the table's limits before it is stored.
    m_model->setEditCheck([this](int row, int col, const std::string& text) {
        if (const auto refusal = refuseEdit(m_state, row, col, text)) {
            m_dialogs->message(*refusal, "Advance Edit", Buttons::OK, Icon::Critical);
            m_grid->reopenEditor(row, col, QString::fromLatin1(text));
            return false;
        }
        return true;
    });
    connect(m_model, &TableModel::cellEdited, this, [this](int row, int col) {
        m_chart->refresh();
        m_chart->setValueLabelText(
            QString::fromStdString(format1(m_state.live.value(seriesOfRow(row), col))));
    });
}

double MainWindow::twipsPerPixelX() const {
    return twipsPerPixel(logicalDpiX());
}
double MainWindow::twipsPerPixelY() const {
    return twipsPerPixel(logicalDpiY());
}

void MainWindow::applyMinimumSize() {
    const double tx = twipsPerPixelX(), ty = twipsPerPixelY();
    const QSize cell = m_grid->minimumCellSize();
    const QSize chart = m_chart->minimumUncutSize();
    const int frame = 2 * m_grid->frameWidth();
    // The layout backwards: 17 columns of (inner width / 17 - 1) twips in a grid 150
    // twips narrower than the window; 3 rows of (inner height / 3 - 10) twips in a grid
    // of 0.3 H - 725 twips; the chart 0.7 H. The slack covers the whole-number steps.
    const double gridInnerW = 17 * (cell.width() * tx + 1) + 17;
    const double gridInnerH = 3 * (cell.height() * ty + 10) + 3;
    const double wForGrid = (gridInnerW + 150) / tx + frame + 2;
    const double hForGrid = ((gridInnerH + frame * ty + 725) / 0.3) / ty + 2;
    const double hForChart = chart.height() / 0.7 + 2;
    // The layout works on the outer size; the minimum is of the inner one.
    const QSize decoration = frameGeometry().size() - size() - QSize(0, statusBarHeight());
    setMinimumSize(
        static_cast<int>(std::ceil(std::max<double>(wForGrid, chart.width()))) - decoration.width(),
        static_cast<int>(std::ceil(std::max(hForGrid, hForChart))) - decoration.height());
}

int MainWindow::statusBarHeight() const {
    const QStatusBar* bar = findChild<QStatusBar*>();
    return bar && !bar->isHidden() ? bar->sizeHint().height() : 0;
}

void MainWindow::resizeLayout() {
    runStep(*m_dialogs, [&] {
        const double tx = twipsPerPixelX(), ty = twipsPerPixelY();
        // The status bar lies below the area the layout shares out.
        const QSize outer = frameGeometry().size() - QSize(0, statusBarHeight());
        const WindowLayout l = layoutFor(outer.width() * tx, outer.height() * ty);
        auto px = [](int twips, double tpp) { return static_cast<int>(twips / tpp); };
        m_chart->setGeometry(px(l.chart.left, tx), px(l.chart.top, ty), px(l.chart.width, tx),
                             px(l.chart.height, ty));
        m_grid->setGeometry(px(l.grid.left, tx), px(l.grid.top, ty), px(l.grid.width, tx),
                            px(l.grid.height, ty));
        m_grid->fitCells(tx, ty);
        m_progressFrame->move((width() - m_progressFrame->width()) / 2,
                              (centralWidget()->height() - m_progressFrame->height()) / 2);
        resetPort(isMinimized());
    });
}

void MainWindow::resetPort(bool minimised) {
    if (m_transfer) {
        m_portResetPending = true;
        return;
    }
    m_link->closePortIfOpen();
    if (!minimised) m_link->applySettings();
}

void MainWindow::applyInteraction(const std::string& tableType) {
    const bool race = tableType == "RACE";
    m_model->setEditable(race);
    m_grid->setToolTip(race ? QStringLiteral("Click to select or double click to edit cell")
                            : QStringLiteral("Click to select. The cells of an EX or TEX table "
                                             "are not typed into: drag a point on the chart, or "
                                             "use Paste or Modify Selection (Edit menu, right "
                                             "button, Shift+F10 or the menu key)."));
    // The limits each value is held to, drawn faintly over the curves.
    m_chart->setLimits(race ? std::nullopt : std::optional<Table16x2>(m_state.ExMaxTable));
    updateStatus();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    resizeLayout();
}

void MainWindow::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // Minimising is a resize too: the port is closed but the settings stay.
    if (e->type() == QEvent::WindowStateChange && isMinimized())
        runStep(*m_dialogs, [&] { resetPort(true); });
}

void MainWindow::mnuCloseTable_Click() {
    runStep(*m_dialogs, [&] { CloseTable(*this); });
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (m_transfer) {
        // Unloading under a running transfer would pull the port from under it.
        m_dialogs->message("A transfer with the module is under way. Wait for it to end, "
                           "or press Escape to stop a download, before closing.",
                           "Exit Program", Buttons::OK, Icon::Exclamation);
        e->ignore();
        return;
    }
    bool keep = false;
    if (m_tableShown)
        keep = !offerToSave(*this, "Save advance table before exiting?", "Exit Program");
    m_link->closePortIfOpen();
    if (keep) {
        e->ignore();
        return;
    }
    e->accept();
    // Unload every other window, the most recently made first.
    const auto windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (*it != this && (*it)->isVisible()) (*it)->close();
}

void MainWindow::mnuHelpContents_Click() {
    showHelp({});
}

void MainWindow::showHelp(const QString& anchor, QWidget* over) {
    const QString path = m_folder + QStringLiteral("/Kestrel_Vanta_Help.html");
    if (!QFileInfo(path).isFile()) {
        m_dialogs->message("Help file " + path.toStdString() + " not found.", "Help", Buttons::OK,
                           Icon::Exclamation);
        return;
    }
    HelpViewer* viewer = m_help;
    if (over) {
        // A prompt that blocks the window: its help is its own, so that it can be read
        // and scrolled while the prompt waits, and goes with it.
        viewer = new HelpViewer(over);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    } else if (!m_help) {
        viewer = m_help = new HelpViewer(this);
    }
    viewer->showSection(path, anchor);
}

QString helpSectionFor(const QWidget* prompt) {
    if (!prompt) return {};
    static const std::pair<const char*, const char*> kSections[] = {
        {"New Table", "new"},
        {"frmModParams", "params"},
        {"Modify Selection", "modify"},
        {"Open File", "files"},
        {"Save File", "files"},
        {"Compare With", "compare"},
        {"Optional Information", "print"},
        {"Printer Setup", "print"}};
    for (const auto& [key, section] : kSections)
        if (prompt->objectName() == QLatin1String(key) ||
            prompt->windowTitle().contains(QLatin1String(key)))
            return QString::fromLatin1(section);
    return {};
}

void MainWindow::mnuAbout_Click() {
    m_dialogs->message(aboutText(m_branding), "About", Buttons::OK, Icon::Information);
}

void MainWindow::escapePressed() {
    m_state.AbortRequested = true;
    hideValueLabel();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    // F1 in a prompt of this window opens Help at the prompt's own section.
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        QWidget* prompt = QApplication::activeModalWidget();
        QWidget* target = prompt && prompt->focusWidget() ? prompt->focusWidget() : prompt;
        if (prompt && prompt != this && watched == target) {
            showHelp(helpSectionFor(prompt), prompt);
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && !static_cast<QKeyEvent*>(e)->isAutoRepeat())
            escapePressed();
    }
    return QMainWindow::eventFilter(watched, e);
}

} // namespace kv
