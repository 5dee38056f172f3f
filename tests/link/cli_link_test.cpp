// SPDX-License-Identifier: GPL-3.0-or-later
// The companion's link subcommands, run as a user would run them.
#include "sim_process.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

struct CliRun {
    int status;
    QString out;
    QString err;
};

CliRun cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KV_BIN_DIR "/kestrel-vanta-cli"), args);
    p.waitForFinished(10000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(CliLink, IdentifiesTheModuleOnAPath) {
    SimProcess sim({"--id", "V1005T-EX \"2\"", "--no-pace"});
    ASSERT_TRUE(sim.started());
    const QString dev = QString::fromStdString(sim.device());
    EXPECT_EQ(cli({"id", "--port", dev, "--json"}).out,
              R"({"FirmwareID": "V1005T-EX \"2\"", "type": "TEX"})");
    const CliRun plain = cli({"id", "--port", dev});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "FirmwareID: V1005T-EX \"2\"\nType: TEX");
}

TEST(CliLink, IdFailuresAndBadUsage) {
    const CliRun missing = cli({"id", "--port", "/dev/kv-no-such-port"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("does not exist")) << missing.err.toStdString();
    EXPECT_EQ(cli({"id"}).status, 2);
    EXPECT_EQ(cli({"id", "--port", "printer"}).status, 2);
}

TEST(CliLink, DownloadIntoAMissingFolderFails) {
    SimProcess sim({"--no-pace"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("no/such/folder/t.tbl"));
    const CliRun r =
        cli({"download", "--port", QString::fromStdString(sim.device()), "-o", target});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Error saving")) << r.err.toStdString();
}

TEST(CliLink, DecodesAnImage) {
    // Advance bytes 57 and 1, then 28, offset 56, retard 200, cranking 7, 20, flags, 58.
    const QString hex = QString("39").repeated(16) + QString("01").repeated(16) + "1c38c80714393a";
    const CliRun r = cli({"decode", hex, "--json"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(R"({"type": "RACE", "params": {"RearOffset": 5, "RetardVal": 10, )"
                                 R"("CrankRevs": 3, "RPMLimit": 5800, "FixedLimFlag": true, )"
                                 R"("SelEEPROMTblFlag": true, "RetardEnableFlag": true, )"
                                 R"("KickStartFlag": true}, "WOT": [10, 10,)"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(R"("Low": [0.2, 0.2,)"));
    EXPECT_EQ(cli({"decode", hex.left(76)}).status, 2);
    EXPECT_EQ(cli({"decode", hex.left(76) + "zz"}).status, 2);
}

TEST(CliLink, ImageOfATableFileCarriesTheModuleBytes) {
    QTemporaryDir dir;
    const QString file = dir.filePath("t.tbl");
    ASSERT_EQ(cli({"new", "--type", "RACE", "--slope", "3", "-o", file}).status, 0);
    const CliRun plain = cli({"image", file});
    ASSERT_EQ(plain.status, 0);
    ASSERT_EQ(plain.out.size(), 78);
    EXPECT_EQ(plain.out.mid(64, 2), "1c");
    EXPECT_EQ(plain.out.mid(72, 2), "00");
    const CliRun carried = cli({"image", file, "--module", "36=60,37=255"});
    EXPECT_EQ(carried.out.mid(72, 4), "1cce");
    EXPECT_EQ(carried.out.left(72), plain.out.left(72));
    // What decode gives back is what the table holds, to the image's resolution.
    const CliRun back = cli({"decode", plain.out, "--json"});
    EXPECT_EQ(back.status, 0);
    EXPECT_EQ(cli({"image", file, "--module", "36=256"}).status, 2);
    EXPECT_EQ(cli({"image", dir.filePath("none.tbl")}).status, 1);
}

} // namespace
} // namespace kv::test
