// SPDX-License-Identifier: GPL-3.0-or-later
// The companion's table file commands run as the built program: what they write, what
// they print, and how they take their arguments. Saves meet the file system in save_test.
#include "files/curve_data.h"
#include "files/table_file.h"
#include "support/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace kv;
using namespace kv::test;
namespace fs = std::filesystem;

namespace {

class Cli : public ::testing::Test {
protected:
    // Runs the companion with `args`, a shell command line, in the test folder: its exit
    // status, with what it printed in out and err.
    int cli(const std::string& args) {
        const std::string command =
            "cd '" + dir.path().string() + "' && '" KV_BIN_DIR "/kestrel-vanta-cli' " + args;
        const int raw = std::system((command + " >out 2>err").c_str());
        out = readAll(dir.file("out"));
        err = readAll(dir.file("err"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    Table16x2 read(const std::string& name) {
        return readTableFile(dir.file(name)).value_or(TableFileContents{}).values;
    }
    TempDir dir;
    std::string out, err;
};

// At the ends of each range the reader holds the parameters to.
const std::string kDocument =
    R"({"type": "EX", "params": {"RearOffset": -5, "RetardVal": 10, "CrankRevs": 3, )"
    R"("RPMLimit": 3000, "FixedLimFlag": true, "SelEEPROMTblFlag": false, )"
    R"("RetardEnableFlag": true, "KickStartFlag": false}, )"
    R"("WOT": [0.1, 0.30000000000000004, 11.11111111111111, -0, 5, 6, 7, 8, 9, 10, 11, 12, )"
    R"(13, 14, 15, 1e-300], "Low": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, )"
    R"(16.25], "FirmwareID": ""})";

} // namespace

// What write takes, from JSON or from show's CSV as a spreadsheet saves it, reads back the
// same: a parameter outside the range the reader holds it to or not whole, or an advance
// that is no finite number or one the module cannot hold, is refused and nothing written.
// image refuses a table file holding such an advance.
TEST_F(Cli, WriteTakesOnlyWhatReadsBack) {
    writeAll(dir.file("in.json"), "\n " + kDocument);
    ASSERT_EQ(cli("write in.json -o t.tbl"), 0) << err;
    ASSERT_EQ(cli("show t.tbl --csv"), 0);
    const std::string csv = out;
    EXPECT_EQ(csv, "0.1,0.30000000000000004,11.11111111111111,-0,5,6,7,8,9,10,11,12,13,14,15,"
                   "1e-300\n1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16.25\ntype,EX\nRearOffset,-5\n"
                   "RetardVal,10\nCrankRevs,3\nRPMLimit,3000\nFixedLimFlag,True\n"
                   "SelEEPROMTblFlag,False\nRetardEnableFlag,True\nKickStartFlag,False\n");
    // Saved again by a spreadsheet of a decimal-comma locale: semicolons, CR LF, padding
    // cells, a blank line, quotes and its own spelling of the flags.
    std::string sheet = "\xEF\xBB\xBF";
    for (char c : csv)
        sheet += c == ',' ? ";" : c == '.' ? "," : c == '\n' ? ";;\r\n" : std::string(1, c);
    sheet.replace(sheet.find("True"), 4, "\"TRUE\"");
    for (const std::string& text : {"\n " + kDocument, csv, sheet + ";;\r\n"}) {
        writeAll(dir.file("in.csv"), text);
        ASSERT_EQ(cli("write in.csv -o c.tbl"), 0) << err;
        EXPECT_EQ(cli("show c.tbl --json"), 0);
        EXPECT_EQ(out, kDocument + "\n");
    }
    const auto with = [](const std::string& from, const std::string& to,
                         std::string s = kDocument) {
        return s.replace(s.find(from), from.size(), to);
    };
    const std::pair<std::string, std::string> refused[] = {
        {kDocument + "}", "unexpected text after the object"},
        {with("-5", "-6"), "\"RearOffset\" must be a whole number from -5 to 5"},
        {with("-5", "32767"), "from -5 to 5"},
        {with(": 10", ": 9.5"), "\"RetardVal\" must be a whole number"},
        {with(": 10", ": 11"), "from 0 to 10"},
        {with(": 3,", ": 4,"), "\"CrankRevs\" must be a whole number from 1 to 3"},
        {with("3000", "2999"), "\"RPMLimit\" must be a whole number from 3000 to 9900"},
        {with("[0.1,", "[1e400,"), "finite"},
        {with("[0.1,", "[NaN,"), "finite"},
        {with("[0.1,", "[1e300,", with("\"EX\"", "\"RACE\"")), // what RACE may hold too
         "Cannot write - the WOT value at 0 RPM (1e+300) is outside 0 to 44.8 degrees."},
        {R"({"type": "EX", "WOT": [1]})", ""},
        {csv.substr(0, csv.find("KickStartFlag")), "expected type and the eight"},
        {csv + "RetardVal,3\n", "\"RetardVal\" given twice"},
        {csv + "Colour,red\n", "unknown name \"Colour\""},
        {csv.substr(csv.find(',') + 1), "line 1 must hold the 16 WOT values"},
        {"1," + csv, "line 1 must hold the 16 WOT values"},
        {"abc" + csv.substr(3), "\"WOT\" 1 must be a finite number, not \"abc\""},
        {"1e999" + csv.substr(3), "finite"},
        {"45" + csv.substr(3), "Cannot write - the WOT value at 0 RPM"},
        {with("-5", "-6", csv), "\"RearOffset\" must be a whole number from -5 to 5"},
        {with("True", "yes", csv), "\"FixedLimFlag\" must be True or False"},
    };
    for (const auto& [json, why] : refused) {
        writeAll(dir.file("in.json"), json);
        EXPECT_EQ(cli("write in.json -o u.tbl"), 1) << json;
        EXPECT_NE(err.find(why), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(dir.file("u.tbl"))) << json;
    }
    Table16x2 t;
    t(4, kWot) = 500;
    writeAll(dir.file("m.tbl"), tableFileText(t, {}, "RACE"));
    EXPECT_EQ(cli("image m.tbl"), 1);
    EXPECT_NE(err.find("Cannot upload - the WOT value at 1500 RPM (500.0) is"), err.npos);
    EXPECT_EQ(cli("show in.json"), 1);
    EXPECT_EQ(err, "Error loading in.json\n");
    EXPECT_EQ(cli("new --type TEX --slope 9 -o n.tbl"), 0);
    EXPECT_EQ(read("n.tbl"), readCurveFile(std::string(KV_DATA_DIR) + "/Tarrow_EX_Max.dat"));
}

// A bad use exits 2, a file the command cannot read or write 1, with a message; neither
// leaves an output file behind.
TEST_F(Cli, BadUsageExits2AFailure1AndNeitherWritesAnything) {
    writeAll(dir.file("in.tbl"), tableFileText({}, {}, "RACE"));
    writeAll(dir.file("bad.tbl"), "no table");
    for (const char* bad :
         {"show in.tbl --xml", "write in.tbl", "write in.tbl -o x.tbl -o x.tbl",
          "new --type EX --type RACE --slope 1 -o x.tbl", "new --type tarrow --slope 1 -o x.tbl",
          "new --type EX --slope 10 -o x.tbl", "modify in.tbl +1", "diff in.tbl in.tbl --xml",
          // A rule that is not one number would zero the cells.
          "modify in.tbl '' -o x.tbl", "modify in.tbl abc -o x.tbl", "modify in.tbl nan -o x.tbl",
          "modify in.tbl inf -o x.tbl", "modify in.tbl 0x10 -o x.tbl", "modify in.tbl % -o x.tbl",
          "modify in.tbl 1e400 -o x.tbl", "modify in.tbl -o x.tbl -- --3",
          "show in.tbl --csv --json", "smooth in.tbl +1 -o x.tbl",
          "interpolate in.tbl --cells 1,1:2,2 -o x.tbl",
          "smooth in.tbl --cells 2,16:2,15 -o x.tbl"})
        EXPECT_TRUE(cli(bad) == 2 && err.find("usage: ") != std::string::npos) << bad << err;
    for (const char* failing :
         {"new --type EX --slope 1 -o no/such/x.tbl", "modify in.tbl +1 -o no/such/x.tbl",
          "modify missing.tbl +1 -o x.tbl", "modify bad.tbl +1 -o x.tbl",
          "print missing.tbl -o x.pdf", "print bad.tbl -o x.pdf"}) {
        EXPECT_EQ(cli(failing), 1) << failing;
        EXPECT_NE(err, "") << failing;
    }
    EXPECT_FALSE(fs::exists(dir.file("x.pdf")));
    for (const char* cells :
         {"0,1:2,2", "1,1:2,17", "1,1", "a,1:2,2", "1,1:2,2:2,2", "'1, 1:2,2'", "+1,1:2,2", "''"}) {
        EXPECT_EQ(cli("modify in.tbl +1 -o x.tbl --cells " + std::string(cells)), 2) << cells;
        EXPECT_NE(err.find("--cells"), std::string::npos) << cells;
    }
    EXPECT_FALSE(fs::exists(dir.file("x.tbl")));
}

TEST_F(Cli, EditsApplyTheirRulesToTheFileWithTheLimitsOfItsType) {
    const auto limits = *readCurveFile(std::string(KV_DATA_DIR) + "/Vanta_EX_Max.dat");
    struct Case {
        const char* type;
        const char* args; // before -o out.tbl
        double want[5];   // cells (1,1), (1,16), (2,1), (2,16), (1,15) after
    };
    // Every cell starts at 6, below every EX limit, except Low at 7500 RPM: 11.3.
    const Case cases[] = {
        {"RACE", "modify in.tbl -7.5%", {5.55, 11.3 * 0.925, 5.55, 5.55, 5.55}},
        {"RACE", "modify in.tbl +10% --cells 1,16:1,16", {6, 11.3 * 1.1, 6, 6, 6}},
        {"RACE", "modify in.tbl +30 --cells 2,16:1,15", {6, 40, 6, 36, 36}},
        {"RACE", "modify in.tbl -.5", {5.5, 11.3 - 0.5, 5.5, 5.5, 5.5}}, // a rule, not an option
        {"EX", "modify in.tbl -10", {0, 11.3 - 10, 0, 0, 0}}, // no lower than 0, as typing
        {"EX", "modify in.tbl 40 --cells 2,1:2,1", {6, 11.3, limits(1, kWot), 6, 6}},
        {"RACE", "interpolate in.tbl", {6, 11.3, 6, 6, 6 + 5.3 * 14 / 15}},
        {"RACE", "smooth in.tbl --cells 1,14:1,16", {6, 11.3, 6, 6, (6 + 12 + 11.3) / 4}},
    };
    writeAll(dir.file("-t.tbl"), tableFileText(curves(20, 10), {}, "RACE"));
    // "--" ends the options, before the file or after it.
    for (const char* args :
         {"modify -o out.tbl -- -t.tbl -3", "modify -o out.tbl ./-t.tbl -- -3"}) {
        ASSERT_EQ(cli(args), 0) << args << err;
        EXPECT_EQ(read("out.tbl"), curves(17, 7));
    }
    for (const Case& c : cases) {
        Table16x2 t;
        t.fill(6);
        t(16, kLow) = 11.3;
        writeAll(dir.file("in.tbl"), tableFileText(t, {}, c.type));
        ASSERT_EQ(cli(c.args + std::string(" -o out.tbl")), 0) << c.args << err;
        // The exact results, not the one decimal the grid shows.
        const Table16x2 back = read("out.tbl");
        const double got[] = {back(1, kLow), back(16, kLow), back(1, kWot), back(16, kWot),
                              back(15, kLow)};
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR(got[i], c.want[i], 1e-12) << c.args << " cell " << i;
    }
}

// diff lists every cell and parameter that differs, as text or JSON, and exits as diff
// does; show prints the parameters and the grid as the window shows it. Standard output
// that cannot be written fails either.
TEST_F(Cli, DiffAndShowPrintEveryDifferenceAndFailWhenTheirOutputCannotBeWritten) {
    Table16x2 t;
    t.fill(20);
    Table16x2 changed = kv::test::changedAtEnds(t), high = t;
    changed(4, kLow) = 20.000000000000004; // the next double: one decimal hides it
    writeAll(dir.file("a.tbl"), tableFileText(t, {}, "RACE"));
    writeAll(dir.file("b.tbl"), tableFileText(changed, kv::test::kParams, "RACE"));
    // Read as Open Table reads them: cells above the EX limits lowered to them, an RPM limit
    // out of range put back, so these two are the same.
    high(1, kWot) = 39.5;
    writeAll(dir.file("ex1.tbl"), tableFileText(high, {}, "EX"));
    writeAll(dir.file("ex2.tbl"), tableFileText(t, {}, "EX") + "!RPMLimit: 99\r\n");
    EXPECT_EQ(cli("diff a.tbl a.tbl"), 0);
    EXPECT_EQ(cli("diff ex1.tbl ex2.tbl"), 0);
    EXPECT_EQ(cli("diff a.tbl missing.tbl"), 2);
    EXPECT_EQ(cli("diff a.tbl b.tbl"), 1);
    EXPECT_EQ(out, "WOT 0 RPM: 20 -> 21.5\nWOT 3500 RPM: 20 -> 22.5\nWOT 7500 RPM: 20 -> 23.5\n"
                   "Low 0 RPM: 20 -> 24.5\nLow 1500 RPM: 20 -> 20.000000000000004\n"
                   "Low 3500 RPM: 20 -> 25.5\nLow 7500 RPM: 20 -> 26.5\n"
                   "RearOffset: 0 -> -3\nRetardVal: 0 -> 7\nCrankRevs: 2 -> 3\n"
                   "RPMLimit: 3000 -> 6200\nFixedLimFlag: False -> True\n"
                   "SelEEPROMTblFlag: True -> False\nRetardEnableFlag: False -> True\n");
    EXPECT_EQ(cli("diff a.tbl b.tbl --json"), 1);
    EXPECT_EQ(out.find(R"({"same": false, "cells": [{"curve": "WOT", "rpm": 0, "a": 20, "b": )"
                       R"(21.5}, {"curve": "WOT", "rpm": 3500, )"),
              0u);
    EXPECT_NE(out.find(R"({"name": "RetardVal", "a": 0, "b": 7}, {"name": "CrankRevs", "a": 2, )"
                       R"("b": 3}, {"name": "RPMLimit", "a": 3000, "b": 6200})"),
              std::string::npos);
    EXPECT_EQ(cli("show b.tbl"), 0);
    EXPECT_EQ(out.substr(0, out.find("MAP/RPM")),
              "Type: RACE\nRearOffset: -3\nRetardVal: 7\nRPMLimit: 6200\nCrankRevs: 3\n"
              "FixedLimFlag: True\nSelEEPROMTblFlag: False\nRetardEnableFlag: True\n"
              "KickStartFlag: False\n");
    EXPECT_NE(
        out.find("\nLow     24.5    20.0    20.0    20.0    20.0    20.0    20.0    25.5    "
                 "20.0    20.0    20.0    20.0    20.0    20.0    20.0    26.5\nWOT     21.5"),
        std::string::npos);
    // Standard output that cannot be written fails the command; diff's trouble is 2.
    for (const std::string c : {"diff a.tbl b.tbl", "show a.tbl --json", "image a.tbl", "--help"}) {
        EXPECT_EQ(cli(c + " >/dev/full 2>err #"), c[0] == 'd' ? 2 : 1) << c; // "#": not >out
        EXPECT_EQ(err, "kestrel-vanta-cli: cannot write standard output: No space left on "
                       "device\n");
    }
}
