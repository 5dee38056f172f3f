// SPDX-License-Identifier: GPL-3.0-or-later
// The companion's table file commands, run as the built program.
#include "files/curve_data.h"
#include "files/table_file.h"
#include "support/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace kv;
using kv::test::readAll;
using kv::test::TempDir;
using kv::test::writeAll;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    Outcome cli(const std::vector<std::string>& args) {
        std::string cmd = std::string("'") + KV_BIN_DIR + "/kestrel-vanta-cli'";
        for (const auto& a : args)
            cmd += " '" + a + "'";
        cmd += " >'" + dir.file("stdout") + "' 2>'" + dir.file("stderr") + "'";
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(dir.file("stdout")),
                readAll(dir.file("stderr"))};
    }
    TempDir dir;
};

const std::string kDocument =
    R"({"type": "EX", "params": {"RearOffset": -3, "RetardVal": 2, "CrankRevs": 3, )"
    R"("RPMLimit": 6100, "FixedLimFlag": true, "SelEEPROMTblFlag": false, )"
    R"("RetardEnableFlag": true, "KickStartFlag": false}, )"
    R"("WOT": [0.1, 0.30000000000000004, 11.11111111111111, -0, 5, 6, 7, 8, 9, 10, 11, 12, )"
    R"(13, 14, 15, 1e-300], "Low": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, )"
    R"(16.25], "FirmwareID": ""})";

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

} // namespace

