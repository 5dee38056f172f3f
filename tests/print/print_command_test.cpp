// SPDX-License-Identifier: GPL-3.0-or-later
// Print Table as the menu runs it, offscreen, on a stand-in printer; and the
// command-line companion's print. The PDF is read back with pdftotext.
#include "app/window_fixture.h"
#include "files/table_file.h"
#include "print/ui/report_printer.h"
#include "support/pdf_text.h"

#include <QDateTime>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace kv;
using namespace kv::test;

namespace {

// A printer that writes the PDF file `pdf`, or none at all while that is empty.
struct FakePrinters : PrinterSeam {
    QPrinter* printer() override {
        m_printer.setOutputFileName(QString::fromStdString(pdf)); // PDF output with a name
        return pdf.empty() ? nullptr : &m_printer;
    }
    void setup(QWidget*) override { ++setups; }
    std::string pdf;
    int setups = 0;
    QPrinter m_printer;
};

// Every one of `lines` is on page `page` of `pdf`.
void expectOnPage(const std::string& pdf, int page, std::initializer_list<const char*> lines) {
    const std::string text = pdfPageText(pdf, page);
    for (const char* line : lines)
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

using PrintTableMenu = WindowTest; // the window shown over a folder of its own

} // namespace

// Where a display platform cannot start, print falls back to the offscreen one; the
// window, which cannot do without a display, says so and exits with 1, never an abort.
// (Saving the PDF meets the file system in save_test.)
TEST(PrintCli, BothPagesOfATableFileInOnePdfWithOrWithoutADisplay) {
    TempDir dir;
    const std::string table = dir.file("t.tbl"), pdf = dir.file("report.pdf");
    writeAll(table, tableFileText(curves(20, 10), {}, "RACE"));
    const std::string noDisplay =
        "env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=en_US.UTF-8 QT_QPA_PLATFORM=xcb '" KV_BIN_DIR;
    const auto run = [&](const std::string& command) {
        return WEXITSTATUS(std::system((command + " 2>'" + dir.file("err") + "'").c_str()));
    };
    for (const std::string env : {"LC_ALL=en_US.UTF-8 '" KV_BIN_DIR, noDisplay.c_str()}) {
        ASSERT_EQ(run(env + "/kestrel-vanta-cli' print '" + table + "' -o '" + pdf +
                      "' --comment 'SN 7 Größe'"),
                  0)
            << readAll(dir.file("err"));
        expectOnPage(pdf, 1,
                     {"Orvane Vanta Ignition Module Data Printed: ", "Comment: SN 7 Größe"});
        // The locale's short date and long time (with seconds), without a time zone.
        EXPECT_TRUE(
            QString::fromStdString(pdfPageText(pdf, 1))
                .contains(QRegularExpression(R"(Printed: \d+/\d+/\d\d \d+:\d\d:\d\d [AP]M\n)")));
        expectOnPage(pdf, 2, {"Comment: SN 7 Größe", "WOT 21.0 22.0 23.0", "Low 11.0 12.0"});
        EXPECT_EQ(pdfPageText(pdf, 3), "");
    }
    EXPECT_EQ(run(noDisplay + "/kestrel-vanta'"), 1);
    const std::string said = readAll(dir.file("err"));
    EXPECT_NE(said.find("kestrel-vanta: no display platform could be started (tried xcb)"),
              std::string::npos);
}

TEST_F(PrintTableMenu, PrintsBothPagesOrSaysWhyNot) {
    auto* printers = new FakePrinters;
    w->setPrinters(std::unique_ptr<PrinterSeam>(printers));
    // No printer: the error prompt, and no question about a comment.
    dialogs.expectError("No printer is installed. Install one, or choose Print to File (PDF) "
                        "under Print Setup.",
                        Button::Abort);
    w->action("mnuPrintTable")->trigger();
    w->action("mnuPrintSetup")->trigger();
    EXPECT_EQ(printers->setups, 1);

    // A printer that cannot write: Retry tries again, Abort gives up.
    printers->pdf = dir.file("missing/report.pdf");
    dialogs.expectInput("Serial number or comment?", std::nullopt)
        .expectError("Error saving " + printers->pdf, Button::Retry)
        .expectError("", Button::Abort);
    w->action("mnuPrintTable")->trigger();
    EXPECT_TRUE(dialogs.done() && dialogs.prompts()[1].title == "Optional Information Entry");

    // A printer set to print to a file gets both pages, the chart without its label.
    w->chart()->showValueLabelAt(1, 3);
    printers->pdf = dir.file("report.pdf");
    dialogs.expectInput("Serial number or comment?", "SN 0042");
    w->action("mnuPrintTable")->trigger();
    EXPECT_TRUE(dialogs.done() && !w->chart()->valueLabelVisible());
    expectOnPage(printers->pdf, 1,
                 {"Orvane Vanta Ignition Module Data Printed: ", "Serial/Comment: SN 0042",
                  "Advance Curves"});
    expectOnPage(printers->pdf, 2,
                 {"Serial/Comment: SN 0042", "Select EEPROM Advance Table: True"});
    // The short date and the long time, without a time zone ("UTC", "CEST").
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    EXPECT_FALSE(QString::fromStdString(reportTimestamp()).endsWith(zone)) << reportTimestamp();
}
