// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/close_table.h"
#include "files/curve_data.h"
#include "files/open_table.h"
#include "files/save_table.h"
#include "files/table_file.h"
#include "support/fake_shell.h"

#include <filesystem>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kv;
using kv::test::asOrdinaryUser;
using kv::test::curves;
using kv::test::readAll;
using kv::test::writeAll;
namespace fs = std::filesystem;

namespace {

const std::string kBase = "Kestrel Vanta Version 8.1";
const std::string kSaveFirst = "Save advance table before opening file?";

class OpenSave : public kv::test::ShellTest {
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
    // The table shown with `name` in the caption, or no table and the plain caption.
    void expectShown(const std::string& name) {
        EXPECT_TRUE(shell.tableShown());
        EXPECT_EQ(shell.caption(), kBase + " - " + name);
    }
    void expectNoTable() {
        EXPECT_FALSE(shell.tableShown());
        EXPECT_EQ(shell.caption(), kBase);
    }
};

} // namespace

TEST_F(OpenSave, OpenShowsTheFileAsTheOpenTable) {
    s().EEPROMBuffer.fill(7);
    s().KickStartFlag = true;
    open(table("race.tbl", curves(10.04, 20.25), "RACE"));

    const auto& prompt = script.prompts().front();
    EXPECT_EQ(prompt.title, "Open File");
    EXPECT_EQ(prompt.filter, "Advance table files (*.tbl)|*.tbl");
    expectShown("race.tbl");
    EXPECT_EQ(shell.interaction, "RACE");
    EXPECT_EQ(s().live.values, curves(10.04, 20.25));
    EXPECT_EQ(s().AdvanceTable, curves(10.04, 20.25));
    EXPECT_EQ(s().live.text(1, 1), "21.2"); // Low at one decimal, the half to even
    EXPECT_EQ(s().live.text(2, 16), "26.0");
    EXPECT_EQ(s().RPMLimit, 6200);
    EXPECT_EQ(s().RearOffset, 2);
    EXPECT_FALSE(s().KickStartFlag); // the file says False
    EXPECT_EQ(s().EEPROMBuffer[0], 0);
    EXPECT_EQ(shell.eventsProcessed, 1);
    EXPECT_EQ(shell.liveChanges, 1);
}

TEST_F(OpenSave, CaptionKeepsTheLast60CharactersOfALongName) {
    const std::string name60 = std::string(56, 'a') + ".tbl";
    const std::string name61 = "b" + name60;
    open(table(name60, curves(1, 2), "RACE"));
    EXPECT_EQ(shell.caption(), kBase + " - " + name60);
    open(table(name61, curves(1, 2), "RACE"));
    EXPECT_EQ(shell.caption(), kBase + " - ..." + name60);
}

TEST_F(OpenSave, UnusualNamesOpenAndSave) {
    // On this system a backslash is part of a name, not a folder separator.
    for (const char* name : {"with spaces.tbl", "Z\xc3\xbcndung.tbl", "noextension", "a\\b.tbl"}) {
        open(table(name, curves(3, 4), "RACE"));
        expectShown(name);
        script.expectSaveFile(dir.file(std::string("copy of ") + name));
        EXPECT_TRUE(SaveTable(shell));
        EXPECT_EQ(readAll(dir.file(std::string("copy of ") + name)), readAll(dir.file(name)));
    }
}

TEST_F(OpenSave, SaveQuestionBeforeOpening) {
    open(table("a.tbl", curves(1, 2), "RACE"));
    const std::string other = table("b.tbl", curves(5, 6), "RACE");

    // Cancel: nothing changes and no dialog opens.
    script.expectMessage(kSaveFirst, Button::Cancel);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_TRUE(shell.tableShown());
    EXPECT_EQ(script.last().title, "Open File");

    // Yes, then no file in the save dialog: the table stays, the open dialog never shows.
    script.expectMessage(kSaveFirst, Button::Yes);
    script.expectSaveFile("");
    EXPECT_FALSE(OpenTable(shell));
    expectShown("a.tbl");
    EXPECT_EQ(s().live.values, curves(1, 2));

    // Yes and a save: written, then the other file opens.
    script.expectMessage(kSaveFirst, Button::Yes);
    script.expectSaveFile(dir.file("saved.tbl"));
    script.expectOpenFile(other);
    EXPECT_TRUE(OpenTable(shell));
    EXPECT_EQ(readAll(dir.file("saved.tbl")), readAll(dir.file("a.tbl")));
    EXPECT_EQ(s().live.values, curves(5, 6));
}

