// SPDX-License-Identifier: GPL-3.0-or-later
// kestrel-vanta-cli print, run as the built program; the PDF read back with pdftotext.
#include "files/table_file.h"
#include "support/pdf_text.h"
#include "support/test_files.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kv;
using kv::test::pdfPageText;
using kv::test::readAll;
using kv::test::TempDir;

namespace {

// Runs the companion with `args`, standard error into `errFile`; as an ordinary user
// (nobody) when `ordinaryUser`, so that folder rights hold even for root.
int runCli(const std::vector<std::string>& args, const std::string& errFile,
           bool ordinaryUser = false) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, 2);
        if (ordinaryUser && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(126);
        std::vector<std::string> all{std::string(KV_BIN_DIR) + "/kestrel-vanta-cli"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(PrintCli, BothPagesAsTextInOnePdf) {
    TempDir dir;
    ModuleParameters p;
    p.RearOffset = -3;
    p.RPMLimit = 5700;
    p.FixedLimFlag = true;
    p.KickStartFlag = true;
    kv::test::writeAll(dir.file("t.tbl"), tableFileText(kv::test::curves(20, 10), p, "RACE"));
    const std::string pdf = dir.file("report.pdf");
    ASSERT_EQ(
        runCli({"print", dir.file("t.tbl"), "-o", pdf, "--comment", "SN 7 Größe"}, dir.file("err")),
        0)
        << readAll(dir.file("err"));

    const std::string chartPage = pdfPageText(pdf, 1);
    EXPECT_NE(chartPage.find("Orvane Vanta Ignition Module Data Printed: "), std::string::npos);
    EXPECT_NE(chartPage.find("Serial/Comment: SN 7 Größe"), std::string::npos) << chartPage;
    EXPECT_EQ(chartPage.find("Advance Table"), std::string::npos);
    const std::string dataPage = pdfPageText(pdf, 2);
    for (const char* line :
         {"Serial/Comment: SN 7 Größe", "Low 11.0 12.0 13.0 14.0 15.0 16.0 17.0 18.0 19.0",
          "WOT 21.0 22.0 23.0", "Rear Cylinder Offset (Deg): -3.0", "Fixed RPM Limit: 5700",
          "Kick Start Mode Enabled: True"})
        EXPECT_NE(dataPage.find(line), std::string::npos) << line << "\n" << dataPage;
    EXPECT_EQ(dataPage.find("Cranking Revs:"), std::string::npos);
    EXPECT_EQ(pdfPageText(pdf, 3), "");
}

TEST(PrintCli, AFolderThatCannotTakeTheReportGetsNoFile) {
    TempDir dir;
    kv::test::writeAll(dir.file("t.tbl"), tableFileText(kv::test::curves(20, 10), {}, "RACE"));
    std::filesystem::create_directory(dir.file("ro"));
    ::chmod(dir.file("ro").c_str(), 0555);
    struct Case {
        std::string out;
        bool ordinaryUser;
        std::string message;
    };
    const Case cases[] = {
        {dir.file("missing/r.pdf"), false, "No such file or directory"},
        {dir.file("ro/r.pdf"), true, "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        EXPECT_EQ(
            runCli({"print", dir.file("t.tbl"), "-o", c.out}, dir.file("err"), c.ordinaryUser), 1);
        EXPECT_NE(readAll(dir.file("err")).find("Cannot write " + c.out + ": " + c.message),
                  std::string::npos)
            << readAll(dir.file("err"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("ro")));
}
