// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/headless.h"

#include "base/companion_folder.h"
#include "base/program_folder.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace kv::cli {

Button HeadlessDialogs::message(const std::string& text, const std::string&, Buttons buttons,
                                Icon) {
    m_messages.push_back(text);
    const bool out = std::find(m_toStdout.begin(), m_toStdout.end(), text) != m_toStdout.end();
    (out ? std::cout : std::cerr) << text << std::endl;
    return cancellingAnswer(buttons);
}

std::optional<std::string> HeadlessDialogs::input(const std::string&, const std::string&,
                                                  const std::string&) {
    return std::nullopt;
}

std::string HeadlessDialogs::openFile(const std::string&, const std::string&) {
    return {};
}
std::string HeadlessDialogs::saveFile(const std::string&, const std::string&) {
    return {};
}

std::string HeadlessShell::companionPath(const std::string& name) const {
    return (std::filesystem::path(m_folder) / name).string();
}

bool HeadlessShell::loadChartTemplate() {
    // Nothing is drawn; the template need only be there, as for the window.
    std::error_code ec;
    return std::filesystem::is_regular_file(companionPath("Vanta_Chart.oc2"), ec);
}

std::string executableFolder() {
    const auto folder = programFolder();
    if (folder.empty()) return companionFolder(std::filesystem::current_path().string());
    return companionFolder(folder.string());
}

} // namespace kv::cli
