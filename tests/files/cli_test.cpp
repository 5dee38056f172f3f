// SPDX-License-Identifier: GPL-3.0-or-later
// The companion's table file commands run as the built program, and saves against the
// file system as an ordinary user meets it (a suite running as root drops to nobody).
#include "files/curve_data.h"
#include "files/file_save.h"
#include "files/table_file.h"
#include "support/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace kv;
using kv::test::readAll;
using kv::test::TempDir;
using kv::test::writeAll;
namespace fs = std::filesystem;

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
    std::string file(const std::string& name, const std::string& bytes) {
        writeAll(dir.file(name), bytes);
        return dir.file(name);
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

std::string with(const std::string& from, const std::string& to) {
    std::string s = kDocument;
    return s.replace(s.find(from), from.size(), to);
}

} // namespace

TEST_F(Cli, WriteShowAndNewGiveBackWhatTheyTake) {
    const Outcome w = cli({"write", file("in.json", kDocument), "-o", dir.file("t.tbl")});
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_EQ(cli({"show", dir.file("t.tbl"), "--json"}).out, kDocument + "\n");
    // \u escapes, which the printer writes for control characters, are read too.
    EXPECT_EQ(
        cli({"write", file("u.json", with("\"EX\"", R"("\u0045X")")), "-o", dir.file("u.tbl")})
            .status,
        0);
    EXPECT_EQ(readAll(dir.file("u.tbl")), readAll(dir.file("t.tbl")));

    EXPECT_EQ(cli({"new", "--type", "TEX", "--slope", "9", "-o", dir.file("n.tbl")}).status, 0);
    const auto back = readTableFile(dir.file("n.tbl"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->values, readCurveFile(std::string(KV_DATA_DIR) + "/Tarrow_EX_Max.dat"));
    EXPECT_EQ(back->parameterLines.back(), "!Version: TEX");
}

// What write takes reads back the same: a parameter outside the range the reader holds it
// to or not whole, or an advance that is no finite number, is refused and nothing written.
TEST_F(Cli, WriteTakesOnlyWhatReadsBack) {
    const std::pair<std::string, std::string> refused[] = {
        {kDocument + "}", "unexpected text after the object"},
        {with("\"RearOffset\": -3", "\"RearOffset\": 32767"),
         "\"RearOffset\" must be a whole number from -5 to 5"},
        {with("\"RetardVal\": 2", "\"RetardVal\": 1.5"), "\"RetardVal\" must be a whole number"},
        {with("\"CrankRevs\": 3", "\"CrankRevs\": 0"), "\"CrankRevs\" must be a whole number"},
        {with("\"RPMLimit\": 6100", "\"RPMLimit\": 9901"), "from 3000 to 9900"},
        {with("[0.1,", "[1e400,"), "finite"},
        {with("[0.1,", "[NaN,"), "finite"},
        {R"({"type": "EX", "WOT": [1]})", ""},
    };
    for (const auto& [json, why] : refused) {
        const Outcome r = cli({"write", file("in.json", json), "-o", dir.file("t.tbl")});
        EXPECT_EQ(r.status, 1) << json;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir.file("t.tbl"))) << json;
    }
    // The ends of each range are taken.
    file("in.json", with("-3, \"RetardVal\": 2, \"CrankRevs\": 3, \"RPMLimit\": 6100",
                         "5, \"RetardVal\": 10, \"CrankRevs\": 1, \"RPMLimit\": 3000"));
    EXPECT_EQ(cli({"write", dir.file("in.json"), "-o", dir.file("t.tbl")}).status, 0);
    EXPECT_NE(
        cli({"show", dir.file("t.tbl"), "--json"})
            .out.find(R"("RearOffset": 5, "RetardVal": 10, "CrankRevs": 1, "RPMLimit": 3000)"),
        std::string::npos);
    const Outcome r = cli({"write", dir.file("in.json"), "-o", dir.file("no/such/t.tbl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error saving " + dir.file("no/such/t.tbl") + "\n");
    EXPECT_EQ(cli({"show", dir.file("in.json")}).err,
              "Error loading " + dir.file("in.json") + "\n");
}

TEST_F(Cli, BadUsageExitsWith2AndWritesNothing) {
    const std::string in = file("in.tbl", tableFileText({}, ModuleParameters{}, "RACE"));
    const std::string out = dir.file("x.tbl");
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"show", in, "--xml"},
             {"write", in},
             {"write", in, "-o", out, "-o", out},
             {"new", "--type", "EX", "--type", "RACE", "--slope", "1", "-o", out},
             {"new", "--type", "tarrow", "--slope", "1", "-o", out},
             {"new", "--type", "EX", "--slope", "10", "-o", out},
             {"modify", in, "", "-o", out},
             {"modify", in, "+1"},
             {"diff", in, in, "--xml"}}) {
        EXPECT_EQ(cli(bad).status, 2) << bad[0] << " " << bad.size();
    }
    for (const char* cells :
         {"0,1:2,2", "1,1:2,17", "1,1", "a,1:2,2", "1,1:2,2:2,2", "1, 1:2,2", "+1,1:2,2", ""}) {
        const Outcome r = cli({"modify", in, "+1", "--cells", cells, "-o", out});
        EXPECT_EQ(r.status, 2) << cells;
        EXPECT_NE(r.err.find("--cells"), std::string::npos) << cells;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Cli, ModifyAppliesARuleToTheFileWithTheLimitsOfItsType) {
    const auto limits = *readCurveFile(std::string(KV_DATA_DIR) + "/Vanta_EX_Max.dat");
    struct Case {
        const char* type;
        std::vector<std::string> args; // after FILE
        double want[4];                // cells (1,1), (1,16), (2,1), (2,16) after
    };
    // Every cell starts at 6, below every EX limit, except Low at 7500 RPM: 11.3.
    const Case cases[] = {
        {"RACE", {"-7.5%"}, {5.55, 11.3 * 0.925, 5.55, 5.55}},
        {"RACE", {"+10%", "--cells", "1,16:1,16"}, {6, 11.3 * 1.1, 6, 6}},
        {"RACE", {"+30", "--cells", "2,16:1,15"}, {6, 40, 6, 36}},
        {"RACE", {"-.5"}, {5.5, 11.3 - 0.5, 5.5, 5.5}}, // a rule, not an option
        {"EX", {"-25"}, {-19, -13.7, -19, -19}},
        {"EX", {"40", "--cells", "2,1:2,1"}, {6, 11.3, limits(1, kWot), 6}},
    };
    for (const Case& c : cases) {
        Table16x2 t;
        t.fill(6);
        t(16, kLow) = 11.3;
        std::vector<std::string> args{"modify", file("in.tbl", tableFileText(t, {}, c.type))};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"-o", dir.file("out.tbl")});
        const Outcome r = cli(args);
        ASSERT_EQ(r.status, 0) << c.args[0] << r.err;
        const auto back = readTableFile(dir.file("out.tbl"));
        ASSERT_TRUE(back);
        // The exact results, not the one decimal the grid shows.
        const double got[] = {back->values(1, kLow), back->values(16, kLow), back->values(1, kWot),
                              back->values(16, kWot)};
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(got[i], c.want[i], 1e-12) << c.args[0] << " cell " << i;
    }
}

