// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "print/report_layout.h"
#include "table/shell.h"

#include <QPrinter>
#include <functional>
#include <string>

class QPainter;
class QWidget;

namespace kv {

class AdvanceChart;

// The printer the report goes to: the system's, or a stand-in in the tests.
class PrinterSeam {
public:
    virtual ~PrinterSeam() = default;
    // The printer of the next print; nullptr when there is none to print on.
    [[nodiscard]] virtual QPrinter* printer() = 0;
    // Print set-up: the printer chosen there is the one the next print uses; Cancel
    // changes nothing.
    virtual void setup(QWidget* parent) = 0;
};

// The system's printers through Qt's print dialog. Until a printer is chosen in
// set-up, each print follows the system's default printer.
class SystemPrinters : public PrinterSeam {
public:
    QPrinter* printer() override;
    void setup(QWidget* parent) override;

private:
    QPrinter m_printer{QPrinter::HighResolution};
    bool m_chosen = false;
};

// The report's font at its 8 points: the family the report layout picks from the fonts
// the program can print with, held to a fixed pitch.
[[nodiscard]] QFont reportFont();
// The date and time of printing: the short date, a blank and the long time.
[[nodiscard]] std::string reportTimestamp();

// The two pages, each drawn with a painter begun on a landscape page.
void drawChartPage(QPainter& painter, const QFont& font, const ReportInput& in,
                   AdvanceChart& chart);
void drawDataPage(QPainter& painter, const QFont& font, const ReportInput& in);

// One print job on the printer, landscape: `draw` fills its page. Raises the printer
// error when the job cannot start or fails.
void printJob(QPrinter& printer, const std::function<void(QPainter&)>& draw);
// Both pages as the bytes of one PDF file. Raises the file error when they cannot be drawn.
[[nodiscard]] std::string reportPdf(const QFont& font, const ReportInput& in, AdvanceChart& chart);
// Writes both pages to one PDF file through the one save, whole or not at all; raises the
// file error "Error saving " + path when it cannot.
void writeReportPdf(const std::string& path, const QFont& font, const ReportInput& in,
                    AdvanceChart& chart);

// The File menu's Print Table and Print Set-up. `chart` draws the chart page.
void PrintTable(Shell& shell, PrinterSeam& printers, AdvanceChart& chart,
                const std::string& shortName);
void PrintSetup(Dialogs& dialogs, PrinterSeam& printers, QWidget* parent);

} // namespace kv
