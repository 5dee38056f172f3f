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

} // namespace

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