TEST_F(Cli, DiffListsTheCellsAndParametersThatDifferAndExitsAsDiffDoes) {
    Table16x2 t;
    t.fill(20);
    ModuleParameters p;
    const std::string a = file("a.tbl", tableFileText(t, p, "RACE"));
    Table16x2 changed = t;
    changed(4, kLow) = 20.000000000000004; // the next double: one decimal hides it
    ModuleParameters q = p;
    q.RPMLimit = 6100;
    q.KickStartFlag = true;
    const std::string b = file("b.tbl", tableFileText(changed, q, "RACE"));
    // Read as Open Table reads them: cells above the EX limits lowered to them, an RPM limit
    // out of range put back, so these two are the same.
    Table16x2 high = t;
    high(1, kWot) = 39.5;
    const std::string ex1 = file("ex1.tbl", tableFileText(high, p, "EX"));
    const std::string ex2 = file("ex2.tbl", tableFileText(t, p, "EX") + "!RPMLimit: 99\r\n");
    EXPECT_EQ(cli({"diff", a, a}).status, 0);
    EXPECT_EQ(cli({"diff", ex1, ex2}).status, 0);
    EXPECT_EQ(cli({"diff", a, dir.file("missing.tbl")}).status, 2);
    const Outcome r = cli({"diff", a, b});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Low 1500 RPM: 20 -> 20.000000000000004\nRPMLimit: 3000 -> 6100\n"
                     "KickStartFlag: False -> True\n");
}