TEST_F(OpenSave, NoFileChosenBringsThePreviousTableBack) {
    open(table("a.tbl", curves(1, 2), "RACE"));
    s().live.setText(1, 3, "7.25"); // a typed text survives too
    script.expectMessage(kSaveFirst, Button::No);
    script.expectOpenFile("");
    EXPECT_FALSE(OpenTable(shell));
    expectShown("a.tbl");
    EXPECT_EQ(s().live.values, curves(1, 2));
    EXPECT_EQ(s().live.text(1, 3), "7.25");

    // With nothing open before, nothing is shown after.
    shell.setTableShown(false);
    script.expectOpenFile("");
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_FALSE(shell.tableShown());
}

TEST_F(OpenSave, MissingFileOffersRetryAndCancel) {
    const std::string good = table("a.tbl", curves(1, 2), "RACE");
    const std::string missing = dir.file("missing.tbl");
    script.expectOpenFile(missing);
    script.expectMessage(missing + "\r\nFile not found.", Button::Retry);
    script.expectOpenFile(good);
    EXPECT_TRUE(OpenTable(shell));
    EXPECT_EQ(script.prompts()[1].buttons, Buttons::RetryCancel);
    EXPECT_EQ(script.prompts()[1].title, "File Open");

    // Cancel raises "Canceled File Open" to the error prompt; Abort ends the command and
    // the table that was open comes back.
    script.expectMessage(kSaveFirst, Button::No);
    script.expectOpenFile(dir.path().string()); // a folder is not a file
    script.expectMessage(dir.path().string() + "\r\nFile not found.", Button::Cancel);
    script.expectError("Canceled File Open", Button::Abort);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_TRUE(script.done());
    expectShown("a.tbl");
}

TEST_F(OpenSave, UnreadableFilesCloseTheTable) {
    open(table("a.tbl", curves(1, 2), "RACE"));
    const ModuleParameters before = s().params;
    const std::string bad[] = {"", std::string("\177ELF\2\1\0\0", 8),
                               curveDataText(curves(1, 2)).substr(0, 100)};
    for (std::size_t i = 0; i < std::size(bad); ++i) {
        const std::string path = dir.file("bad" + std::to_string(i) + ".tbl");
        writeAll(path, bad[i]);
        if (shell.tableShown()) script.expectMessage(kSaveFirst, Button::No);
        script.expectOpenFile(path);
        script.expectMessage("Error loading " + path, Button::OK);
        EXPECT_FALSE(OpenTable(shell));
        EXPECT_EQ(script.last().title, "File Open");
        EXPECT_EQ(script.last().icon, Icon::Critical);
        expectNoTable();
        EXPECT_EQ(s().params, before);
        EXPECT_EQ(s().AdvanceTable, curves(1, 2));
    }
}

TEST_F(OpenSave, MissingChartTemplate) {
    fs::remove(dir.file("Vanta_Chart.oc2"));
    script.expectOpenFile(table("a.tbl", curves(1, 2), "RACE"));
    script.expectMessage("Advance chart .oc2 file not found.", Button::OK);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_FALSE(shell.tableShown());
}

TEST_F(OpenSave, OverflowGoesToTheErrorPrompt) {
    const std::string path =
        table("big.tbl", curves(1, 2), "EX", "!RPMLimit: 99999\r\n!CrankRevs: 3\r\n");
    shell.setCaption(kBase + " - old.tbl");
    script.expectOpenFile(path);
    script.expectError("Overflow", Button::Abort);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_FALSE(shell.tableShown());
    EXPECT_EQ(s().params, ModuleParameters{});
    EXPECT_EQ(shell.caption(), kBase + " - old.tbl"); // Abort ends the command, nothing more

    script.expectOpenFile(path);
    script.expectError("Overflow", Button::Retry);
    script.expectError("Overflow", Button::Ignore);
    EXPECT_TRUE(OpenTable(shell));
    EXPECT_EQ(s().RPMLimit, 6200); // the overflowing line is passed over
    EXPECT_EQ(s().CrankRevs, 3);
    EXPECT_EQ(s().TableType, "EX");
}

TEST_F(OpenSave, ExTableIsLoweredToItsLimitsButTheFileIsNot) {
    Table16x2 limits = curves(30, 31);
    limits(5, kWot) = 32;
    writeAll(dir.file("Vanta_EX_Max.dat"), curveDataText(limits));
    Table16x2 t = curves(30, 31);
    t(5, kWot) = 35;   // above 32: lowered
    t(6, kWot) = 30;   // below its limit of 36: kept
    t(7, kLow) = -4;   // no lower bound for values from a file
    t(8, kLow) = 45.5; // above its limit: lowered
    const std::string path = table("ex.tbl", t, "EX");
    const std::string bytes = readAll(path);
    open(path);

    EXPECT_EQ(s().ExMaxTable, limits);
    EXPECT_EQ(s().live.value(kWot, 5), 32);
    EXPECT_EQ(s().live.value(kWot, 6), 30);
    EXPECT_EQ(s().live.value(kLow, 7), -4);
    EXPECT_EQ(s().live.value(kLow, 8), limits(8, kLow));
    EXPECT_EQ(s().live.text(2, 5), "32.0");
    EXPECT_EQ(shell.interaction, "EX");
    EXPECT_EQ(readAll(path), bytes);
}

