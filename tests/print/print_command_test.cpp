// SPDX-License-Identifier: GPL-3.0-or-later
// Print Table and Print Set-up as the menus run them, offscreen, on a stand-in printer.
#include "app/ui/main_window.h"
#include "print/ui/report_printer.h"
#include "support/fake_shell.h"
#include "support/pdf_text.h"
#include "table/ui/advance_chart.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::pdfPageText;
using kv::test::ScriptedDialogs;
using kv::test::TempDir;

namespace {

const char* kNoPrinter =
    "No printer is installed. Install one, or choose Print to File (PDF) under Print Setup.";

// A printer that writes a PDF file, or none at all.
class FakePrinters : public PrinterSeam {
public:
    explicit FakePrinters(std::string pdf = {}) {
        if (pdf.empty()) return;
        m_printer = std::make_unique<QPrinter>();
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(QString::fromStdString(pdf));
    }
    QPrinter* printer() override { return m_printer.get(); }
    void setup(QWidget*) override {}

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace

TEST(PrintTable, PrintsBothPagesOrSaysWhyNot) {
    kv::test::FakeShell shell;
    AdvanceChart chart(shell.state());
    ScriptedDialogs& script = shell.script();
    TempDir dir;

    // No printer: the error prompt, and no question about a comment.
    FakePrinters none;
    script.expectError(kNoPrinter, Button::Abort);
    PrintTable(shell, none, chart, "Orvane");
    EXPECT_TRUE(script.done());

    // A printer that cannot write: Retry tries again, Abort gives up, nothing is left.
    FakePrinters failing(dir.file("missing/report.pdf"));
    script.expectInput("Serial number or comment?", std::nullopt)
        .expectError("Cannot write " + dir.file("missing/report.pdf") +
                         ": No such file or directory",
                     Button::Retry)
        .expectError("", Button::Abort);
    PrintTable(shell, failing, chart, "Orvane");
    EXPECT_TRUE(script.done());
    EXPECT_EQ(script.prompts()[1].title, "Optional Information Entry");

    // A printer set to print to a file gets both pages, the chart without its label.
    chart.showValueLabelAt(1, 3);
    FakePrinters pdf(dir.file("report.pdf"));
    script.expectInput("Serial number or comment?", "SN 0042");
    PrintTable(shell, pdf, chart, "Orvane");
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(chart.valueLabelVisible());
    const std::string first = pdfPageText(dir.file("report.pdf"), 1);
    EXPECT_NE(first.find("Orvane Vanta Ignition Module Data Printed: "), std::string::npos);
    EXPECT_NE(first.find("Serial/Comment: SN 0042"), std::string::npos);
    EXPECT_NE(first.find("Advance Curves"), std::string::npos) << first; // the chart's title
    const std::string second = pdfPageText(dir.file("report.pdf"), 2);
    EXPECT_NE(second.find("Serial/Comment: SN 0042"), std::string::npos);
    EXPECT_NE(second.find("Select EEPROM Advance Table: True"), std::string::npos) << second;
}

TEST(PrintTable, MenuItemsOfTheMainWindow) {
    TempDir dir;
    dir.copyAllData();
    ScriptedDialogs script;
    MainWindow w(defaultBranding(), &script, QString::fromStdString(dir.path().string()));
    w.setPrinters(std::make_unique<FakePrinters>());
    script.expectError(kNoPrinter, Button::Abort);
    w.action("mnuPrintTable")->trigger();
    EXPECT_TRUE(script.done());

    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* d = QApplication::activeModalWidget()) {
            title = d->windowTitle();
            d->close();
        }
    });
    w.action("mnuEditModParams")->trigger();
    EXPECT_EQ(title, "Kestrel Vanta - Edit Module Parameters");
}

TEST(PrintSetup, TheChosenPrinterIsKeptAndCancelChangesNothing) {
    SystemPrinters printers;
    QPrinter* before = printers.printer();
    const QString beforeName = before ? before->printerName() : QString();

    const auto answer = [](std::function<void(QPrintDialog&)> act) {
        QTimer::singleShot(0, [act] {
            auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->windowTitle(), "Printer Setup");
            act(*d);
        });
    };
    answer([](QPrintDialog& d) { d.reject(); });
    printers.setup(nullptr);
    QPrinter* after = printers.printer();
    EXPECT_EQ(after ? after->printerName() : QString(), beforeName);

    // OK keeps the choice for the next print: here, printing to a PDF file.
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("chosen.pdf"));
    answer([&](QPrintDialog& d) {
        auto* list = d.findChild<QComboBox*>(QStringLiteral("printers"));
        list->setCurrentIndex(list->count() - 1); // "Print to File (PDF)" comes last
        d.findChild<QLineEdit*>(QStringLiteral("filename"))->setText(file);
        d.accept();
    });
    printers.setup(nullptr);
    ASSERT_NE(printers.printer(), nullptr);
    EXPECT_EQ(printers.printer()->outputFileName(), file);
}