// Only a regular file the user may write is replaced, by a new file renamed over it that
// keeps its mode and owner; a writable file in a closed folder is written in place.
TEST(Save, RespectsTheFileSystem) {
    enum Kind { File, Link, Fifo, Folder, None };
    struct Case {
        const char* what;
        Kind kind;
        mode_t mode; // of the file
        bool usersFile;
        mode_t folderMode;
        bool asUser; // an ordinary user saves, not root
        bool saved;
    };
    const bool root = ::geteuid() == 0;
    const Case cases[] = {
        {"read-only file", File, 0444, true, 0777, true, false},
        {"writable file in a closed folder", File, 0644, true, 0555, true, true},
        {"new file in a closed folder", None, 0, true, 0555, true, false},
        {"FIFO", Fifo, 0, true, 0777, true, false},
        {"folder", Folder, 0, true, 0777, true, false},
        {"link, mode kept", Link, 0640, true, 0777, true, true},
        {"another user's file", File, 0644, false, 0777, true, false},
        {"owner, group and mode kept by root", File, 0604, true, 0755, false, true},
    };
    const passwd* pw = root ? ::getpwnam("nobody") : ::getpwuid(::geteuid());
    ASSERT_TRUE(pw);
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string table(3000, 't');
    int n = 0;
    for (const Case& c : cases) {
        if ((!c.asUser || !c.usersFile) && !root) continue;
        SCOPED_TRACE(c.what);
        const fs::path folder = dir.path() / std::to_string(n++);
        fs::create_directory(folder);
        fs::path target = folder / "t.tbl", given = target;
        if (c.kind == File || c.kind == Link) {
            writeAll(target, "old");
            ASSERT_EQ(::chown(target.c_str(), c.usersFile ? pw->pw_uid : 0, pw->pw_gid), 0);
            ::chmod(target.c_str(), c.mode);
        }
        if (c.kind == Link) fs::create_symlink("t.tbl", given = folder / "link.tbl");
        if (c.kind == Fifo) ::mkfifo(target.c_str(), 0666);
        if (c.kind == Folder) fs::create_directory(target);
        ::chmod(folder.c_str(), c.folderMode);
        struct stat before {
        }, now{};
        ::stat(target.c_str(), &before);
        const auto save = [&] { return writeFileAtomically(given.string(), table) ? 0 : 3; };
        EXPECT_EQ(c.asUser ? kv::test::asOrdinaryUser(save) : save(), c.saved ? 0 : 3);
        ::stat(target.c_str(), &now);
        if (c.kind == File || c.kind == Link) {
            EXPECT_EQ(readAll(target), c.saved ? table : "old");
        }
        if (c.kind != None) {
            EXPECT_EQ(now.st_mode, before.st_mode);
            EXPECT_EQ(now.st_uid, before.st_uid);
            EXPECT_EQ(now.st_gid, before.st_gid);
            // Replaced by a new file, unless written in place in the closed folder.
            EXPECT_EQ(now.st_ino == before.st_ino, !c.saved || c.folderMode == 0555);
        }
        EXPECT_TRUE(c.kind != Link || fs::is_symlink(given));
        ::chmod(folder.c_str(), 0755);
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(e.path().filename().string().rfind(".kv", 0), std::string::npos) << e.path();
    }
}
