// SPDX-License-Identifier: GPL-3.0-or-later
// Every writer of the programs against one table of hazards, run as the built companion:
// the table save (new -o, the save of Save Table), the report (print -o, the save of Print
// to File) and the downloaded table (download -o). Permissions mean nothing to root, so a
// suite running as root runs the writers as nobody, except where root is the point.
#include "files/table_file.h"
#include "link/sim_process.h"
#include "support/test_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <vector>

namespace kv::test {
namespace {
namespace fs = std::filesystem;

enum class Hazard { None, Others, Sticky, Closed, Link, Loop, Long, Fsize, Kill, KillRename, Root };

// What the case is; the hazard; what is at the target, its type and mode (0 for nothing);
// whether the save is to succeed.
const std::tuple<const char*, Hazard, mode_t, bool> kCases[] = {
    {"read-only file", Hazard::None, S_IFREG | 0444, false},
    {"another user's file", Hazard::Others, S_IFREG | 0644, false},
    {"another user's writable file in a sticky folder: in place", Hazard::Sticky, S_IFREG | 0666,
     true},
    {"writable file in a closed folder: written in place", Hazard::Closed, S_IFREG | 0644, true},
    {"new file in a closed folder", Hazard::Closed, 0, false},
    {"FIFO", Hazard::None, S_IFIFO | 0666, false},
    {"device, as root", Hazard::Root, S_IFCHR | 0666, false},
    {"socket", Hazard::None, S_IFSOCK | 0666, false},
    {"folder", Hazard::None, S_IFDIR | 0755, false},
    {"dangling link: its target made", Hazard::Link, 0, true},
    {"link: its target replaced, mode kept", Hazard::Link, S_IFREG | 0640, true},
    {"looping links", Hazard::Loop, 0, false},
    {"255-character name", Hazard::Long, 0, true},
    {"file size limit", Hazard::Fsize, S_IFREG | 0644, false},
    {"killed after writing", Hazard::Kill, S_IFREG | 0644, false},
    {"killed before the rename", Hazard::KillRename, S_IFREG | 0644, false},
    {"root over a user's 0600 file: owner and mode kept", Hazard::Root, S_IFREG | 0600, true},
};

// From here on, this process and what it runs are killed the moment they make one of the
// system `calls`: a kill at an exact point of a save. (A filter, not a tracer: the suite
// may itself run traced.)
void killAt(std::initializer_list<long> calls) {
    std::vector<sock_filter> f{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (const long call : calls)
        f.insert(f.end(),
                 {BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), 0, 1),
                  BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS)});
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(f.size()), f.data()};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
        ADD_FAILURE() << "no seccomp filter";
}

// Longer than anything a writer writes: a save in place that kept the old tail shows.
const std::string kOldText = "old" + std::string(1 << 16, '.');

