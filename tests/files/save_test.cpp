// SPDX-License-Identifier: GPL-3.0-or-later
// Every writer of the programs against one table of hazards, run as the built companion:
// the table save (new -o, the save of Save Table), the report (print -o, the save of Print
// to File) and the downloaded table (download -o). Permissions mean nothing to root, so a
// suite running as root runs the writers as nobody, except where root is the point.
#include "files/table_file.h"
#include "link/sim_process.h"
#include "support/test_files.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <vector>

namespace kv::test {
namespace {
namespace fs = std::filesystem;

enum class Hazard {
    ReadOnly,
    OthersFile,
    ClosedFolder,
    NewInClosedFolder,
    Fifo,
    Device,
    Socket,
    Folder,
    Dangling,
    Link,
    Loop,
    LongName,
    SizeLimit,
    KilledWriting,
    KilledRenaming,
    RootOverUsersFile,
};

const struct Case {
    const char* what;
    Hazard hazard;
    bool saved;
} kCases[] = {
    {"read-only file", Hazard::ReadOnly, false},
    {"another user's file", Hazard::OthersFile, false},
    {"writable file in a closed folder: written in place", Hazard::ClosedFolder, true},
    {"new file in a closed folder", Hazard::NewInClosedFolder, false},
    {"FIFO", Hazard::Fifo, false},
    {"device, as root", Hazard::Device, false},
    {"socket", Hazard::Socket, false},
    {"folder", Hazard::Folder, false},
    {"dangling link: its target made", Hazard::Dangling, true},
    {"link: its target replaced, mode kept", Hazard::Link, true},
    {"looping links", Hazard::Loop, false},
    {"255-character name", Hazard::LongName, true},
    {"file size limit", Hazard::SizeLimit, false},
    {"killed after writing", Hazard::KilledWriting, false},
    {"killed before the rename", Hazard::KilledRenaming, false},
    {"root over a user's 0600 file: owner and mode kept", Hazard::RootOverUsersFile, true},
};

struct Writer {
    std::string args;   // the companion's arguments before "-o TARGET"
    std::string starts; // what a written file begins with
};

// From here on, this process and what it runs are killed the moment they make one of the
// system `calls`: a kill at an exact point of a save. (A filter, not a tracer: the suite
// may itself run traced.)
void killAt(std::initializer_list<long> calls) {
    std::vector<sock_filter> f{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (const long call : calls) {
        f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), 0, 1));
        f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
    }
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(f.size()), f.data()};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
        ADD_FAILURE() << "no seccomp filter";
}