// Whatever ended its lines and whoever wrote it, a table file gives the same table and the
// same module image, or "Error loading" when it is not text.
TEST_F(Cli, TableFileReadingRules) {
    Table16x2 t = kv::test::curves(5, 9);
    t(1, kWot) = 5;
    t(2, kWot) = 0;
    ModuleParameters p;
    p.RearOffset = -2;
    p.RPMLimit = 6100;
    const std::string good = tableFileText(t, p, "RACE");
    const std::string params = good.substr(good.find("!Module"));
    const std::string curves = good.substr(0, good.size() - params.size());
    const std::pair<std::string, std::string> accepted[] = {
        {"CR LF", good},
        {"LF alone", replaced(good, "\r\n", "\n")},
        {"CR alone", replaced(good, "\r\n", "\r")},
        {"CR alone in the parameters", curves + replaced(params, "\r\n", "\r")},
        {"mixed, no last line end",
         replaced(curves, "\r\n", "\n") + replaced(params, "\r\n", "\r")},
        {"trailing Ctrl-Z", good + "\x1a"},
        {"Latin-1 in a ! line",
         replaced(good, "!Module Parameters", "!Module Parameters Soci\xe9t\xe9")},
        {"+5 and 1e-400",
         replaced(replaced(good, "\n0 5 ", "\n0 +5 "), "\n500 0 ", "\n500 1e-400 ")},
    };
    writeAll(dir.file("t.tbl"), good);
    const Outcome json = cli({"show", dir.file("t.tbl"), "--json"});
    const Outcome image = cli({"image", dir.file("t.tbl")});
    ASSERT_EQ(json.status, 0) << json.err;
    ASSERT_NE(
        json.out.find(R"("RearOffset": -2, "RetardVal": 0, "CrankRevs": 2, "RPMLimit": 6100, )"
                      R"("FixedLimFlag": false)"),
        std::string::npos)
        << json.out;
    for (const auto& [what, bytes] : accepted) {
        EXPECT_TRUE(bytes != good || what == "CR LF") << what;
        writeAll(dir.file("t.tbl"), bytes);
        EXPECT_EQ(cli({"show", dir.file("t.tbl"), "--json"}).out, json.out) << what;
        EXPECT_EQ(cli({"image", dir.file("t.tbl")}).out, image.out) << what;
    }
    for (const std::string& bad :
         {good + std::string(1, '\0'), "\x01" + good, good + "\x7f", good + "\x1a!x\r\n"}) {
        writeAll(dir.file("t.tbl"), bad);
        const Outcome r = cli({"show", dir.file("t.tbl")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Error loading " + dir.file("t.tbl") + "\n");
    }
}

TEST_F(Cli, WriteThenShowJsonGivesBackTheDocument) {
    writeAll(dir.file("in.json"), kDocument);
    const Outcome w = cli({"write", dir.file("in.json"), "-o", dir.file("t.tbl")});
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_NE(readAll(dir.file("t.tbl")).find("\r\n!RearOffset: -3\r\n"), std::string::npos);

    // \u escapes, which the printer writes for control characters, are read too.
    std::string escaped = kDocument;
    escaped.replace(escaped.find("\"EX\""), 4, R"("\u0045X")");
    escaped.replace(escaped.find(R"("FirmwareID": "")"), 16, R"("FirmwareID": "a\u0008\u00e9")");
    writeAll(dir.file("u.json"), escaped);
    const Outcome u = cli({"write", dir.file("u.json"), "-o", dir.file("u.tbl")});
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_EQ(readAll(dir.file("u.tbl")), readAll(dir.file("t.tbl")));

    const Outcome show = cli({"show", dir.file("t.tbl"), "--json"});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(show.out, kDocument + "\n");

    const Outcome text = cli({"show", dir.file("t.tbl")});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Type: EX"), std::string::npos);
    EXPECT_NE(text.out.find("11.1"), std::string::npos);
}

// What write takes reads back the same: a parameter outside the range the reader holds it
// to, or an advance that is no finite number, is refused and nothing is written.
TEST_F(Cli, WriteTakesOnlyWhatReadsBack) {
    const auto with = [](const std::string& from, const std::string& to) {
        return replaced(kDocument, from, to);
    };
    const std::pair<std::string, std::string> refused[] = {
        {kDocument + "}", "unexpected text after the object"},
        {with("\"RearOffset\": -3", "\"RearOffset\": 32767"),
         "\"RearOffset\" must be a whole number from -5 to 5"},
        {with("\"RearOffset\": -3", "\"RearOffset\": -6"), "from -5 to 5"},
        {with("\"RetardVal\": 2", "\"RetardVal\": 11"),
         "\"RetardVal\" must be a whole number from 0 to 10"},
        {with("\"CrankRevs\": 3", "\"CrankRevs\": 99"),
         "\"CrankRevs\" must be a whole number from 1 to 3"},
        {with("\"CrankRevs\": 3", "\"CrankRevs\": 0"), "from 1 to 3"},
        {with("\"RPMLimit\": 6100", "\"RPMLimit\": -32768"),
         "\"RPMLimit\" must be a whole number from 3000 to 9900"},
        {with("\"RPMLimit\": 6100", "\"RPMLimit\": 9901"), "from 3000 to 9900"},
        {with("[0.1,", "[1e400,"), "finite"},
        {with("[0.1,", "[-1e999,"), "finite"},
        {with("[0.1,", "[NaN,"), "finite"},
    };
    for (const auto& [json, why] : refused) {
        writeAll(dir.file("in.json"), json);
        const Outcome r = cli({"write", dir.file("in.json"), "-o", dir.file("t.tbl")});
        EXPECT_EQ(r.status, 1) << json;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("t.tbl"))) << json;
    }
    // The ends of each range are taken.
    writeAll(dir.file("in.json"),
             with("-3, \"RetardVal\": 2, \"CrankRevs\": 3, \"RPMLimit\": 6100",
                  "5, \"RetardVal\": 10, \"CrankRevs\": 1, \"RPMLimit\": 3000"));
    EXPECT_EQ(cli({"write", dir.file("in.json"), "-o", dir.file("t.tbl")}).status, 0);
    EXPECT_NE(
        cli({"show", dir.file("t.tbl"), "--json"})
            .out.find(R"("RearOffset": 5, "RetardVal": 10, "CrankRevs": 1, "RPMLimit": 3000)"),
        std::string::npos);
}

