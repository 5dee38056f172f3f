// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's status bar: the open table's type and its limits, the module last
// read, and the module parameters in which a compared table differs.
#include "app/ui/main_window.h"
#include "table/table_diff.h"
#include "table/ui/table_model.h"
#include "textlib/ui/shown_text.h"

#include <QLabel>
#include <QStatusBar>

namespace kv {
namespace {

// The names the Module Parameters dialog gives the parameters.
QString parameterName(const std::string& name) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"RearOffset", "Rear Cyl Offset"},
        {"RetardVal", "Retard"},
        {"CrankRevs", "Cranking Revs"},
        {"RPMLimit", "RPM Limit"},
        {"FixedLimFlag", "Fixed RPM Limit"},
        {"SelEEPROMTblFlag", "EEPROM Advance Table"},
        {"RetardEnableFlag", "VOES Input for Retard"},
        {"KickStartFlag", "Kick Start Mode"}};
    for (const auto& [key, shown] : kNames)
        if (name == key) return QString::fromLatin1(shown);
    return QString::fromStdString(name);
}

QLabel* addLabel(QStatusBar* bar, const char* name, bool permanent) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    if (permanent)
        bar->addPermanentWidget(label);
    else
        bar->addWidget(label, 1);
    return label;
}

} // namespace

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    m_compareStatus = addLabel(bar, "lblCompare", false);
    // However long the list, it never widens the window: what does not fit is cut, and
    // the tooltip has it whole.
    m_compareStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_typeStatus = addLabel(bar, "lblTableType", true);
    m_moduleStatus = addLabel(bar, "lblModuleId", true);
}

void MainWindow::updateStatus() {
    if (!m_typeStatus) return;
    const QString type = QString::fromStdString(m_state.TableType);
    m_typeStatus->setVisible(m_tableShown);
    m_typeStatus->setText(type + QStringLiteral(" table"));
    if (m_state.TableType == "EX" || m_state.TableType == "TEX")
        m_typeStatus->setToolTip(
            QStringLiteral("An %1 table: each cell lies from 0 up to its %1 limit, the faint "
                           "line over each curve. Cells are not typed into: drag a point on "
                           "the chart, or use Paste or Modify Selection.")
                .arg(type));
    else
        m_typeStatus->setToolTip(
            QStringLiteral("A RACE table: each cell lies from 0 to 40 degrees."));

    m_moduleStatus->setVisible(!m_state.FirmwareID.empty());
    m_moduleStatus->setText(QStringLiteral("Module: ") + shownText(m_state.FirmwareID));
    m_moduleStatus->setToolTip(
        QStringLiteral("The identification of the module last read by Download From EEPROM"));

    if (!comparing()) {
        m_compareStatus->clear();
        m_compareStatus->setToolTip({});
        return;
    }
    const TableDifferences d = compareTables(
        comparedLive(m_state), {*m_model->reference(), m_referenceParams, m_referenceType});
    QStringList names, lines;
    for (const ParameterDifference& p : d.params) {
        if (p.kind == ParameterDifference::Kind::Type) continue; // said when the comparison began
        names << parameterName(p.name);
        lines << QStringLiteral("%1: %2 here, %3 in %4")
                     .arg(parameterName(p.name), QString::fromStdString(p.a),
                          QString::fromStdString(p.b), m_referenceName);
    }
    QString text = QStringLiteral("Compared with ") + m_referenceName;
    if (names.isEmpty())
        text += QStringLiteral("; module parameters the same");
    else
        text += QStringLiteral("; module parameters differ: ") + names.join(QStringLiteral(", "));
    m_compareStatus->setText(text);
    m_compareStatus->setToolTip(lines.isEmpty()
                                    ? QStringLiteral("The module parameters are the same.")
                                    : lines.join(QLatin1Char('\n')));
}

} // namespace kv
