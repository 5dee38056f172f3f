// SPDX-License-Identifier: GPL-3.0-or-later
// Open, Save, Close and New Table as the menu runs them, against scripted dialogs.
#include "files/close_table.h"
#include "files/new_table.h"
#include "files/open_table.h"
#include "files/save_table.h"
#include "files/table_file.h"
#include "support/fake_shell.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::curves;
using kv::test::readAll;
using kv::test::writeAll;
namespace fs = std::filesystem;

namespace {

const std::string kBase = "Kestrel Vanta Version 8.1";
const std::string kSaveFirst = "Save advance table before opening file?";
const std::string kSaveClosing = "Save advance table before closing file?";
const char* kTypeQuestion = "Enter table type (Race, EX, or Tarrow EX)";

class Commands : public kv::test::ShellTest {
protected:
    // Writes a table file into the program folder.
    std::string table(const std::string& name, const Table16x2& t, const std::string& type,
                      const std::string& extra = "") {
        ModuleParameters p;
        p.RPMLimit = 6200;
        p.RearOffset = 2;
        writeAll(dir.file(name), tableFileText(t, p, type) + extra);
        return dir.file(name);
    }
    // Opens `path` with no table shown, expecting it to succeed.
    void open(const std::string& path) {
        shell.setTableShown(false);
        script.expectOpenFile(path);
        ASSERT_TRUE(OpenTable(shell));
        ASSERT_TRUE(script.done());
    }
    void expectShown(const std::string& name) {
        EXPECT_TRUE(shell.tableShown());
        EXPECT_EQ(shell.caption(), kBase + " - " + name);
    }
};

Table16x2 constant(double v) {
    return curves(v, v, 0);
}

} // namespace

TEST_F(Commands, OpenShowsTheFileAndSaveWritesTheLiveTable) {
    s().EEPROMBuffer.fill(7);
    s().KickStartFlag = true;
    open(table("race.tbl", curves(10.04, 20.25), "RACE"));
    EXPECT_EQ(script.last().title, "Open File");
    EXPECT_EQ(script.last().filter, "Advance table files (*.tbl)|*.tbl");
    expectShown("race.tbl");
    EXPECT_EQ(shell.interaction, "RACE");
    EXPECT_EQ(s().live.values, curves(10.04, 20.25));
    EXPECT_EQ(s().live.text(1, 1), "21.2"); // Low at one decimal, the half to even
    EXPECT_EQ(s().live.text(2, 16), "26.0");
    EXPECT_EQ(s().RPMLimit, 6200);
    EXPECT_FALSE(s().KickStartFlag); // the file says False
    EXPECT_EQ(s().EEPROMBuffer[0], 0);

    s().live.values(3, kLow) = 12.345678901234567;
    s().RetardVal = 4;
    script.expectSaveFile(dir.file("out.tbl"));
    EXPECT_TRUE(SaveTable(shell));
    EXPECT_EQ(script.last().title, "Save File");
    EXPECT_EQ(readAll(dir.file("out.tbl")), tableFileText(s().live.values, s().params, "RACE"));
    EXPECT_EQ(shell.caption(), kBase + " - out.tbl");

    // Names as they come; the caption keeps the last 60 characters. A backslash is part
    // of a name here, not a folder separator.
    const std::string name60 = std::string(56, 'a') + ".tbl";
    for (const std::string& name : std::vector<std::string>{"Z\xc3\xbcndung.tbl", "noextension",
                                                            "a\\b.tbl", name60, "b" + name60}) {
        open(table(name, curves(3, 4), "RACE"));
        EXPECT_EQ(shell.caption(), kBase + " - " + (name.size() > 60 ? "..." + name60 : name));
        script.expectSaveFile(dir.file("copy " + name));
        EXPECT_TRUE(SaveTable(shell));
        EXPECT_EQ(readAll(dir.file("copy " + name)), readAll(dir.file(name)));
    }
}

