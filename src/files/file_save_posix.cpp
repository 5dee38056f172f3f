// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_save.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {
namespace {

constexpr std::string_view kTempPrefix = ".kv-save-";

// Closes its descriptor however the save ends.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool ok() const { return m_fd >= 0; }
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void reset(int fd = -1) {
        close();
        m_fd = fd;
    }

private:
    int m_fd;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file a path names: a symbolic link is followed, link after link, to the file it
// points to, which need not exist yet. Empty for a loop of links or a link that cannot
// be read.
std::filesystem::path resolved(const std::string& path) {
    std::filesystem::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string to(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size()) return {};
        to.resize(static_cast<std::size_t>(n));
        p = p.parent_path() / std::filesystem::path(to); // an absolute target replaces it all
    }
    return {};
}

// The process id in a temporary's name: ".kv-save-<pid>-<n>", or ".<leaf>.kv<pid>-<n>" as
// earlier versions named theirs; 0 for any other name.
long temporaryOwner(std::string_view name, const std::string& leaf) {
    std::string_view rest;
    const std::string older = "." + leaf + ".kv";
    if (name.substr(0, kTempPrefix.size()) == kTempPrefix)
        rest = name.substr(kTempPrefix.size());
    else if (name.substr(0, older.size()) == older)
        rest = name.substr(older.size());
    else
        return 0;
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || rest.find_first_not_of("0123456789") != dash)
        return 0;
    return std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10);
}

// Removes temporaries that earlier saves into the folder left behind when they were killed
// before their rename: this user's, of processes that are gone.
void clearStaleTemporaries(int dirFd, const std::string& leaf) {
    const int scan = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scan < 0) return;
    DIR* dir = ::fdopendir(scan);
    if (!dir) {
        ::close(scan);
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        const long pid = temporaryOwner(e->d_name, leaf);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        ::unlinkat(dirFd, e->d_name, 0);
    }
    ::closedir(dir);
}

std::string tempName() {
    static std::atomic<unsigned> counter{0};
    return std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Gives the new file the old one's mode, owner and group, each as far as allowed.
void copyAttributes(int fd, const struct stat* old) {
    if (!old) return;
    // The owner first: changing it clears set-id bits, which the mode then restores.
    if (::fchown(fd, old->st_uid, old->st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
    (void)::fchmod(fd, old->st_mode & 07777);
}

// Writes over the existing file itself: for a writable file in a folder the user may not
// write. The space is reserved before the old contents are touched.
bool writeInPlace(const std::filesystem::path& target, const struct stat& old,
                  std::string_view bytes) {
    Fd fd(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) return false;
    struct stat now {};
    if (::fstat(fd.get(), &now) != 0 || !S_ISREG(now.st_mode) || now.st_ino != old.st_ino ||
        now.st_dev != old.st_dev)
        return false;
    const auto size = static_cast<off_t>(bytes.size());
    if (size > now.st_size) {
        const int err = ::posix_fallocate(fd.get(), 0, size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) return false;
    }
    return ::lseek(fd.get(), 0, SEEK_SET) == 0 && writeAll(fd.get(), bytes) &&
           ::ftruncate(fd.get(), size) == 0 && ::fsync(fd.get()) == 0 && fd.close();
}

constexpr int kNoUnnamedFiles = -1;

// Writes `bytes` into a new file in the folder and renames it over `leaf`: an unnamed file
// (O_TMPFILE) linked in under a short name just before the rename, or a file with that
// short name from the start. 0 when done; else what stopped it, kNoUnnamedFiles when the
// file system or the system has no unnamed files to offer.
int replaceIn(int dirFd, const std::string& leaf, const struct stat* old, std::string_view bytes,
              bool unnamed) {
    std::string name;
    Fd fd;
    if (unnamed) {
        fd.reset(::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (!fd.ok())
            return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? kNoUnnamedFiles
                                                                             : errno;
    } else {
        for (int attempt = 0; attempt < 100 && !fd.ok(); ++attempt) {
            name = tempName();
            fd.reset(::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!fd.ok() && errno != EEXIST) return errno;
        }
        if (!fd.ok()) return EEXIST;
    }
    copyAttributes(fd.get(), old);
    int error = 0;
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) error = errno ? errno : EIO;
    if (!error && unnamed) {
        // The name comes only now; without /proc there is no way to give one.
        const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
        for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
            name = tempName();
            if (::linkat(AT_FDCWD, self.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                break;
            const int why = errno;
            name.clear();
            if (why != EEXIST) return why == ENOENT ? kNoUnnamedFiles : why;
        }
        if (name.empty()) error = EEXIST;
    }
    if (!fd.close() && !error) error = errno;
    if (!error && ::renameat(dirFd, name.c_str(), dirFd, leaf.c_str()) != 0) error = errno;
    if (error && !name.empty()) ::unlinkat(dirFd, name.c_str(), 0);
    return error;
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::filesystem::path target = resolved(path);
    if (target.empty()) return false;
    const std::string leaf = target.filename().string();
    if (leaf.empty() || leaf == "." || leaf == "..") return false;

    // Only a regular file is replaced, and only one the user may write.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists &&
        (!S_ISREG(old.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        return false;

    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) return false;
    clearStaleTemporaries(dir.get(), leaf);

    int error = replaceIn(dir.get(), leaf, exists ? &old : nullptr, bytes, true);
    if (error == kNoUnnamedFiles)
        error = replaceIn(dir.get(), leaf, exists ? &old : nullptr, bytes, false);
    if (error == 0) {
        ::fsync(dir.get());
        return true;
    }
    // No file can be made or renamed beside it (a closed folder, or a sticky one holding
    // another user's file): the file itself may still be written.
    return exists && (error == EACCES || error == EPERM) && writeInPlace(target, old, bytes);
}

} // namespace kv
