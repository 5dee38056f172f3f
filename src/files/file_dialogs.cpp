// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_dialogs.h"

#include "base/step_runner.h"

#include <filesystem>

namespace kv {
namespace {

constexpr const char* kAllFiles = "All Files (*.*)|*.*";
constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kCaptionNameMax = 60;

bool isNormalFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Runs `step` under the error prompt; an Abort there becomes the dialog function's own
// error, raised to its caller.
template <class Step> void guarded(Dialogs& dialogs, const KvError& aborted, Step&& step) {
    if (runStep(dialogs, std::forward<Step>(step)) == StepOutcome::Aborted) throw aborted;
}

} // namespace

std::string FileOpen(Dialogs& dialogs, const std::string& fileTitle, const std::string& filter,
                     const std::string& notExistMessage) {
    const std::string useFilter = filter.empty() ? kAllFiles : filter;
    const KvError aborted(kErrCommOrOpen, "File Open", "Aborted File Open");
    for (;;) {
        std::string path;
        guarded(dialogs, aborted, [&] { path = dialogs.openFile(fileTitle, useFilter); });
        // Closing the dialog without a choice is no choice; there is nothing to check.
        if (path.empty() || isNormalFile(path)) return path;

        std::string text = path + kCrLf + "File not found.";
        const bool offerYes = !notExistMessage.empty();
        if (offerYes) text += std::string(kCrLf) + kCrLf + notExistMessage;
        Button answer = Button::Cancel;
        guarded(dialogs, aborted, [&] {
            answer = dialogs.message(text, "File Open",
                                     offerYes ? Buttons::YesNoCancel : Buttons::RetryCancel,
                                     Icon::Exclamation);
        });
        if (answer == Button::Yes) return path;
        if (answer == Button::Cancel)
            throw KvError(kErrCommOrOpen, "File Open", "Canceled File Open");
    }
}

std::string FileSave(Dialogs& dialogs, const std::string& fileTitle, const std::string& filter,
                     std::string existMessage) {
    const std::string useFilter = filter.empty() ? kAllFiles : filter;
    if (existMessage.empty()) existMessage = "Replace existing file?";
    const KvError aborted(kErrSave, "File Save", "Aborted File Save");
    for (;;) {
        std::string path;
        guarded(dialogs, aborted, [&] { path = dialogs.saveFile(fileTitle, useFilter); });
        if (path.empty() || !isNormalFile(path)) return path;

        const std::string text =
            path + kCrLf + "This file already exists." + kCrLf + kCrLf + existMessage;
        Button answer = Button::Cancel;
        guarded(dialogs, aborted, [&] {
            answer = dialogs.message(text, "File Save", Buttons::YesNoCancel, Icon::Exclamation);
        });
        if (answer == Button::Yes) return path;
        if (answer == Button::Cancel) throw KvError(kErrSave, "File Save", "Canceled File Save");
    }
}

std::string fileCaption(const std::string& baseCaption, const std::string& path) {
#ifdef _WIN32
    const auto cut = path.find_last_of("\\/");
#else
    // A backslash is an ordinary character of a file name here.
    const auto cut = path.find_last_of('/');
#endif
    const std::string bare = cut == std::string::npos ? path : path.substr(cut + 1);
    // Counted in characters: a UTF-8 name is never cut inside a character.
    const auto isLead = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
    std::size_t chars = 0;
    std::size_t from = bare.size();
    while (from > 0) {
        --from;
        if (isLead(bare[from]) && ++chars == kCaptionNameMax) break;
    }
    if (from == 0) return baseCaption + " - " + bare;
    return baseCaption + " - ..." + bare.substr(from);
}

} // namespace kv