TEST_F(Commands, OpenAsksToSaveFirstAndKeepsTheTableWithoutAFile) {
    open(table("a.tbl", curves(1, 2), "RACE"));
    s().live.setText(1, 3, "7.25"); // a typed text survives too
    // Cancel: nothing changes and no dialog opens.
    script.expectMessage(kSaveFirst, Button::Cancel);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_EQ(script.last().title, "Open File");
    // Yes, then no file in the save dialog; No, then no file to open: the table stays.
    script.expectMessage(kSaveFirst, Button::Yes).expectSaveFile("");
    EXPECT_FALSE(OpenTable(shell));
    script.expectMessage(kSaveFirst, Button::No).expectOpenFile("");
    EXPECT_FALSE(OpenTable(shell));
    expectShown("a.tbl");
    EXPECT_EQ(s().live.text(1, 3), "7.25");
    // Yes and a save: written, then the other file opens.
    const std::string other = table("b.tbl", curves(5, 6), "RACE");
    const std::string shown = tableFileText(s().live.values, s().params, "RACE");
    script.expectMessage(kSaveFirst, Button::Yes).expectSaveFile(dir.file("saved.tbl"));
    script.expectOpenFile(other);
    EXPECT_TRUE(OpenTable(shell));
    EXPECT_EQ(readAll(dir.file("saved.tbl")), shown);
    EXPECT_EQ(s().live.values, curves(5, 6));
}

TEST_F(Commands, OpenFailures) {
    const std::string good = table("a.tbl", curves(1, 2), "RACE");
    const std::string missing = dir.file("missing.tbl");
    script.expectOpenFile(missing);
    script.expectMessage(missing + "\r\nFile not found.", Button::Retry);
    script.expectOpenFile(good);
    EXPECT_TRUE(OpenTable(shell));
    EXPECT_EQ(script.prompts()[1].buttons, Buttons::RetryCancel);
    // Cancel raises "Canceled File Open" to the error prompt; Abort ends the command and
    // the table that was open comes back.
    script.expectMessage(kSaveFirst, Button::No).expectOpenFile(dir.path().string());
    script.expectMessage(dir.path().string() + "\r\nFile not found.", Button::Cancel);
    script.expectError("Canceled File Open", Button::Abort);
    EXPECT_FALSE(OpenTable(shell));
    expectShown("a.tbl");

    // A file that is no table closes the table shown.
    const ModuleParameters before = s().params;
    for (const std::string& bad :
         {std::string(), curveDataText(curves(1, 2)).substr(0, 100), std::string("\177ELF\2")}) {
        writeAll(dir.file("bad.tbl"), bad);
        if (shell.tableShown()) script.expectMessage(kSaveFirst, Button::No);
        script.expectOpenFile(dir.file("bad.tbl"));
        script.expectMessage("Error loading " + dir.file("bad.tbl"), Button::OK);
        EXPECT_FALSE(OpenTable(shell));
        EXPECT_EQ(script.last().icon, Icon::Critical);
        EXPECT_FALSE(shell.tableShown());
        EXPECT_EQ(shell.caption(), kBase);
        EXPECT_EQ(s().params, before);
    }

    // An overflow goes to the error prompt: Abort ends the command there.
    const std::string big = table("big.tbl", curves(1, 2), "EX", "!RPMLimit: 99999\r\n");
    shell.setCaption(kBase + " - old.tbl");
    script.expectOpenFile(big).expectError("Overflow", Button::Abort);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_EQ(s().params, before);
    EXPECT_EQ(shell.caption(), kBase + " - old.tbl");
    script.expectOpenFile(big).expectError("Overflow", Button::Ignore);
    EXPECT_TRUE(OpenTable(shell));
    EXPECT_EQ(s().RPMLimit, 6200); // the overflowing line is passed over
    EXPECT_EQ(s().TableType, "EX");

    shell.setTableShown(false);
    fs::remove(dir.file("Vanta_Chart.oc2"));
    script.expectOpenFile(good).expectMessage("Advance chart .oc2 file not found.", Button::OK);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_FALSE(shell.tableShown());
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
    const std::string ex = table("ex.tbl", t, "EX");
    const std::string bytes = readAll(ex);
    const std::string tex = table("t.tbl", curves(1, 2), "TEX");
    open(tex);
    EXPECT_EQ(s().ExMaxTable, shipped("Tarrow_EX_Max.dat"));
    open(ex);
    EXPECT_EQ(s().ExMaxTable, limits);
    t(5, kWot) = 32;
    t(8, kLow) = limits(8, kLow);
    EXPECT_EQ(s().live.values, t);
    EXPECT_EQ(s().live.text(2, 5), "32.0");
    EXPECT_EQ(shell.interaction, "EX");
    EXPECT_EQ(readAll(ex), bytes);

    // Without the TEX limits only TEX tables fail; a limit file too short counts as missing.
    fs::remove(dir.file("Tarrow_EX_Max.dat"));
    open(ex);
    script.expectMessage(kSaveFirst, Button::No).expectOpenFile(tex);
    script.expectMessage("Tarrow_EX_Max.dat not found.", Button::OK);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_EQ(script.last().title, "Form Load");
    EXPECT_FALSE(shell.tableShown());
    writeAll(dir.file("Vanta_EX_Max.dat"), curveDataText(limits).substr(0, 150));
    script.expectOpenFile(ex).expectMessage("Vanta_EX_Max.dat not found.", Button::OK);
    EXPECT_FALSE(OpenTable(shell));
}

