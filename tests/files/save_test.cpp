// SPDX-License-Identifier: GPL-3.0-or-later
// Saves against the file system as a user meets it: the companion's write command run as
// an ordinary user (a suite running as root drops to "nobody" for it), and writers killed
// at random moments.
#include "files/file_save.h"
#include "support/test_files.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
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

// Who "an ordinary user" is: nobody when the suite runs as root, else the suite's user.
const passwd& ordinaryUser() {
    static const passwd user = [] {
        const passwd* pw = kRoot ? ::getpwnam("nobody") : ::getpwuid(::geteuid());
        if (!pw) throw std::runtime_error("no ordinary user to test with");
        return *pw;
    }();
    return user;
}

struct Outcome {
    int status = -1;
    std::string err;
};

// The companion's write command, as an ordinary user or as the suite's own user.
Outcome write(bool asUser, const std::string& json, const std::string& out) {
    int err[2];
    if (::pipe(err) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(err[1], 2);
        ::close(err[0]);
        if (asUser && kRoot &&
            (::setgroups(0, nullptr) != 0 || ::setgid(ordinaryUser().pw_gid) != 0 ||
             ::setuid(ordinaryUser().pw_uid) != 0))
            ::_exit(99);
        const std::string cli = std::string(KV_BIN_DIR) + "/kestrel-vanta-cli";
        ::execl(cli.c_str(), cli.c_str(), "write", json.c_str(), "-o", out.c_str(), nullptr);
        ::_exit(98);
    }
    ::close(err[1]);
    Outcome r;
    char buf[512];
    for (ssize_t n; (n = ::read(err[0], buf, sizeof buf)) > 0;)
        r.err.append(buf, static_cast<std::size_t>(n));
    ::close(err[0]);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

void own(const fs::path& p, uid_t uid, gid_t gid, mode_t mode) {
    ASSERT_EQ(::lchown(p.c_str(), uid, gid), 0) << p;
    if (!fs::is_symlink(p)) {
        ASSERT_EQ(::chmod(p.c_str(), mode), 0) << p;
    }
}

struct stat statOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st;
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
    const std::string json = dir.file("in.json");
    writeAll(json, kDocument);
    ::chmod(json.c_str(), 0644);
    ASSERT_EQ(write(false, json, dir.file("ref.tbl")).status, 0);
    const std::string table = readAll(dir.file("ref.tbl"));
    const uid_t user = ordinaryUser().pw_uid;
    const gid_t group = ordinaryUser().pw_gid;

    struct Case {
        const char* what;
        bool asUser;   // run as the ordinary user rather than the suite's own
        bool rootOnly; // needs another user's file, a device node or a change of owner
        mode_t folderMode;
        // Makes the target in `f` and gives the path to save to.
        std::function<fs::path(const fs::path& f)> make;
        bool saved;
        // What must hold afterwards, given the target's state before.
        std::function<void(const fs::path& target, const struct stat& before)> check = {};
    };
    const auto file = [&](mode_t mode, uid_t uid) {
        return [=](const fs::path& f) {
            writeAll(f / "t.tbl", "old");
            own(f / "t.tbl", uid, group, mode);
            return f / "t.tbl";
        };
    };
    const auto sameFile = [](const fs::path& t, const struct stat& before) {
        const struct stat now = statOf(t);
        EXPECT_EQ(now.st_ino, before.st_ino);
        EXPECT_EQ(now.st_mode, before.st_mode);
        EXPECT_EQ(now.st_uid, before.st_uid);
    };
    const Case cases[] = {
        {"read-only file", true, false, 0777, file(0444, user), false},
        {"another user's file", true, true, 0777, file(0644, 0), false},
        {"writable file in a closed folder", true, false, 0555, file(0644, user), true, sameFile},
        {"FIFO", true, false, 0777,
         [](const fs::path& f) {
             ::mkfifo((f / "t.tbl").c_str(), 0666);
             return f / "t.tbl";
         },
         false},
        {"socket", true, false, 0777,
         [](const fs::path& f) {
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             (f / "t.tbl").string().copy(a.sun_path, sizeof a.sun_path - 1);
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
             ::close(s);
             return f / "t.tbl";
         },
         false},
        {"folder", true, false, 0777,
         [](const fs::path& f) {
             fs::create_directory(f / "t.tbl");
             return f / "t.tbl";
         },
         false},
        {"device node, as root", false, true, 0755,
         [](const fs::path& f) {
             ::mknod((f / "t.tbl").c_str(), S_IFCHR | 0666, makedev(1, 7));
             return f / "t.tbl";
         },
         false},
        {"link", true, false, 0777,
         [&](const fs::path& f) {
             file(0640, user)(f);
             fs::create_symlink("t.tbl", f / "link.tbl");
             return f / "link.tbl";
         },
         true,
         [](const fs::path& t, const struct stat& before) {
             EXPECT_TRUE(fs::is_symlink(t.parent_path() / "link.tbl"));
             EXPECT_EQ(statOf(t).st_mode, before.st_mode);
         }},
        {"250-byte name", true, false, 0777,
         [](const fs::path& f) { return f / std::string(250, 'n'); }, true},
        {"255-byte name", true, false, 0777,
         [](const fs::path& f) { return f / std::string(255, 'n'); }, true},
        {"owner, group and mode kept", false, true, 0755, file(0604, user), true,
         [](const fs::path& t, const struct stat& before) {
             const struct stat now = statOf(t);
             EXPECT_EQ(now.st_uid, before.st_uid);
             EXPECT_EQ(now.st_gid, before.st_gid);
             EXPECT_EQ(now.st_mode, before.st_mode);
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        if (c.rootOnly && !kRoot) continue;
        SCOPED_TRACE(c.what);
        const fs::path folder = dir.path() / std::to_string(n++);
        fs::create_directory(folder);
        const fs::path given = c.make(folder);
        const fs::path target = fs::exists(fs::symlink_status(given)) && fs::is_symlink(given)
                                    ? folder / fs::read_symlink(given)
                                    : given;
        ::chmod(folder.c_str(), c.folderMode);
        const struct stat before = statOf(target);
        const std::string old = fs::is_regular_file(target) ? readAll(target) : "";

        const Outcome r = write(c.asUser, json, given.string());
        if (c.saved) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(readAll(target), table);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, "Error saving " + given.string() + "\n");
            const struct stat now = statOf(target);
            EXPECT_EQ(now.st_ino, before.st_ino);
            EXPECT_EQ(now.st_mode, before.st_mode);
            EXPECT_EQ(now.st_uid, before.st_uid);
            if (S_ISREG(before.st_mode)) {
                EXPECT_EQ(readAll(target), old);
            }
        }
        if (c.check) c.check(target, before);
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
    RecordProperty("temporaries left by a kill", leftovers);
}
