// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/new_table.h"
#include "support/fake_shell.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::curves;
using kv::test::writeAll;
namespace fs = std::filesystem;

namespace {

const std::string kBase = "Kestrel Vanta Version 8.1";
const char* kTypeQuestion = "Enter table type (Race, EX, or Tarrow EX)";

Table16x2 constant(double v) {
    return curves(v, v, 0);
}

class NewTable : public kv::test::ShellTest {
protected:
    // Runs the start-up steps answering the type question with `answer`.
    bool start(NewTableSession& session, const std::string& answer) {
        script.expectInput(kTypeQuestion, answer);
        const bool started = session.start();
        EXPECT_TRUE(script.done());
        return started;
    }
};

} // namespace

TEST(NewTableBlend, StepsAreNinthsOfTheDistanceAndNotRounded) {
    for (int s = 0; s <= 9; ++s)
        EXPECT_EQ(blendTemplates(constant(10), constant(19), s)(4, kLow), 10 + s);
    const double v = blendTemplates(constant(10), constant(20), 1)(1, kWot);
    EXPECT_DOUBLE_EQ(v, 100.0 / 9); // not rounded to 11.1
    EXPECT_EQ(blendTemplates(constant(38), constant(50), 9)(2, kWot), 40);
    EXPECT_EQ(blendTemplates(constant(-6), constant(3), 1)(2, kWot), 0);
}

TEST_F(NewTable, TypeQuestionRepeatsUntilAccepted) {
    NewTableSession session(shell);
    // Blanks are not trimmed; Cancel (no answer) asks again.
    for (const char* refused : {"Tarrow", "EX ", " EX", "", "TEX", "tarrow  ex"})
        script.expectInput(kTypeQuestion, refused);
    script.expectInput(kTypeQuestion, std::nullopt);
    ASSERT_TRUE(start(session, "tarrow ex"));
    EXPECT_EQ(script.last().title, "Create New Advance Table");
    EXPECT_EQ(script.last().filter, "Race"); // the default answer
    EXPECT_EQ(s().TableType, "TEX");
    const std::pair<const char*, const char*> accepted[] = {
        {"race", "RACE"}, {"Race", "RACE"}, {"eX", "EX"}};
    for (const auto& [answer, type] : accepted) {
        NewTableSession again(shell);
        ASSERT_TRUE(start(again, answer));
        EXPECT_EQ(s().TableType, type);
    }
}

TEST_F(NewTable, StartUpPreparesTheDialogButShowsNoTable) {
    s().RearOffset = 3;
    s().RetardVal = 6;
    shell.setCaption(kBase + " - old.tbl");
    NewTableSession session(shell);
    ASSERT_TRUE(start(session, "ex"));
    EXPECT_FALSE(shell.tableShown());
    EXPECT_EQ(shell.caption(), kBase);
    EXPECT_EQ(shell.interaction, "EX");
    EXPECT_EQ(session.sliderPosition(), 9);
    EXPECT_EQ(session.slopeSetting(), 0);
    EXPECT_EQ(session.slopeLabel(), " 0");
    EXPECT_EQ(s().ExMaxTable, shipped("Vanta_EX_Max.dat"));
    EXPECT_EQ(s().RearOffset, 0);
    EXPECT_EQ(s().RetardVal, 6);

    // A RACE table keeps the offset.
    s().RearOffset = 3;
    NewTableSession race(shell);
    ASSERT_TRUE(start(race, "RACE"));
    EXPECT_EQ(s().RearOffset, 3);
}

TEST_F(NewTable, UpdateReplacesTheTableEachTime) {
    writeAll(dir.file("Vanta_EX_Min.dat"), curveDataText(constant(10)));
    writeAll(dir.file("Vanta_EX_Max.dat"), curveDataText(constant(20)));
    NewTableSession session(shell);
    ASSERT_TRUE(start(session, "EX"));
    session.setSliderPosition(8);
    session.CreateNewTable();
    EXPECT_DOUBLE_EQ(s().live.value(kLow, 1), 100.0 / 9);
    EXPECT_EQ(s().live.text(1, 1), "11.1");
    session.setSliderPosition(0); // the top: the maximum template itself
    EXPECT_EQ(session.slopeLabel(), " 9");
    session.CreateNewTable();
    EXPECT_EQ(s().live.values, constant(20));
    EXPECT_EQ(s().AdvanceTable, constant(20));
    EXPECT_EQ(s().live.text(2, 16), "20.0");
    session.setSliderPosition(5);
    session.CreateNewTable();
    EXPECT_EQ(s().live.values, blendTemplates(constant(10), constant(20), 4));
    EXPECT_EQ(shell.liveChanges, 3);
    EXPECT_EQ(shell.labelHides, 3);
    EXPECT_EQ(shell.resizes, 3);
}

TEST_F(NewTable, SaveQuestionComesFirst) {
    shell.setTableShown(true);
    s().live.values = constant(7);
    NewTableSession session(shell);
    script.expectMessage("Save advance table before closing file?", Button::Cancel);
    EXPECT_FALSE(session.start());
    EXPECT_EQ(script.last().title, "Close File");
    EXPECT_TRUE(shell.tableShown());

    // Yes whose save is cancelled keeps the table too.
    script.expectMessage("Save advance table before closing file?", Button::Yes);
    script.expectSaveFile("");
    EXPECT_FALSE(session.start());
    EXPECT_TRUE(shell.tableShown());
    EXPECT_EQ(s().live.values, constant(7));

    script.expectMessage("Save advance table before closing file?", Button::No);
    EXPECT_TRUE(start(session, "race"));
    EXPECT_FALSE(shell.tableShown());
}

TEST_F(NewTable, MissingTemplateEndsTheCommandWithNoTable) {
    fs::remove(dir.file("Vanta_EX_Min.dat"));
    fs::remove(dir.file("Tarrow_EX_Max.dat"));
    const Table16x2 limits = s().ExMaxTable;
    const std::pair<const char*, const char*> cases[] = {
        {"EX", "Vanta_EX_Min.dat not found."}, {"Tarrow EX", "Tarrow_EX_Max.dat not found."}};
    for (const auto& [answer, message] : cases) {
        shell.setTableShown(true);
        script.expectMessage("Save advance table before closing file?", Button::No);
        script.expectInput(kTypeQuestion, answer);
        script.expectMessage(message, Button::OK);
        NewTableSession session(shell);
        EXPECT_FALSE(session.start());
        EXPECT_EQ(script.last().title, "New Table");
        EXPECT_EQ(script.last().icon, Icon::Critical);
        EXPECT_FALSE(shell.tableShown());
        EXPECT_EQ(shell.caption(), kBase);
    }
    EXPECT_EQ(s().TableType, "TEX"); // already set when the file was missed
    // The minimum of TEX was read and its maximum was not: the limits are as they were.
    EXPECT_EQ(s().ExMaxTable, limits);
}