TEST_F(Commands, SaveAsksBeforeReplacingAndAFailedSaveKeepsTableAndFile) {
    open(table("a.tbl", curves(1, 2), "RACE"));
    const std::string existing = dir.file("old.tbl");
    writeAll(existing, std::string(4000, 'o'));
    const std::string question =
        existing + "\r\nThis file already exists.\r\n\r\nReplace existing file?";
    // No shows the dialog again; Yes there replaces the whole file.
    script.expectSaveFile(existing).expectMessage(question, Button::No);
    script.expectSaveFile(existing).expectMessage(question, Button::Yes);
    EXPECT_TRUE(SaveTable(shell));
    EXPECT_EQ(readAll(existing), readAll(dir.file("a.tbl")));
    // Cancel reaches the error prompt as "Canceled File Save"; the file stays.
    writeAll(existing, "keep");
    script.expectSaveFile(existing).expectMessage(question, Button::Cancel);
    script.expectError("Canceled File Save", Button::Ignore);
    EXPECT_FALSE(SaveTable(shell));
    EXPECT_EQ(readAll(existing), "keep");
    EXPECT_EQ(shell.caption(), kBase + " - old.tbl");

    // A read-only file may be neither written in place nor replaced; Close Table whose save
    // fails keeps the table open.
    fs::permissions(existing, fs::perms::owner_read);
    const int status = kv::test::asOrdinaryUser(
        [&] {
            script.expectMessage(kSaveClosing, Button::Yes);
            script.expectSaveFile(existing).expectMessage({}, Button::Yes);
            script.expectMessage("Error saving " + existing, Button::OK);
            EXPECT_FALSE(CloseTable(shell));
            EXPECT_TRUE(shell.tableShown());
            EXPECT_EQ(shell.caption(), kBase + " - old.tbl");
            return script.done() ? 0 : 2;
        },
        &dir);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readAll(existing), "keep");
}

TEST(NewTableBlend, StepsAreNinthsOfTheDistanceHeldFrom0To40) {
    for (int s = 0; s <= 9; ++s)
        EXPECT_EQ(blendTemplates(constant(10), constant(19), s)(4, kLow), 10 + s);
    EXPECT_DOUBLE_EQ(blendTemplates(constant(10), constant(20), 1)(1, kWot), 100.0 / 9);
    EXPECT_EQ(blendTemplates(constant(38), constant(50), 9)(2, kWot), 40);
    EXPECT_EQ(blendTemplates(constant(-6), constant(3), 1)(2, kWot), 0);
}

