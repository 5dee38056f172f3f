// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_files.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kv::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("kv-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders made read-only by a test are given back their rights first.
    for (auto& e : std::filesystem::recursive_directory_iterator(m_path, ec))
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TempDir::copyData(std::initializer_list<const char*> names) const {
    for (const char* n : names)
        std::filesystem::copy_file(std::filesystem::path(KV_DATA_DIR) / n, m_path / n,
                                   std::filesystem::copy_options::overwrite_existing);
}

void TempDir::copyAllData() const {
    for (auto& e : std::filesystem::directory_iterator(KV_DATA_DIR))
        if (e.is_regular_file())
            std::filesystem::copy_file(e.path(), m_path / e.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool asOrdinaryUser(const std::function<bool()>& check) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

Table16x2 curves(double wot, double low, double step) {
    Table16x2 t;
    for (int p = 1; p <= kPoints; ++p) {
        t(p, kWot) = wot + step * p;
        t(p, kLow) = low + step * p;
    }
    return t;
}

} // namespace kv::test
