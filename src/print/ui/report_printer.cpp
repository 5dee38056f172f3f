// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/ui/report_printer.h"

#include "base/step_runner.h"
#include "files/file_save.h"
#include "table/ui/advance_chart.h"

#include <QBuffer>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <functional>

namespace kv {
namespace {

constexpr double kTwipsPerInch = 1440.0;
// Classic run-time code of a printer failure.
constexpr std::int32_t kErrPrinter = 482;

KvError printerError(const std::string& description) {
    return KvError(kErrPrinter, "Print Table", description);
}

// Keeps the printer's settings that Print Set-up offers.
void copyChoice(const QPrinter& from, QPrinter& to) {
    if (from.outputFormat() == QPrinter::PdfFormat) {
        to.setOutputFormat(QPrinter::PdfFormat);
        to.setOutputFileName(from.outputFileName());
    } else {
        to.setOutputFormat(QPrinter::NativeFormat);
        to.setPrinterName(from.printerName());
    }
    to.setPageLayout(from.pageLayout());
    to.setColorMode(from.colorMode());
    to.setDuplex(from.duplex());
    to.setCopyCount(from.copyCount());
}

// Lines printed one under the other from `topTwips`, items at their character columns,
// each line cut where the page ends.
void printLines(QPainter& painter, const QFont& font, double topTwips,
                const std::vector<ReportLine>& lines) {
    QPaintDevice* device = painter.device();
    painter.setFont(font);
    const QFontMetricsF metrics(painter.font(), device);
    const double charWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    const int columns = static_cast<int>(device->width() / charWidth);
    double y = topTwips * device->logicalDpiY() / kTwipsPerInch;
    painter.save();
    painter.setClipRect(QRect(0, 0, device->width(), device->height()));
    for (const ReportLine& line : fitToColumns(lines, columns)) {
        for (const ReportItem& item : line)
            painter.drawText(QPointF((item.column - 1) * charWidth, y + metrics.ascent()),
                             QString::fromStdString(item.text));
        y += metrics.lineSpacing();
    }
    painter.restore();
}

} // namespace

QPrinter* SystemPrinters::printer() {
    if (!m_chosen) {
        const QString name = QPrinterInfo::defaultPrinterName();
        if (name.isEmpty()) {
            if (QPrinterInfo::availablePrinterNames().isEmpty()) return nullptr;
            m_printer.setPrinterName(QPrinterInfo::availablePrinterNames().front());
        } else {
            m_printer.setPrinterName(name);
        }
    }
    return &m_printer;
}

void SystemPrinters::setup(QWidget* parent) {
    // The dialog works on a copy: only OK hands its choice on.
    QPrinter trial(QPrinter::HighResolution);
    if (m_chosen)
        copyChoice(m_printer, trial);
    else
        trial.setOutputFormat(QPrinter::NativeFormat); // offers the printers and a PDF file
    QPrintDialog dialog(&trial, parent);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // It sets up the printer; it prints nothing.
    if (auto* box = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
    if (dialog.exec() != QDialog::Accepted) return;
    copyChoice(trial, m_printer);
    m_chosen = true;
}

QFont reportFont() {
    std::vector<std::string> families;
    for (const QString& f : QFontDatabase::families())
        families.push_back(f.toStdString());
    QFont font(QString::fromStdString(reportFontFamily(families)), kReportPointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        // Without either font the columns still need a monospaced one.
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(kReportPointSize);
    }
    return font;
}

static QString longTimeWithoutZone(const QLocale& locale) {
    // The system's long time is hours, minutes and seconds, which Qt's long format
    // follows with the time zone ("t"); the zone and the blank before it are left out.
    static const QRegularExpression zone(QStringLiteral("\\s*(?<![A-Za-z'])t+(?![A-Za-z'])"));
    return locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
}

std::string reportTimestamp() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return (locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
            locale.toString(now.time(), longTimeWithoutZone(locale)))
        .toStdString();
}

void drawChartPage(QPainter& painter, const QFont& font, const ReportInput& in,
                   AdvanceChart& chart) {
    QPaintDevice* device = painter.device();
    const double tppX = kTwipsPerInch / device->logicalDpiX();
    const double tppY = kTwipsPerInch / device->logicalDpiY();
    const PixelRect r = chartRect(device->width() * tppX, device->height() * tppY, tppX, tppY);
    printLines(painter, font, kChartHeadingTop, chartPageLines(in));
    chart.hideValueLabel();
    chart.drawInto(painter, QRect(r.left, r.top, r.width, r.height));
}

void drawDataPage(QPainter& painter, const QFont& font, const ReportInput& in) {
    printLines(painter, font, kDataTop, dataPageLines(in));
}

void printJob(QPrinter& printer, const std::function<void(QPainter&)>& draw) {
    const std::string name = printer.printerName().toStdString();
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        throw printerError("The printer " + name + " could not start printing.");
    draw(painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw printerError("The printer " + name + " failed to print.");
}

std::string reportPdf(const QFont& font, const ReportInput& in, AdvanceChart& chart) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Kestrel Vanta"));
        pdf.setTitle(QStringLiteral("Vanta Ignition Module Data"));
        const bool us = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
        pdf.setPageLayout(QPageLayout(QPageSize(us ? QPageSize::Letter : QPageSize::A4),
                                      QPageLayout::Landscape, QMarginsF(6.35, 6.35, 6.35, 6.35),
                                      QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw KvError(kErrFile, "Print Table", "The report could not be drawn.");
        drawChartPage(painter, font, in, chart);
        pdf.newPage();
        drawDataPage(painter, font, in);
        if (!painter.end())
            throw KvError(kErrFile, "Print Table", "The report could not be drawn.");
    }
    return buffer.data().toStdString();
}

void writeReportPdf(const std::string& path, const QFont& font, const ReportInput& in,
                    AdvanceChart& chart) {
    if (!writeFileAtomically(path, reportPdf(font, in, chart)))
        throw KvError(kErrFile, "Print Table", "Error saving " + path);
}

void PrintTable(Shell& shell, PrinterSeam& printers, AdvanceChart& chart,
                const std::string& shortName) {
    Dialogs& dialogs = shell.dialogs();
    StepRunner steps(dialogs);
    QPrinter* printer = nullptr;
    // Asking for a comment is pointless without a printer, so that is checked first.
    if (!steps.run([&] {
            printer = printers.printer();
            if (!printer)
                throw printerError("No printer is installed. Install one, or choose Print to "
                                   "File (PDF) under Print Setup.");
        }) ||
        !printer)
        return;
    ReportInput in = reportInputFrom(shell.state());
    in.shortName = shortName;
    in.comment = dialogs.input("Serial number or comment?", "Optional Information Entry", "")
                     .value_or(std::string());
    QFont font;
    if (!steps.run([&] { font = reportFont(); })) return;
    in.printedAt = reportTimestamp();
    // A printer set to write a PDF file gets both pages in the one file; two jobs there
    // would leave only the second.
    if (printer->outputFormat() == QPrinter::PdfFormat) {
        steps.run([&] {
            if (printer->outputFileName().isEmpty())
                throw printerError("Print to File has no file name. Choose one under Print "
                                   "Setup.");
            writeReportPdf(QFile::encodeName(printer->outputFileName()).toStdString(), font, in,
                           chart);
        });
        return;
    }
    if (!steps.run(
            [&] { printJob(*printer, [&](QPainter& p) { drawChartPage(p, font, in, chart); }); }))
        return;
    steps.run([&] { printJob(*printer, [&](QPainter& p) { drawDataPage(p, font, in); }); });
}

void PrintSetup(Dialogs& dialogs, PrinterSeam& printers, QWidget* parent) {
    runStep(dialogs, [&] { printers.setup(parent); });
}

} // namespace kv
