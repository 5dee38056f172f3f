// SPDX-License-Identifier: GPL-3.0-or-later
// Open, Save and Close Table as the menu runs them, against scripted dialogs.
#include "files/close_table.h"
#include "files/open_table.h"
#include "files/save_table.h"
#include "files/table_file.h"
#include "support/fake_shell.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

namespace {

const std::string kBase = "Kestrel Vanta Version " KV_VERSION;
const std::string kSaveFirst = "Save advance table before opening file?";

class Commands : public kv::test::ShellTest {
protected:
    // Writes a table file into the program folder.
    std::string write(const std::string& name, const Table16x2& t, const std::string& type = "RACE",
                      const std::string& extra = "") {
        writeAll(dir.file(name), tableFileText(t, kv::test::kParams, type) + extra);
        return dir.file(name);
    }
    // Opens `path` with no table shown, expecting it shown under its file name.
    void open(const std::string& path) {
        shell.setTableShown(false);
        script.expectOpenFile(path);
        EXPECT_TRUE(OpenTable(shell) && script.done() && shell.tableShown());
        EXPECT_EQ(shell.caption(), kBase + " - " + std::filesystem::path(path).filename().string());
    }
};

} // namespace

TEST_F(Commands, OpenShowsTheFileAndSaveWritesTheLiveTable) {
    s().EEPROMBuffer.fill(7);
    s().KickStartFlag = true;
    open(write("race.tbl", curves(10.04, 20.25)));
    EXPECT_TRUE(s().live.values == curves(10.04, 20.25) && s().EEPROMBuffer[0] == 0);
    // Low at one decimal, the half to even.
    EXPECT_EQ(shell.interaction + " " + s().live.text(1, 1), "RACE 21.2");
    EXPECT_EQ(s().params, kv::test::kParams); // KickStartFlag too: the file says False

    s().live.values(3, kLow) = 12.345678901234567;
    s().RetardVal = 4;
    // A backslash is part of a name here; the caption keeps the last 60 characters. On
    // Windows it parts folders, and the caption names the file alone.
    const std::string name = std::string(54, 'a') + "\\b.tbl";
#if defined(_WIN32)
    std::filesystem::create_directory(dir.file("x" + std::string(54, 'a')));
    const std::string shown = " - b.tbl";
#else
    const std::string shown = " - ..." + name;
#endif
    script.expectSaveFile(dir.file("x" + name));
    EXPECT_TRUE(SaveTable(shell));
    EXPECT_EQ(readAll(dir.file("x" + name)), tableFileText(s().live.values, s().params, "RACE"));
    EXPECT_EQ(shell.caption(), kBase + shown);
}

TEST_F(Commands, OpenAsksToSaveFirstAndKeepsTheTableUnlessAnotherOpens) {
    open(write("a.tbl", curves(1, 2)));
    s().live.setText(1, 3, "7.25"); // a typed text survives too
    // Cancel, Yes without a file to save to, No without a file to open: the table stays.
    // Retry at a missing file asks again; Cancel raises "Canceled File Open" to the error
    // prompt, whose Abort ends the command with the table that was open back.
    const std::string missing = dir.file("missing.tbl");
    script.expectMessage(kSaveFirst, Button::Cancel);
    script.expectMessage(kSaveFirst, Button::Yes).expectSaveFile("");
    script.expectMessage(kSaveFirst, Button::No).expectOpenFile("");
    script.expectMessage(kSaveFirst, Button::No);
    script.expectOpenFile(missing).expectMessage(missing + "\r\nFile not found.", Button::Retry);
    script.expectOpenFile(missing).expectMessage(missing + "\r\nFile not found.", Button::Cancel);
    script.expectError("Canceled File Open", Button::Abort);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(OpenTable(shell));
    EXPECT_TRUE(script.done() && s().live.text(1, 3) == "7.25" && shell.tableShown());
    EXPECT_EQ(shell.caption(), kBase + " - a.tbl");
    // Yes and a save: written, then the other file opens.
    const std::string shown = tableFileText(s().live.values, s().params, "RACE");
    script.expectMessage(kSaveFirst, Button::Yes).expectSaveFile(dir.file("saved.tbl"));
    script.expectOpenFile(write("b.tbl", curves(5, 6)));
    EXPECT_TRUE(OpenTable(shell) && s().live.values == curves(5, 6));
    EXPECT_EQ(readAll(dir.file("saved.tbl")), shown);

    // A file that is no table closes the table shown.
    const ModuleParameters before = s().params;
    writeAll(dir.file("bad.tbl"), curveDataText(curves(1, 2)).substr(0, 100));
    script.expectMessage(kSaveFirst, Button::No).expectOpenFile(dir.file("bad.tbl"));
    script.expectMessage("Error loading " + dir.file("bad.tbl"), Button::OK);
    EXPECT_FALSE(OpenTable(shell) || shell.tableShown());
    EXPECT_EQ(shell.caption(), kBase);

    // An overflow goes to the error prompt: Abort ends the command there, Ignore reads on.
    const std::string big =
        write("big.tbl", curves(1, 2), "EX", "!RetardVal: 5\r\n!RPMLimit: 99999\r\n");
    script.expectOpenFile(big).expectError("Overflow", Button::Abort);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_EQ(s().params, before);
    script.expectOpenFile(big).expectError("Overflow", Button::Ignore);
    EXPECT_TRUE(OpenTable(shell));
    // The overflowing line is passed over.
    EXPECT_EQ(std::tuple(s().RPMLimit, s().RetardVal, s().TableType), std::tuple(6200, 5, "EX"));
}

