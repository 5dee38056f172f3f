// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"
#include "table/table16x2.h"

#include <filesystem>
#include <functional>
#include <string>

namespace kv::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::string file(const std::string& name) const {
        return (m_path / name).string();
    }
    // Copies companion files from the source data folder into this folder: those named,
    // or all of them.
    void copyData(std::initializer_list<const char*> names) const;
    void copyAllData() const { copyData({}); }

private:
    std::filesystem::path m_path;
};

// Runs `body` in a forked child as an ordinary user (nobody, when the tests run as root,
// since root ignores permissions) and returns the child's exit status: body's result,
// or 1 when a check failed in the child. `dir`, when given, is opened to that user.
// POSIX only: Windows has no such users and no fork.
[[nodiscard]] int asOrdinaryUser(const std::function<int()>& body, const TempDir* dir = nullptr);

[[nodiscard]] std::string readAll(const std::string& path);
void writeAll(const std::string& path, const std::string& bytes);

// Curves rising by `step` a point: WOT from wot + step, Low from low + step.
[[nodiscard]] Table16x2 curves(double wot, double low, double step = 1);

// `t` changed at the first, the eighth and the last point of each curve, each by an amount
// of its own, so that a loop stopping short or starting late misses one of them.
[[nodiscard]] Table16x2 changedAtEnds(Table16x2 t);

// Module parameters each away from its default and unlike the others. The flags
// (FixedLim, SelEEPROMTbl, RetardEnable, KickStart) are True, False, True, False in the
// one and False, False, True, True in the other: any two flags differ in one of them.
inline constexpr ModuleParameters kParams{-3, 7, 3, 6200, true, false, true, false};
inline constexpr ModuleParameters kOtherParams{4, 2, 1, 8100, false, false, true, true};

} // namespace kv::test
