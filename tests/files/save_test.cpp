// SPDX-License-Identifier: GPL-3.0-or-later
// Saves against the file system as a user meets it: the companion's write command run as
// an ordinary user (a suite running as root drops to "nobody" for it), and writers killed
// at random moments.
#include "files/file_save.h"
#include "support/test_files.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <random>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using kv::test::readAll;
using kv::test::TempDir;
using kv::test::writeAll;
namespace fs = std::filesystem;

namespace {

const bool kRoot = ::geteuid() == 0;

struct stat statOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st;
}

enum class Kind { File, Link, Fifo, Socket, Folder, Device, None };

// Makes the target `kind` as t.tbl in `folder`; the path to save to.
fs::path make(Kind kind, const fs::path& folder, mode_t mode, uid_t uid, gid_t gid) {
    const fs::path t = folder / "t.tbl";
    switch (kind) {
    case Kind::File:
    case Kind::Link:
        writeAll(t, "old");
        EXPECT_EQ(::chown(t.c_str(), uid, gid), 0);
        ::chmod(t.c_str(), mode);
        if (kind == Kind::File) return t;
        fs::create_symlink("t.tbl", folder / "link.tbl");
        return folder / "link.tbl";
    case Kind::Fifo:
        ::mkfifo(t.c_str(), 0666);
        return t;
    case Kind::Socket: {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        t.string().copy(a.sun_path, sizeof a.sun_path - 1);
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ::close(s);
        return t;
    }
    case Kind::Folder:
        fs::create_directory(t);
        return t;
    case Kind::Device: // the number of /dev/full
        EXPECT_EQ(::mknod(t.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
        return t;
    case Kind::None:
        break;
    }
    return folder / std::string(static_cast<std::size_t>(mode), 'n');
}

const std::string kDocument =
    R"({"type": "EX", "params": {"RearOffset": -3, "RetardVal": 2, "CrankRevs": 3, )"
    R"("RPMLimit": 6100, "FixedLimFlag": true, "SelEEPROMTblFlag": false, )"
    R"("RetardEnableFlag": true, "KickStartFlag": false}, )"
    R"("WOT": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16], )"
    R"("Low": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16.25]})";

} // namespace

TEST(Save, RespectsTheFileSystem) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    writeAll(dir.file("in.json"), kDocument);
    const passwd* pw = kRoot ? ::getpwnam("nobody") : ::getpwuid(::geteuid());
    ASSERT_TRUE(pw);
    const uid_t user = pw->pw_uid;
    const gid_t group = pw->pw_gid;
    const auto write = [&](bool asUser, const fs::path& out) {
        std::string cmd = asUser && kRoot
                              ? "setpriv --reuid=" + std::to_string(user) +
                                    " --regid=" + std::to_string(group) + " --clear-groups "
                              : "";
        cmd += "'" KV_BIN_DIR "/kestrel-vanta-cli' write '" + dir.file("in.json") + "' -o '" +
               out.string() + "' 2>'" + dir.file("err") + "'";
        const int raw = std::system(cmd.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    ASSERT_EQ(write(false, dir.file("ref.tbl")), 0);
    const std::string table = readAll(dir.file("ref.tbl"));

    struct Case {
        const char* what;
        Kind kind;
        mode_t mode; // of the file; for Kind::None the length of the name
        bool usersFile;
        mode_t folderMode;
        bool asUser;   // an ordinary user saves, not the suite's user
        bool rootOnly; // another user's file, a device node, a change of owner
        bool saved;
    };
    const Case cases[] = {
        {"read-only file", Kind::File, 0444, true, 0777, true, false, false},
        {"another user's file", Kind::File, 0644, false, 0777, true, true, false},
        {"writable file in a closed folder", Kind::File, 0644, true, 0555, true, false, true},
        {"new file in a closed folder", Kind::None, 20, true, 0555, true, false, false},
        {"FIFO", Kind::Fifo, 0, true, 0777, true, false, false},
        {"socket", Kind::Socket, 0, true, 0777, true, false, false},
        {"folder", Kind::Folder, 0, true, 0777, true, false, false},
        {"device node, as root", Kind::Device, 0, true, 0755, false, true, false},
        {"link, mode kept", Kind::Link, 0640, true, 0777, true, false, true},
        {"250-byte name", Kind::None, 250, true, 0777, true, false, true},
        {"255-byte name", Kind::None, 255, true, 0777, true, false, true},
        {"owner, group and mode kept by root", Kind::File, 0604, true, 0755, false, true, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        if (c.rootOnly && !kRoot) continue;
        SCOPED_TRACE(c.what);
        const fs::path folder = dir.path() / std::to_string(n++);
        fs::create_directory(folder);
        const fs::path given = make(c.kind, folder, c.mode, c.usersFile ? user : 0, group);
        const fs::path target = c.kind == Kind::Link ? folder / "t.tbl" : given;
        ::chmod(folder.c_str(), c.folderMode);
        const struct stat before = statOf(target);
        const std::string old = c.kind == Kind::File || c.kind == Kind::Link ? "old" : "";

        const int status = write(c.asUser, given);
        const struct stat now = statOf(target);
        if (c.saved) {
            EXPECT_EQ(status, 0) << readAll(dir.file("err"));
            EXPECT_EQ(readAll(target), table);
        } else {
            EXPECT_EQ(status, 1);
            EXPECT_EQ(readAll(dir.file("err")), "Error saving " + given.string() + "\n");
            EXPECT_EQ(now.st_ino, before.st_ino);
            EXPECT_TRUE(old.empty() || readAll(target) == old);
        }
        if (c.kind != Kind::None) {
            EXPECT_EQ(now.st_mode, before.st_mode);
            EXPECT_EQ(now.st_uid, before.st_uid);
            EXPECT_EQ(now.st_gid, before.st_gid);
        }
        EXPECT_TRUE(c.folderMode != 0555 || now.st_ino == before.st_ino); // written in place
        EXPECT_TRUE(c.kind != Kind::Link || fs::is_symlink(given));
        ::chmod(folder.c_str(), 0755);
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(e.path().filename().string().rfind(".kv", 0), std::string::npos) << e.path();
    }
}

// Writers killed at any moment leave the old file or the new one, whole; the temporary a
// kill between naming and renaming may leave is gone after the next save there.
TEST(Save, KilledWritersLeaveAWholeFileAndNoTemporaries) {
    TempDir dir;
    const std::string target = dir.file("t.tbl");
    const std::string a(48 << 10, 'a');
    const std::string b(40 << 10, 'b');
    writeAll(target, a);
    std::mt19937 rng(10);
    std::uniform_int_distribution<int> delay(0, 3000);
    int leftovers = 0;
    for (int round = 0; round < 300; ++round) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0;; ++i)
                if (!kv::writeFileAtomically(target, i % 2 ? a : b)) ::_exit(1);
        }
        ::usleep(static_cast<useconds_t>(delay(rng)));
        ::kill(pid, SIGKILL);
        int raw = 0;
        ::waitpid(pid, &raw, 0);
        ASSERT_TRUE(WIFSIGNALED(raw)) << "the writer failed in round " << round;
        const std::string now = readAll(target);
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
        leftovers += static_cast<int>(std::distance(fs::directory_iterator(dir.path()), {})) - 1;
    }
    // What an earlier version left goes too; a name that only looks alike stays.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    writeAll(dir.file(".t.tbl.kv" + std::to_string(gone) + "-7"), "stale");
    writeAll(dir.file(".t.tbl.kvnotes"), "mine");
    ASSERT_TRUE(kv::writeFileAtomically(target, a));
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{".t.tbl.kvnotes", "t.tbl"}));
    RecordProperty("temporaries left by a kill until the next save", leftovers);
}
