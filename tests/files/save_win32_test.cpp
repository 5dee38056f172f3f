// SPDX-License-Identifier: GPL-3.0-or-later
// The save on Windows, run under Wine here. Where Wine and Windows differ the cases follow
// Windows and say what Wine does instead.
#include "files/file_save.h"
#include "support/test_files.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <windows.h>

namespace kv {
namespace {

namespace fs = std::filesystem;
using test::readAll;
using test::TempDir;
using test::writeAll;

// The child of the kill case: saves two contents by turns until it is killed.
const bool kSavingForEver = [] {
    const char* path = std::getenv("KV_SAVE_FOR_EVER");
    if (!path) return false;
    for (char c = 'a';; c = c == 'a' ? 'b' : 'a')
        (void)writeFileAtomically(path, std::string(4 << 20, c));
}();

bool underWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

DWORD attributesOf(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

TEST(SaveWin32, SavesOnlyToFilesOnADiskUnderTheNameGiven) {
    enum Kind { None, File, ReadOnly, Folder };
    const struct {
        const char* name; // in a folder of its own
        Kind kind;
        bool saved;
    } cases[] = {
        {"t.tbl", None, true},
        {"t.tbl", File, true},
        {"t.tbl", ReadOnly, false},
        {"t.tbl", Folder, false},
        // The devices of every folder, with or without an extension, in any case.
        {"CON", None, false},
        {"nul.tbl", None, false},
        {"COM1", None, false},
        {"com9.txt.tbl", None, false},
        {"LPT1.tbl", None, false},
        {"Aux", None, false},
        {"PRN .tbl", None, false},
        {"CONOUT$", None, false},
        {"COM\xC2\xB9.tbl", None, false},
        // Names merely like them are files.
        {"COM10.tbl", File, true},
        {"console.tbl", None, true},
        {"NULL.tbl", None, true},
        // Names the system would change or read as a stream of another file.
        {"t.tbl.", None, false},
        {"t.tbl ", None, false},
        {"t.tbl:hidden", File, false},
    };
    TempDir dir;
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir.path() / std::to_string(n++);
        fs::create_directory(folder);
        const std::string base = (folder / "t.tbl").string();
        const std::string given = folder.string() + "\\" + c.name;
        if (c.kind == File || c.kind == ReadOnly) writeAll(base, "old");
        if (c.kind == ReadOnly) ::SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.kind == Folder) fs::create_directory(base);
        const auto before = namesIn(folder);
        EXPECT_EQ(writeFileAtomically(given, "new table"), c.saved);
        if (c.saved) {
            EXPECT_EQ(readAll(given), "new table");
        } else {
            EXPECT_EQ(namesIn(folder), before) << "nothing made, nothing left";
            EXPECT_TRUE((c.kind != File && c.kind != ReadOnly) || readAll(base) == "old");
        }
        ::SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // Nor through the device namespace, nor into a folder that is not there.
    for (const std::string& path :
         {std::string("\\\\.\\NUL"), std::string("\\\\.\\COM1"), dir.file("absent\\t.tbl")})
        EXPECT_FALSE(writeFileAtomically(path, "x")) << path;
}

TEST(SaveWin32, ReplacingKeepsTheFilesMarksAndOnWindowsItsIdentity) {
    TempDir dir;
    const std::string path = dir.file("t.tbl");
    writeAll(path, "old");
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // A creation time of its own, which ReplaceFileW keeps and a rename would not.
    const FILETIME made{0x12345678u, 0x01C00000u};
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(::SetFileTime(h, &made, nullptr, nullptr));
    ::CloseHandle(h);

    ASSERT_TRUE(writeFileAtomically(path, std::string(100000, 'n')));
    EXPECT_EQ(readAll(path), std::string(100000, 'n'));
    EXPECT_TRUE(attributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"t.tbl"});
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    const bool kept = data.ftCreationTime.dwLowDateTime == made.dwLowDateTime &&
                      data.ftCreationTime.dwHighDateTime == made.dwHighDateTime;
    // Wine's ReplaceFileW fails here (error 267, "not a folder"), so the save replaced the
    // file by the written-through rename, which gives it a creation time of its own.
    if (underWine())
        std::printf("under Wine: ReplaceFileW %s\n", kept ? "worked" : "failed, renamed instead");
    else
        EXPECT_TRUE(kept) << "ReplaceFileW keeps the replaced file's creation time";
}

TEST(SaveWin32, NamesPastTheOldPathLimitAreSaved) {
    TempDir dir;
    // Past MAX_PATH (260) by far: two folders of 120 characters and a name of 200.
    const std::wstring deep = L"\\\\?\\" + dir.path().wstring() + L"\\" +
                              std::wstring(120, L'f') + L"\\" + std::wstring(120, L'g');
    ASSERT_TRUE(::CreateDirectoryW(deep.substr(0, deep.size() - 121).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
    const std::string path = dir.path().string() + "\\" + std::string(120, 'f') + "\\" +
                             std::string(120, 'g') + "\\" + std::string(196, 'n') + ".tbl";
    ASSERT_GT(path.size(), 450u);
    for (const char* text : {"first", "second"}) {
        ASSERT_TRUE(writeFileAtomically(path, text));
        EXPECT_EQ(readAll("\\\\?\\" + path), text);
    }
    // Taken away here: the folder's own clean-up stops at the old limit.
    EXPECT_TRUE(::DeleteFileW((deep + L"\\" + std::wstring(196, L'n') + L".tbl").c_str()));
    ::RemoveDirectoryW(deep.c_str());
    ::RemoveDirectoryW(deep.substr(0, deep.size() - 121).c_str());
}

// A save killed between its write and its swap leaves the old or the new file whole,
// at worst with its temporary beside it, which the next save clears.
TEST(SaveWin32, AKilledSaveLeavesAWholeFileAndTheNextSaveClearsUp) {
    TempDir dir;
    const std::string path = dir.file("t.tbl");
    wchar_t exe[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --gtest_list_tests";
    int leftBehind = 0;
    for (const int wait : {150, 260, 370}) {
        ::SetEnvironmentVariableA("KV_SAVE_FOR_EVER", path.c_str());
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        const bool started = ::CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0,
                                              nullptr, nullptr, &si, &pi);
        ::SetEnvironmentVariableA("KV_SAVE_FOR_EVER", nullptr);
        ASSERT_TRUE(started);
        for (int i = 0; i < 500 && !fs::exists(path); ++i)
            ::Sleep(10);
        ::Sleep(static_cast<DWORD>(wait));
        ::TerminateProcess(pi.hProcess, 9);
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        for (const auto& name : namesIn(dir.path()))
            leftBehind += name.starts_with(".kv-save-");
        const std::string left = readAll(path);
        ASSERT_EQ(left.size(), 4u << 20) << "after " << wait << " ms";
        EXPECT_EQ(left.find_first_not_of(left[0]), std::string::npos) << "a whole file";
    }
    EXPECT_GT(leftBehind, 0) << "no kill came between a write and its swap";
    // Temporaries of processes still running, this one's, and names only alike stay.
    const std::string own = ".kv-save-" + std::to_string(::GetCurrentProcessId()) + "-999";
    for (const std::string& name : {own, std::string(".kv-save-notes")})
        writeAll(dir.file(name), "keep");
    ASSERT_TRUE(writeFileAtomically(path, "after"));
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{own, ".kv-save-notes", "t.tbl"}));
}

} // namespace
} // namespace kv