TEST_F(Commands, OpenedExTableIsLoweredToLimitsReadAfreshForItsType) {
    Table16x2 limits = curves(30, 31);
    limits(5, kWot) = 32;
    writeAll(dir.file("Vanta_EX_Max.dat"), curveDataText(limits));
    Table16x2 t = curves(30, 31);
    t(5, kWot) = 35;   // above 32: lowered
    t(6, kWot) = 30;   // below its limit of 36: kept
    t(7, kLow) = -4;   // no lower bound for values from a file
    t(8, kLow) = 45.5; // above its limit: lowered
    open(write("t.tbl", curves(1, 2), "TEX"));
    EXPECT_EQ(s().ExMaxTable, shipped("Tarrow_EX_Max.dat"));
    const std::string bytes = readAll(write("ex.tbl", t, "EX"));
    open(dir.file("ex.tbl"));
    EXPECT_TRUE(s().ExMaxTable == limits && readAll(dir.file("ex.tbl")) == bytes);
    t(5, kWot) = 32;
    t(8, kLow) = limits(8, kLow);
    EXPECT_EQ(s().live.values, t);
}

TEST_F(Commands, SaveAsksBeforeReplacingAndAFailedSaveKeepsTableAndFile) {
    open(write("a.tbl", curves(1, 2)));
    const std::string old = dir.file("old.tbl");
    writeAll(old, std::string(4000, 'o'));
    const std::string question =
        old + "\r\nThis file already exists.\r\n\r\nReplace existing file?";
    // No shows the dialog again; Yes there replaces the whole file.
    script.expectSaveFile(old).expectMessage(question, Button::No);
    script.expectSaveFile(old).expectMessage(question, Button::Yes);
    EXPECT_TRUE(SaveTable(shell));
    EXPECT_EQ(readAll(old), readAll(dir.file("a.tbl")));
    // Cancel reaches the error prompt as "Canceled File Save"; the file stays.
    writeAll(old, "keep");
    script.expectSaveFile(old).expectMessage(question, Button::Cancel);
    script.expectError("Canceled File Save", Button::Ignore);
    EXPECT_FALSE(SaveTable(shell));
    EXPECT_EQ(shell.caption(), kBase + " - old.tbl");

    // A read-only file may be neither written in place nor replaced; Close Table whose save
    // fails keeps the table open.
    std::filesystem::permissions(old, std::filesystem::perms::owner_read);
    const auto readOnlySave = [&] {
        script.expectMessage("Save advance table before closing file?", Button::Yes);
        script.expectSaveFile(old).expectMessage(question, Button::Yes);
        script.expectMessage("Error saving " + old, Button::OK);
        EXPECT_TRUE(!CloseTable(shell) && shell.tableShown());
        return script.done() ? 0 : 2;
    };
#if defined(_WIN32)
    // The read-only attribute binds every user, administrators too.
    EXPECT_EQ(readOnlySave(), 0);
#else
    EXPECT_EQ(kv::test::asOrdinaryUser(readOnlySave, &dir), 0);
#endif
    EXPECT_EQ(readAll(old), "keep");
}