TEST_F(Cli, ShowReadsAsOpenTableDoes) {
    Table16x2 t;
    t.fill(39.5); // above every shipped EX limit
    ModuleParameters p;
    writeAll(dir.file("ex.tbl"), tableFileText(t, p, "EX") + "!RPMLimit: 99\r\n");
    const Outcome r = cli({"show", dir.file("ex.tbl"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto limits = readCurveFile(std::string(KV_DATA_DIR) + "/Vanta_EX_Max.dat");
    EXPECT_NE(r.out.find("\"WOT\": [" + std::to_string(static_cast<int>((*limits)(1, kWot)))),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"RPMLimit\": 3000"), std::string::npos);
    // Flags start from the start-up values.
    EXPECT_NE(r.out.find("\"SelEEPROMTblFlag\": true"), std::string::npos);
}

TEST_F(Cli, NewWritesWhatNewTableBuilds) {
    const std::pair<std::string, std::string> types[] = {
        {"RACE", "Vanta_Max.dat"}, {"EX", "Vanta_EX_Max.dat"}, {"TEX", "Tarrow_EX_Max.dat"}};
    for (const auto& [type, maxName] : types) {
        const Outcome r = cli({"new", "--type", type, "--slope", "9", "-o", dir.file("n.tbl")});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto back = readTableFile(dir.file("n.tbl"));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->values, readCurveFile(std::string(KV_DATA_DIR) + "/" + maxName));
        TableFileParameters p = parameterDefaults({});
        applyParameterLines(back->parameterLines, p);
        EXPECT_EQ(p.TableType, type);
        EXPECT_EQ(p.params, ModuleParameters{});
    }
}

TEST_F(Cli, FailuresAndBadUsage) {
    Outcome r = cli({"show", dir.file("missing.tbl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error loading " + dir.file("missing.tbl") + "\n");
    EXPECT_TRUE(r.out.empty());

    writeAll(dir.file("bad.json"), R"({"type": "EX", "WOT": [1]})");
    r = cli({"write", dir.file("bad.json"), "-o", dir.file("t.tbl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("t.tbl")));

    writeAll(dir.file("nan.json"), std::string(kDocument).replace(kDocument.find("0.1"), 3, "NaN"));
    EXPECT_EQ(cli({"write", dir.file("nan.json"), "-o", dir.file("t.tbl")}).status, 1);

    // A parameter is a whole number: 1.5 is refused, not taken as 1.
    writeAll(dir.file("half.json"),
             std::string(kDocument).replace(kDocument.find("\"RetardVal\": 2"), 14,
                                            "\"RetardVal\": 1.5"));
    r = cli({"write", dir.file("half.json"), "-o", dir.file("t.tbl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("RetardVal"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("t.tbl")));

    writeAll(dir.file("in.json"), kDocument);
    r = cli({"write", dir.file("in.json"), "-o", dir.file("no/such/folder/t.tbl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error saving"), std::string::npos);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"show"},
          {"show", "a", "b"},
          {"show", "a", "--xml"},
          {"write", dir.file("in.json")},
          {"write", dir.file("in.json"), "-o", dir.file("a.tbl"), "-o", dir.file("b.tbl")},
          {"new", "--type", "EX", "--type", "RACE", "--slope", "1", "-o", dir.file("a.tbl")},
          {"new", "--type", "EX", "-o", "x"},
          {"new", "--type", "tarrow", "--slope", "1", "-o", "x"},
          {"new", "--type", "EX", "--slope", "10", "-o", "x"}}) {
        EXPECT_EQ(cli(bad).status, 2) << bad[0] << " " << bad.size();
    }
}

TEST_F(Cli, ModifyAppliesARuleToTheFileWithTheLimitsOfItsType) {
    const auto limits = *readCurveFile(std::string(KV_DATA_DIR) + "/Vanta_EX_Max.dat");
    struct Case {
        const char* type;
        std::vector<std::string> args;   // after FILE
        double low1, low16, wot1, wot16; // cells (1,1), (1,16), (2,1), (2,16) after
    };
    // Every cell starts at 6, below every EX limit, except Low at 7500 RPM: 11.3.
    const Case cases[] = {
        {"RACE", {"-7.5%"}, 5.55, 11.3 * 0.925, 5.55, 5.55},
        {"RACE", {"+10%", "--cells", "1,16:1,16"}, 6, 11.3 * 1.1, 6, 6},
        {"RACE", {"+30", "--cells", "2,16:1,15"}, 6, 40, 6, 36},
        {"RACE", {"-25"}, 0, 0, 0, 0},
        {"RACE", {"-.5"}, 5.5, 11.3 - 0.5, 5.5, 5.5}, // a rule, not an option
        {"EX", {"-25"}, -19, -13.7, -19, -19},
        {"EX", {"40", "--cells", "2,1:2,1"}, 6, 11.3, limits(1, kWot), 6},
    };
    for (const Case& c : cases) {
        Table16x2 t;
        t.fill(6);
        t(16, kLow) = 11.3;
        writeAll(dir.file("in.tbl"), tableFileText(t, ModuleParameters{}, c.type));
        std::vector<std::string> args{"modify", dir.file("in.tbl")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"-o", dir.file("out.tbl")});
        const Outcome r = cli(args);
        ASSERT_EQ(r.status, 0) << c.args[0] << r.err;
        const auto back = readTableFile(dir.file("out.tbl"));
        ASSERT_TRUE(back);
        // The exact results, not the one decimal the grid shows.
        EXPECT_NEAR(back->values(1, kLow), c.low1, 1e-12) << c.args[0];
        EXPECT_NEAR(back->values(16, kLow), c.low16, 1e-12) << c.args[0];
        EXPECT_NEAR(back->values(1, kWot), c.wot1, 1e-12) << c.args[0];
        EXPECT_NEAR(back->values(16, kWot), c.wot16, 1e-12) << c.args[0];
        EXPECT_NEAR(back->values(8, kLow), c.low1, 1e-12) << c.args[0];
    }

    for (const char* cells : {"0,1:2,2", "1,1:2,17", "1,1", "1,1:2", "a,1:2,2", "1,1:2,2:2,2",
                              "1, 1:2,2", "+1,1:2,2", ""}) {
        const Outcome r =
            cli({"modify", dir.file("in.tbl"), "+1", "--cells", cells, "-o", dir.file("x.tbl")});
        EXPECT_EQ(r.status, 2) << cells;
        EXPECT_NE(r.err.find("--cells"), std::string::npos) << cells;
    }
    EXPECT_EQ(cli({"modify", dir.file("in.tbl"), "", "-o", dir.file("x.tbl")}).status, 2);
    EXPECT_EQ(cli({"modify", dir.file("in.tbl"), "+1"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.tbl")));
}

TEST_F(Cli, DiffListsTheCellsAndParametersThatDifferAndExitsAsDiffDoes) {
    Table16x2 t;
    t.fill(20);
    ModuleParameters p;
    const auto write = [&](const char* name, const std::string& text) {
        writeAll(dir.file(name), text);
        return dir.file(name);
    };
    const std::string a = write("a.tbl", tableFileText(t, p, "RACE"));
    Table16x2 changed = t;
    changed(4, kLow) = 20.000000000000004; // the next double: one decimal hides it
    ModuleParameters q = p;
    q.RPMLimit = 6100;
    q.KickStartFlag = true;
    const std::string b = write("b.tbl", tableFileText(changed, q, "RACE"));
    // Read as Open Table reads them: cells above the EX limits lowered to them, an RPM limit
    // out of range put back, so these two are the same.
    Table16x2 high = t;
    high(1, kWot) = 39.5;
    const std::string ex1 = write("ex1.tbl", tableFileText(high, p, "EX"));
    const std::string ex2 = write("ex2.tbl", tableFileText(t, p, "EX") + "!RPMLimit: 99\r\n");
    write("bad.tbl", "not a table\r\n");

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // empty: none
    };
    const Case cases[] = {
        {{a, a}, 0, ""},
        {{a, b},
         1,
         "Low 1500 RPM: 20 -> 20.000000000000004\nRPMLimit: 3000 -> 6100\n"
         "KickStartFlag: False -> True\n"},
        {{a, b, "--json"},
         1,
         R"({"same": false, "cells": [{"curve": "Low", "rpm": 1500, "a": 20, )"
         R"("b": 20.000000000000004}], "params": [{"name": "RPMLimit", "a": 3000, "b": 6100}, )"
         R"({"name": "KickStartFlag", "a": false, "b": true}]})"
         "\n"},
        {{a, a, "--json"}, 0, "{\"same\": true, \"cells\": [], \"params\": []}\n"},
        {{ex1, ex2}, 0, ""},
        {{a, dir.file("missing.tbl")}, 2, ""},
        {{dir.file("bad.tbl"), a}, 2, ""},
        {{a}, 2, ""},
        {{a, b, "--xml"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"diff"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome r = cli(args);
        const std::string what = c.args.back() + " " + std::to_string(c.args.size());
        EXPECT_EQ(r.status, c.status) << what << r.err;
        EXPECT_EQ(r.out, c.out) << what;
        EXPECT_EQ(r.err.empty(), c.status != 2) << what;
    }
}