TEST_F(Commands, NewTableAsksTheTypeAndBuildsFromTheTemplates) {
    s().RearOffset = 3;
    shell.setTableShown(true);
    shell.setCaption(kBase + " - old.tbl");
    NewTableSession session(shell);
    // Cancel, or Yes whose save is cancelled, keeps the table.
    script.expectMessage(kSaveClosing, Button::Cancel);
    EXPECT_FALSE(session.start());
    script.expectMessage(kSaveClosing, Button::Yes).expectSaveFile("");
    EXPECT_FALSE(session.start());
    EXPECT_TRUE(shell.tableShown());
    // Blanks are not trimmed; Cancel (no answer) asks again.
    script.expectMessage(kSaveClosing, Button::No);
    for (const char* refused : {"Tarrow", "EX ", "", "TEX", "tarrow  ex"})
        script.expectInput(kTypeQuestion, refused);
    script.expectInput(kTypeQuestion, std::nullopt).expectInput(kTypeQuestion, "tarrow ex");
    ASSERT_TRUE(session.start());
    EXPECT_EQ(script.last().title, "Create New Advance Table");
    EXPECT_EQ(script.last().filter, "Race"); // the default answer
    EXPECT_EQ(s().TableType, "TEX");
    EXPECT_EQ(s().ExMaxTable, shipped("Tarrow_EX_Max.dat"));
    EXPECT_EQ(s().RearOffset, 0);
    EXPECT_FALSE(shell.tableShown());
    EXPECT_EQ(shell.caption(), kBase);
    EXPECT_EQ(shell.interaction, "TEX");
    EXPECT_EQ(session.sliderPosition(), 9);
    EXPECT_EQ(session.slopeLabel(), " 0");

    writeAll(dir.file("Vanta_EX_Min.dat"), curveDataText(constant(10)));
    writeAll(dir.file("Vanta_EX_Max.dat"), curveDataText(constant(20)));
    s().RearOffset = 3;
    script.expectInput(kTypeQuestion, "eX");
    ASSERT_TRUE(session.start());
    EXPECT_EQ(s().TableType, "EX");
    session.setSliderPosition(8);
    session.CreateNewTable();
    EXPECT_EQ(s().live.text(1, 1), "11.1");
    session.setSliderPosition(0); // the top: the maximum template itself
    EXPECT_EQ(session.slopeLabel(), " 9");
    session.CreateNewTable();
    EXPECT_EQ(s().live.values, constant(20));
    EXPECT_TRUE(shell.tableShown());
    EXPECT_EQ(shell.liveChanges, 2);

    s().RearOffset = 3;
    script.expectMessage(kSaveClosing, Button::No).expectInput(kTypeQuestion, "Race");
    ASSERT_TRUE(session.start());
    EXPECT_EQ(s().RearOffset, 3); // a RACE table keeps the offset
}

TEST_F(Commands, NewTableWithoutATemplateEndsWithNoTable) {
    fs::remove(dir.file("Vanta_EX_Min.dat"));
    fs::remove(dir.file("Tarrow_EX_Max.dat"));
    const Table16x2 limits = s().ExMaxTable;
    for (const auto& [answer, file] :
         {std::pair{"EX", "Vanta_EX_Min.dat"}, std::pair{"Tarrow EX", "Tarrow_EX_Max.dat"}}) {
        shell.setTableShown(true);
        script.expectMessage(kSaveClosing, Button::No).expectInput(kTypeQuestion, answer);
        script.expectMessage(file + std::string(" not found."), Button::OK);
        NewTableSession session(shell);
        EXPECT_FALSE(session.start());
        EXPECT_EQ(script.last().title, "New Table");
        EXPECT_FALSE(shell.tableShown());
    }
    // The minimum of TEX was read and its maximum was not: the limits are as they were.
    EXPECT_EQ(s().ExMaxTable, limits);
}
