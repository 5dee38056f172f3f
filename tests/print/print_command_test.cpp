// SPDX-License-Identifier: GPL-3.0-or-later
// Print Table and Print Setup as the menus run them, offscreen, on a stand-in printer; and
// the command-line companion's print. The PDF is read back with pdftotext.
#include "app/ui/main_window.h"
#include "files/table_file.h"
#include "print/ui/report_printer.h"
#include "support/pdf_text.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/ui/advance_chart.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::pdfPageText;
using kv::test::TempDir;

namespace {

// A printer that writes the PDF file `pdf`, or none at all while that is empty.
struct FakePrinters : PrinterSeam {
    QPrinter* printer() override {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(QString::fromStdString(pdf));
        return pdf.empty() ? nullptr : &m_printer;
    }
    void setup(QWidget*) override {}
    std::string pdf;
    QPrinter m_printer;
};

} // namespace

TEST(PrintCli, BothPagesInOnePdfOrAMessageAndNoFile) {
    TempDir dir;
    kv::test::writeAll(
        dir.file("t.tbl"),
        tableFileText(kv::test::curves(20, 10), {-3, 0, 2, 5700, true, true, false, true}, "RACE"));
    const auto print = [&](const std::string& pdf) {
        const std::string cmd = "'" KV_BIN_DIR "/kestrel-vanta-cli' print '" + dir.file("t.tbl") +
                                "' -o '" + pdf + "' --comment 'SN 7 Größe' 2>'" + dir.file("err") +
                                "'";
        return WEXITSTATUS(std::system(cmd.c_str()));
    };
    ASSERT_EQ(print(dir.file("report.pdf")), 0) << kv::test::readAll(dir.file("err"));
    const std::string chartPage = pdfPageText(dir.file("report.pdf"), 1);
    EXPECT_NE(chartPage.find("Serial/Comment: SN 7 Größe"), std::string::npos) << chartPage;
    EXPECT_EQ(chartPage.find("Advance Table"), std::string::npos);
    const std::string dataPage = pdfPageText(dir.file("report.pdf"), 2);
    for (const char* line : {"Serial/Comment: SN 7 Größe", "Low 11.0 12.0 13.0 14.0 15.0",
                             "WOT 21.0 22.0 23.0", "Rear Cylinder Offset (Deg): -3.0",
                             "Fixed RPM Limit: 5700", "Kick Start Mode Enabled: True"})
        EXPECT_NE(dataPage.find(line), std::string::npos) << line << "\n" << dataPage;
    EXPECT_EQ(dataPage.find("Cranking Revs:"), std::string::npos);
    EXPECT_EQ(pdfPageText(dir.file("report.pdf"), 3), "");

    EXPECT_EQ(print(dir.file("missing/r.pdf")), 1);
    EXPECT_NE(
        kv::test::readAll(dir.file("err"))
            .find("Cannot write " + dir.file("missing/r.pdf") + ": No such file or directory"),
        std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(PrintTable, PrintsBothPagesOrSaysWhyNot) {
    TempDir dir;
    dir.copyAllData();
    kv::test::ScriptedDialogs script;
    MainWindow w(defaultBranding(), &script, QString::fromStdString(dir.path().string()));
    auto* printers = new FakePrinters;
    w.setPrinters(std::unique_ptr<PrinterSeam>(printers));
    // No printer: the error prompt, and no question about a comment.
    script.expectError("No printer is installed. Install one, or choose Print to File (PDF) "
                       "under Print Setup.",
                       Button::Abort);
    w.action("mnuPrintTable")->trigger();
    EXPECT_TRUE(script.done());

    // A printer that cannot write: Retry tries again, Abort gives up.
    printers->pdf = dir.file("missing/report.pdf");
    script.expectInput("Serial number or comment?", std::nullopt)
        .expectError("Cannot write " + printers->pdf + ": No such file or directory", Button::Retry)
        .expectError("", Button::Abort);
    w.action("mnuPrintTable")->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(script.prompts()[1].title, "Optional Information Entry");

    // A printer set to print to a file gets both pages, the chart without its label.
    w.chart()->showValueLabelAt(1, 3);
    printers->pdf = dir.file("report.pdf");
    script.expectInput("Serial number or comment?", "SN 0042");
    w.action("mnuPrintTable")->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(w.chart()->valueLabelVisible());
    const std::string first = pdfPageText(printers->pdf, 1);
    EXPECT_NE(first.find("Orvane Vanta Ignition Module Data Printed: "), std::string::npos);
    EXPECT_NE(first.find("Serial/Comment: SN 0042"), std::string::npos);
    EXPECT_NE(first.find("Advance Curves"), std::string::npos) << first; // the chart's title
    const std::string second = pdfPageText(printers->pdf, 2);
    EXPECT_NE(second.find("Serial/Comment: SN 0042"), std::string::npos);
    EXPECT_NE(second.find("Select EEPROM Advance Table: True"), std::string::npos) << second;
}

TEST(PrintSetup, OKKeepsTheChosenPrinterAndCancelChangesNothing) {
    SystemPrinters printers;
    const auto name = [&] { return printers.printer() ? printers.printer()->printerName() : ""; };
    const QString before = name();
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("chosen.pdf"));
    for (bool ok : {false, true}) {
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->windowTitle(), "Printer Setup");
            auto* list = d->findChild<QComboBox*>(QStringLiteral("printers"));
            list->setCurrentIndex(list->count() - 1); // "Print to File (PDF)" comes last
            d->findChild<QLineEdit*>(QStringLiteral("filename"))->setText(file);
            ok ? d->accept() : d->reject();
        });
        printers.setup(nullptr);
        EXPECT_EQ(name(), before) << ok;
        EXPECT_EQ(printers.printer() ? printers.printer()->outputFileName() : "", ok ? file : "");
    }
}