TEST_F(OpenSave, LimitFilesAreReadAfreshForEachType) {
    const std::string race = table("r.tbl", curves(1, 2), "RACE");
    const std::string ex = table("e.tbl", curves(1, 2), "EX");
    const std::string tex = table("t.tbl", curves(1, 2), "TEX");
    open(tex);
    EXPECT_EQ(s().ExMaxTable, readCurveFile(dir.file("Tarrow_EX_Max.dat")));
    open(ex);
    EXPECT_EQ(s().ExMaxTable, readCurveFile(dir.file("Vanta_EX_Max.dat")));

    // Without the TEX limits only TEX tables fail; without a minimum file nothing does.
    fs::remove(dir.file("Tarrow_EX_Max.dat"));
    fs::remove(dir.file("Vanta_EX_Min.dat"));
    open(race);
    open(ex);
    script.expectMessage(kSaveFirst, Button::No);
    script.expectOpenFile(tex);
    script.expectMessage("Tarrow_EX_Max.dat not found.", Button::OK);
    EXPECT_FALSE(OpenTable(shell));
    EXPECT_EQ(script.last().title, "Form Load");
    expectNoTable();

    // A limit file with too few values counts as missing.
    writeAll(dir.file("Vanta_EX_Max.dat"), curveDataText(curves(30, 31)).substr(0, 150));
    script.expectOpenFile(ex);
    script.expectMessage("Vanta_EX_Max.dat not found.", Button::OK);
    EXPECT_FALSE(OpenTable(shell));
}

TEST_F(OpenSave, SaveWritesTheLiveTable) {
    open(table("a.tbl", curves(1, 2), "EX"));
    s().live.values(3, kLow) = 12.345678901234567;
    s().RetardVal = 4;
    script.expectSaveFile(dir.file("out.tbl"));
    EXPECT_TRUE(SaveTable(shell));
    EXPECT_EQ(script.last().title, "Save File");
    EXPECT_EQ(script.last().filter, "Advance table files (*.tbl)|*.tbl");
    EXPECT_EQ(readAll(dir.file("out.tbl")), tableFileText(s().live.values, s().params, "EX"));
    EXPECT_EQ(shell.caption(), kBase + " - out.tbl");
}

TEST_F(OpenSave, ReplaceQuestion) {
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
    EXPECT_EQ(script.last().title, "File Save");
    EXPECT_EQ(script.last().buttons, Buttons::YesNoCancel);

    // Cancel reaches the error prompt as "Canceled File Save"; the file stays.
    writeAll(existing, "keep");
    script.expectSaveFile(existing).expectMessage(question, Button::Cancel);
    script.expectError("Canceled File Save", Button::Ignore);
    EXPECT_FALSE(SaveTable(shell));
    EXPECT_EQ(readAll(existing), "keep");
    EXPECT_EQ(shell.caption(), kBase + " - old.tbl");
}

TEST_F(OpenSave, FailedSaveKeepsTheTableAndThePreviousFile) {
    open(table("a.tbl", curves(1, 2), "RACE"));
    const std::string target = dir.file("sub/t.tbl");
    fs::create_directory(dir.file("sub"));
    writeAll(target, "previous");
    // A read-only file: the save may neither write it in place nor replace it.
    fs::permissions(target, fs::perms::owner_read);

    const auto choose = [&] {
        script.expectSaveFile(target).expectMessage({}, Button::Yes);
        script.expectMessage("Error saving " + target, Button::OK);
    };
    const int status = asOrdinaryUser(
        [&] {
            choose();
            EXPECT_FALSE(SaveTable(shell));
            EXPECT_EQ(script.last().title, "File Open");
            expectShown("a.tbl");
            EXPECT_EQ(readAll(target), "previous");

            // Close Table whose Yes-save fails keeps the table open.
            script.expectMessage("Save advance table before closing file?", Button::Yes);
            choose();
            EXPECT_FALSE(CloseTable(shell));
            EXPECT_TRUE(shell.tableShown());
            EXPECT_TRUE(script.done());
            return 0;
        },
        &dir);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readAll(target), "previous");
}

TEST(ScriptedDialogsTest, APromptPastTheScriptEndsTheTest) {
    // Answering on (Cancel, say) would let a command that asks again loop for ever.
    kv::test::ScriptedDialogs script;
    script.expectError("first", Button::Retry);
    EXPECT_EQ(script.ShowErrorPrompt(KvError(1, "x", "first")), Button::Retry);
    EXPECT_NONFATAL_FAILURE(EXPECT_THROW((void)script.ShowErrorPrompt(KvError(1, "x", "again")),
                                         kv::test::ScriptRanOut),
                            "unexpected message: \"again\"");
}