// Runs every case, each in a folder of its own, for the writer the companion runs with
// `args` before "-o TARGET"; what it writes begins with `starts`.
void runHazards(const std::string& args, const std::string& starts) {
    const bool root = ::geteuid() == 0;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const passwd* pw = root ? ::getpwnam("nobody") : ::getpwuid(::geteuid());
    ASSERT_TRUE(pw);
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777); // for err
    const std::string err = dir.file("err");
    int n = 0;
    for (const auto& [what, h, old, saved] : kCases) {
        using H = Hazard;
        if (!root && (h == H::Root || h == H::Others || h == H::Sticky)) continue;
        SCOPED_TRACE(what);
        const fs::path folder = dir.path() / std::to_string(n++);
        fs::create_directory(folder);
        fs::path target = folder / "t.tbl", given = target;
        if (h == H::Long) target = given = folder / std::string(255, 'n');
        if (h == H::Link) fs::create_symlink("t.tbl", given = folder / "link");
        if (h == H::Loop) fs::create_symlink("loop", target = given = folder / "link");
        if (h == H::Loop) fs::create_symlink("link", folder / "loop");
        if (S_ISDIR(old)) fs::create_directory(target);
        if (old && !S_ISDIR(old)) ::mknod(target.c_str(), old, ::makedev(1, 3));
        if (S_ISREG(old)) writeAll(target, kOldText);
        // The user's own, but for the other user's file: refused for what they are.
        const auto give = [&] {
            for (const auto& e : fs::recursive_directory_iterator(folder))
                ::lchown(e.path().c_str(), h == H::Others || h == H::Sticky ? 0 : pw->pw_uid,
                         pw->pw_gid);
            ::lchown(folder.c_str(), h == H::Sticky ? 0 : pw->pw_uid, pw->pw_gid);
        };
        give();
        if (old) ::chmod(target.c_str(), old & 07777);
        if (h == H::Closed) ::chmod(folder.c_str(), 0555);
        if (h == H::Sticky) ::chmod(folder.c_str(), 01777);
        struct stat before {};
        const bool existed = ::lstat(target.c_str(), &before) == 0;

        const std::string cli = "'" KV_BIN_DIR "/kestrel-vanta-cli' " + args + " -o '" +
                                given.string() + "' >/dev/null 2>'" + err + "'";
        const auto write = [&] {
            fs::remove(err);
            const rlimit small{256, 256};
            if (h == H::Fsize) ::setrlimit(RLIMIT_FSIZE, &small);
            if (h == H::Kill) killAt({SYS_fsync});
            if (h == H::KillRename) killAt({SYS_rename, SYS_renameat, SYS_renameat2});
            const int raw = std::system(cli.c_str());
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        };
        const int status = h == H::Root ? write() : asOrdinaryUser(write);
        const bool killed = h == H::Kill || h == H::KillRename;
        const std::string said = readAll(err);
        EXPECT_TRUE(killed ? status > 128 : status == (saved ? 0 : 1)) << status << said;
        EXPECT_EQ(said.find("Error saving " + given.string()) != std::string::npos,
                  !saved && !killed);
        struct stat now {};
        EXPECT_EQ(::lstat(target.c_str(), &now) == 0, existed || saved);
        if (saved || S_ISREG(before.st_mode)) { // a FIFO is not to be read
            const std::string text = readAll(target);
            EXPECT_TRUE(saved ? text.rfind(starts, 0) == 0 && text.size() < kOldText.size()
                              : text == kOldText);
        }
        // Mode and owner kept, a new file's as the umask gives them; a new file renamed over
        // the old one, unless written in place.
        const struct stat& kept = existed ? before : now;
        EXPECT_EQ(std::tie(now.st_mode, now.st_uid, now.st_gid),
                  std::tie(kept.st_mode, kept.st_uid, kept.st_gid));
        EXPECT_TRUE(existed || !saved || (now.st_mode & 07777) == (0666 & ~mask)) << now.st_mode;
        EXPECT_EQ(existed && now.st_ino != before.st_ino,
                  existed && saved && h != H::Closed && h != H::Sticky);
        EXPECT_TRUE(given == target || fs::is_symlink(given));

        // A kill before the rename leaves the named new file; the next save clears it, and
        // what an older version left, but not a name that only looks alike.
        ::chmod(folder.c_str(), 0755);
        if (h == H::KillRename) {
            writeAll((folder / ".t.tbl.kv999999999-7").string(), "left"); // no such process
            writeAll((folder / ".t.tbl.kvnotes").string(), "notes");
            give();
            EXPECT_EQ(asOrdinaryUser([&] { return std::system(cli.c_str()); }), 0);
            EXPECT_EQ(readAll(target).substr(0, starts.size()), starts);
            fs::remove(folder / ".t.tbl.kvnotes");
        }
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(e.path().filename().string().find(".kv"), std::string::npos) << e.path();
    }
}

} // namespace

TEST(SaveHazards, TableSave) {
    runHazards("new --type EX --slope 4", "KVCURVES 1");
}

TEST(SaveHazards, Report) {
    TempDir dir;
    writeAll(dir.file("in.tbl"), tableFileText(curves(20, 10), {}, "RACE"));
    ::chmod(dir.path().c_str(), 0755);
    runHazards("print '" + dir.file("in.tbl") + "'", "%PDF");
}

TEST(SaveHazards, Download) {
    SimProcess sim({"--no-pace"});
    ASSERT_TRUE(sim.started());
    ::chmod(sim.device().c_str(), 0666); // for nobody
    runHazards("download --port " + sim.device(), "KVCURVES 1");
}

} // namespace kv::test
