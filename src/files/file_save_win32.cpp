// SPDX-License-Identifier: GPL-3.0-or-later
// Saving on Windows: the new contents go to a temporary file beside the target, written
// through to the disk, which then takes the target's place in one step.
#include "files/file_save.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <windows.h>

namespace kv {
namespace {

namespace fs = std::filesystem;

constexpr std::wstring_view kTempPrefix = L".kv-save-";

class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    [[nodiscard]] HANDLE get() const { return m_h; }
    [[nodiscard]] bool ok() const { return m_h != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h) {
        close();
        m_h = h;
    }
    bool close() {
        const HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h == INVALID_HANDLE_VALUE || ::CloseHandle(h);
    }

private:
    HANDLE m_h;
};

// Paths come as UTF-8; text that is not is taken in the system's code page.
std::wstring widen(const std::string& text) {
    for (const UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int n = ::MultiByteToWideChar(page, flags, text.data(), static_cast<int>(text.size()),
                                            nullptr, 0);
        if (n <= 0 && !text.empty()) continue;
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(page, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                              n);
        return wide;
    }
    return {};
}

// The name of a device in every folder (CON, NUL, COM1, LPT1, ... with or without an
// extension), or a name the system would quietly change (a trailing dot or blank) or read
// as a stream of another file (a colon): any of these would save somewhere else.
bool unsafeLeaf(std::wstring_view leaf) {
    if (leaf.empty() || leaf == L"." || leaf == L"..") return true;
    if (leaf.back() == L'.' || leaf.back() == L' ') return true;
    for (const wchar_t c : leaf)
        if (c < 32 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos)
            return true;
    std::wstring stem(leaf.substr(0, leaf.find(L'.')));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (auto& c : stem)
        c = static_cast<wchar_t>(::towupper(c));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (stem == device) return true;
    if (stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")))
        return std::wstring_view(L"123456789\u00B9\u00B2\u00B3").find(stem[3]) !=
               std::wstring_view::npos;
    return false;
}

// The form that reaches past MAX_PATH and takes the name as it is.
std::wstring longForm(const fs::path& absolute) {
    const std::wstring s = absolute.wstring();
    if (s.starts_with(L"\\\\?\\")) return s;
    if (s.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + s.substr(2);
    return L"\\\\?\\" + s;
}

bool processGone(DWORD pid) {
    const HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool exited = ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    ::CloseHandle(h);
    return exited;
}

// Removes temporaries that saves into the folder left when they were killed before the
// swap: those of processes that are gone.
void clearStaleTemporaries(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE find =
        ::FindFirstFileW((folder + L"\\" + std::wstring(kTempPrefix) + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring_view rest =
            std::wstring_view(found.cFileName).substr(kTempPrefix.size());
        const auto dash = rest.find(L'-');
        if (dash == 0 || dash == std::wstring_view::npos ||
            rest.find_first_not_of(L"0123456789") != dash ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const DWORD pid = std::wcstoul(std::wstring(rest.substr(0, dash)).c_str(), nullptr, 10);
        if (pid != ::GetCurrentProcessId() && processGone(pid))
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
}

bool writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// The file behind `target`, links followed, in the long form; empty when it is no file
// on a disk that the user may write (a folder, a device, a read-only file).
std::wstring existingFile(const std::wstring& target) {
    Handle h(::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.ok() || ::GetFileType(h.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(h.get(), &info) ||
        (info.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)))
        return {};
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetFinalPathNameByHandleW(h.get(), final.data(), static_cast<DWORD>(final.size()), 0);
        if (n == 0) return target;
        if (n < final.size()) {
            final.resize(n);
            return longForm(fs::path(final));
        }
        final.resize(n);
    }
}

std::wstring tempName() {
    static std::atomic<unsigned> counter{0};
    return std::wstring(kTempPrefix) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++);
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::wstring given = widen(path);
    // The device namespace is no place for a table.
    if (given.empty() || given.starts_with(L"\\\\.\\") || given.starts_with(L"\\\\?\\GLOBALROOT"))
        return false;
    // The name as typed: making the path absolute would drop a trailing dot or blank.
    if (unsafeLeaf(std::wstring_view(given).substr(given.find_last_of(L"\\/") + 1))) return false;
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(given), ec);
    if (ec) return false;
    std::wstring target = longForm(absolute);

    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    if (exists) {
        target = existingFile(target);
        if (target.empty()) return false;
    }
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    clearStaleTemporaries(folder);

    std::wstring temp;
    Handle file(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 100 && !file.ok(); ++attempt) {
        temp = folder + L"\\" + tempName();
        file.reset(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        if (!file.ok() && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (!file.ok()) return false;
    bool done = writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    done = file.close() && done;
    if (done && exists) {
        // Hidden and similar marks stay with the name; ReplaceFileW keeps them itself.
        ::SetFileAttributesW(temp.c_str(),
                             attributes &
                                 (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
        // ReplaceFileW keeps the old file's identity (security, creation time, streams).
        // Where it fails (Wine has it fail with error 267, and some network shares do),
        // the target is untouched and a rename written through replaces it instead.
        done = ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
               ::MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else if (done) {
        done = ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    if (!done) ::DeleteFileW(temp.c_str());
    return done;
}

} // namespace kv
