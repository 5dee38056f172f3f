// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#if !defined(_WIN32)
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kv::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    // Apart from other test processes: the clock, as random_device may repeat itself.
    static const auto run =
        std::random_device{}() ^
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    m_path = std::filesystem::temp_directory_path() /
             ("kv-test-" + std::to_string(run) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders made read-only by a test are given back their rights first.
    for (std::filesystem::recursive_directory_iterator it(m_path, ec), end; !ec && it != end;
         it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

#if !defined(_WIN32)
int asOrdinaryUser(const std::function<int()>& body, const TempDir* dir) {
    const bool root = ::geteuid() == 0;
    const passwd* nobody = root ? ::getpwnam("nobody") : nullptr;
    if (root && !nobody) {
        ADD_FAILURE() << "no user nobody to run as";
        return -1;
    }
    if (root && dir) {
        std::error_code ec;
        // Owned by that user, the folder's permissions apply to it as the test set them.
        const auto give = [&](const std::filesystem::path& p) {
            if (::lchown(p.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
                ADD_FAILURE() << "chown " << p;
        };
        give(dir->path());
        for (auto& e : std::filesystem::recursive_directory_iterator(dir->path(), ec))
            give(e.path());
    }
    std::fflush(nullptr);
    // A failure the test had before is not the child's.
    const bool failedBefore = ::testing::Test::HasFailure();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return -1;
    }
    if (pid == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                     ::setuid(nobody->pw_uid) != 0))
            ::_exit(126);
        int result = 1;
        try {
            result = body();
        } catch (...) {
            ADD_FAILURE() << "exception in the child";
        }
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() && !failedBefore ? 1 : result);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

void TempDir::copyData(std::initializer_list<const char*> names) const {
    for (auto& e : std::filesystem::directory_iterator(KV_DATA_DIR))
        if (e.is_regular_file() && (names.size() == 0 || std::count(names.begin(), names.end(),
                                                                    e.path().filename().string())))
            std::filesystem::copy_file(e.path(), m_path / e.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

Table16x2 curves(double wot, double low, double step) {
    Table16x2 t;
    for (int p = 1; p <= kPoints; ++p) {
        t(p, kWot) = wot + step * p;
        t(p, kLow) = low + step * p;
    }
    return t;
}

Table16x2 changedAtEnds(Table16x2 t) {
    double by = 1.5;
    for (int curve : {kWot, kLow})
        for (int p : {1, 8, kPoints})
            t(p, curve) += by++;
    return t;
}

} // namespace kv::test