// Runs every case for `writer`, each in a folder of its own.
void runHazards(const Writer& writer) {
    const bool root = ::geteuid() == 0;
    const passwd* pw = root ? ::getpwnam("nobody") : ::getpwuid(::geteuid());
    ASSERT_TRUE(pw);
    const uid_t user = pw->pw_uid;
    const gid_t group = pw->pw_gid;
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string err = dir.file("err");
    int n = 0;
    for (const Case& c : kCases) {
        const bool asRoot = c.hazard == Hazard::Device || c.hazard == Hazard::RootOverUsersFile;
        if (!root && (asRoot || c.hazard == Hazard::OthersFile)) continue;
        SCOPED_TRACE(c.what);
        const fs::path folder = dir.path() / std::to_string(n++);
        fs::create_directory(folder);
        ASSERT_EQ(::chown(folder.c_str(), user, group), 0);
        fs::path target = folder / "t.tbl", given = target;
        const auto file = [&](mode_t mode, uid_t owner) {
            writeAll(target, "old");
            ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
            ::chmod(target.c_str(), mode);
        };
        switch (c.hazard) {
        case Hazard::ReadOnly:
            file(0444, user);
            break;
        case Hazard::OthersFile:
            file(0644, 0);
            break;
        case Hazard::ClosedFolder:
            file(0644, user);
            break;
        case Hazard::NewInClosedFolder:
            break;
        case Hazard::Fifo:
            ::mkfifo(target.c_str(), 0666);
            break;
        case Hazard::Device:
            ::mknod(target.c_str(), S_IFCHR | 0666, ::makedev(1, 3));
            break;
        case Hazard::Socket: {
            const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un a{};
            a.sun_family = AF_UNIX;
            target.string().copy(a.sun_path, sizeof a.sun_path - 1);
            ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
            ::close(s);
            break;
        }
        case Hazard::Folder:
            fs::create_directory(target);
            break;
        case Hazard::Dangling:
            fs::create_symlink("t.tbl", given = folder / "link");
            break;
        case Hazard::Link:
            file(0640, user);
            fs::create_symlink("t.tbl", given = folder / "link");
            break;
        case Hazard::Loop:
            fs::create_symlink("loop", target = given = folder / "link");
            fs::create_symlink("link", folder / "loop");
            break;
        case Hazard::LongName:
            target = given = folder / std::string(255, 'n');
            break;
        default:
            file(c.hazard == Hazard::RootOverUsersFile ? 0600 : 0644, user);
        }
        if (c.hazard == Hazard::ClosedFolder || c.hazard == Hazard::NewInClosedFolder)
            ::chmod(folder.c_str(), 0555);
        // The user's own, but for the other user's file: refused for what they are.
        for (const auto& e : fs::directory_iterator(folder))
            if (c.hazard != Hazard::OthersFile) ::lchown(e.path().c_str(), user, group);
        struct stat before {};
        const bool existed = ::lstat(target.c_str(), &before) == 0;

        const std::string cli = "'" KV_BIN_DIR "/kestrel-vanta-cli' " + writer.args + " -o '" +
                                given.string() + "' >/dev/null 2>'" + err + "'";
        const auto run = [&](const std::string& prefix) {
            const int raw = std::system((prefix + cli).c_str());
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        };
        const auto write = [&](bool asUser, const std::function<int()>& body) {
            fs::remove(err);
            ::chmod(dir.path().c_str(), 0777); // for err
            const int status = asUser ? asOrdinaryUser(body) : body();
            ::chmod(dir.path().c_str(), 0755);
            return status;
        };
        const int status = write(!asRoot, [&] {
            if (c.hazard == Hazard::SizeLimit) {
                const rlimit small{256, 256};
                ::setrlimit(RLIMIT_FSIZE, &small);
            }
            if (c.hazard == Hazard::KilledWriting) killAt({SYS_fsync});
            if (c.hazard == Hazard::KilledRenaming)
                killAt({SYS_rename, SYS_renameat, SYS_renameat2});
            return run("");
        });
        const bool killed = c.hazard == Hazard::KilledWriting || c.hazard == Hazard::KilledRenaming;
        if (killed) {
            EXPECT_GT(status, 128);
        } else {
            EXPECT_EQ(status, c.saved ? 0 : 1) << readAll(err);
            EXPECT_EQ(readAll(err).find("Error saving " + given.string()) != std::string::npos,
                      !c.saved)
                << readAll(err);
        }

        struct stat now {};
        const bool exists = ::lstat(target.c_str(), &now) == 0;
        if (c.saved) {
            EXPECT_EQ(readAll(target).substr(0, writer.starts.size()), writer.starts);
        } else if (S_ISREG(before.st_mode)) {
            EXPECT_EQ(readAll(target), "old");
        }
        if (existed) {
            EXPECT_TRUE(exists);
            EXPECT_EQ(std::tie(now.st_mode, now.st_uid, now.st_gid),
                      std::tie(before.st_mode, before.st_uid, before.st_gid));
            // A new file renamed over the old one, except when written in place.
            EXPECT_EQ(now.st_ino == before.st_ino, !c.saved || c.hazard == Hazard::ClosedFolder);
        } else {
            EXPECT_EQ(exists, c.saved);
        }
        EXPECT_TRUE(given == target || fs::is_symlink(given));

        // A kill before the rename leaves the named new file; the next save clears it, and
        // what an older version left, but not a name that only looks alike.
        ::chmod(folder.c_str(), 0755);
        if (c.hazard == Hazard::KilledRenaming) {
            const pid_t gone = ::fork();
            if (gone == 0) ::_exit(0);
            ::waitpid(gone, nullptr, 0);
            writeAll((folder / (".t.tbl.kv" + std::to_string(gone) + "-7")).string(), "left");
            writeAll((folder / ".t.tbl.kvnotes").string(), "notes");
            for (const auto& e : fs::directory_iterator(folder))
                ::lchown(e.path().c_str(), user, group);
            EXPECT_EQ(write(true, [&] { return run(""); }), 0);
            EXPECT_EQ(readAll(target).substr(0, writer.starts.size()), writer.starts);
            fs::remove(folder / ".t.tbl.kvnotes");
        }
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(e.path().filename().string().find(".kv"), std::string::npos) << e.path();
    }
}

} // namespace

TEST(SaveHazards, TableSave) {
    runHazards({"new --type EX --slope 4", "KVCURVES 1"});
}

TEST(SaveHazards, Report) {
    TempDir dir;
    writeAll(dir.file("in.tbl"), tableFileText(curves(20, 10), {}, "RACE"));
    ::chmod(dir.path().c_str(), 0755);
    runHazards({"print '" + dir.file("in.tbl") + "'", "%PDF"});
}

TEST(SaveHazards, Download) {
    SimProcess sim({"--no-pace"});
    ASSERT_TRUE(sim.started());
    ::chmod(sim.device().c_str(), 0666); // for nobody
    runHazards({"download --port " + sim.device(), "KVCURVES 1"});
}

} // namespace kv::test
