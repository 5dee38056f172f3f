// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transfer_history.h"

#include "files/file_save.h"
#include "files/table_file.h"
#include "link/protocol.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>

namespace kv {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kLineKey = "!History: ";

// 2026-12-08_14-03-22_download_RACE_2.tbl: the time, the direction, the sequence number.
const std::regex& entryName() {
    static const std::regex re(
        R"((\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d)_(download|upload)_[A-Z]+(?:_(\d{1,6}))?\.tbl)");
    return re;
}

struct Named {
    fs::path path;
    std::string stamp; // the name's time
    int sequence = 1;
    TransferDirection direction = TransferDirection::Download;
};

// The entries of `folder` by their names, oldest first.
std::vector<Named> entriesByName(const std::string& folder) {
    std::vector<Named> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::smatch m;
        if (!std::regex_match(name, m, entryName())) continue;
        out.push_back(
            {it->path(), m[1].str(), m[3].matched ? std::stoi(m[3].str()) : 1,
             m[2].str() == "upload" ? TransferDirection::Upload : TransferDirection::Download});
    }
    std::sort(out.begin(), out.end(), [](const Named& a, const Named& b) {
        return std::tie(a.stamp, a.sequence) < std::tie(b.stamp, b.sequence);
    });
    return out;
}

std::optional<HistoryRecord> recordIn(const std::vector<std::string>& parameterLines) {
    for (const std::string& line : parameterLines)
        if (const auto r = parseHistoryLine(line)) return r;
    return std::nullopt;
}

std::string formatTime(std::time_t when, const char* format) {
    std::tm tm{};
    if (const std::tm* local = std::localtime(&when)) tm = *local;
    char buf[32] = {};
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

} // namespace

const char* directionName(TransferDirection d) {
    return d == TransferDirection::Upload ? "upload" : "download";
}

std::string historyLine(const HistoryRecord& r) {
    // The identification last, as the rest of the line: "!", "%" and control bytes as %XX.
    std::string id;
    for (const char c : r.FirmwareID) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '!' || c == '%' || u < 0x20 || u == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", u);
            id += buf;
        } else {
            id += c;
        }
    }
    return std::string(kLineKey) + r.time + " " + directionName(r.direction) + " " +
           imageToHex(r.image) + " " + id;
}

std::optional<HistoryRecord> parseHistoryLine(std::string_view line) {
    static const std::regex re(
        R"(!History: (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) (download|upload) ([0-9a-f]{78}) (.*))");
    std::match_results<std::string_view::const_iterator> m;
    if (!std::regex_match(line.begin(), line.end(), m, re)) return std::nullopt;
    HistoryRecord r;
    r.time = m[1].str();
    r.direction = m[2].str() == "upload" ? TransferDirection::Upload : TransferDirection::Download;
    r.image = *imageFromHex(m[3].str());
    const std::string id = m[4].str();
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool escaped = id[i] == '%' && i + 2 < id.size() &&
                             std::isxdigit(static_cast<unsigned char>(id[i + 1])) &&
                             std::isxdigit(static_cast<unsigned char>(id[i + 2]));
        if (escaped) {
            r.FirmwareID += static_cast<char>(std::stoi(id.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            r.FirmwareID += id[i];
        }
    }
    return r;
}

KeptTransfer keptFrom(const ProgramState& s, TransferDirection d) {
    return {d, s.AdvanceTable, s.params, s.TableType, s.FirmwareID, s.EEPROMBuffer};
}

std::optional<std::string> keepTransfer(const std::string& folder, const KeptTransfer& t,
                                        std::time_t when) {
    std::error_code ec;
    fs::create_directories(folder, ec); // a folder that cannot be made fails the save below
    const std::string stamp = formatTime(when, "%Y-%m-%d_%H-%M-%S");
    int sequence = 1;
    for (const Named& n : entriesByName(folder))
        if (n.stamp == stamp) sequence = std::max(sequence, n.sequence + 1);
    const std::string stem =
        stamp + "_" + directionName(t.direction) + "_" + tableTypeOf(t.FirmwareID);
    fs::path path;
    do {
        path = fs::path(folder) /
               (stem + (sequence > 1 ? "_" + std::to_string(sequence) : "") + ".tbl");
        ++sequence;
    } while (fs::exists(path, ec));

    const HistoryRecord r{formatTime(when, "%Y-%m-%d %H:%M:%S"), t.direction, t.FirmwareID,
                          t.image};
    if (!writeFileAtomically(path.string(), tableFileText(t.values, t.params, t.TableType) +
                                                historyLine(r) + "\r\n"))
        return std::nullopt;
    pruneHistory(folder);
    return path.string();
}

void pruneHistory(const std::string& folder, std::size_t kept) {
    std::vector<fs::path> others;
    std::set<std::string> modulesSeen;
    for (const Named& n : entriesByName(folder)) {
        if (n.direction == TransferDirection::Download) {
            const auto contents = readTableFile(n.path.string());
            const auto r = contents ? recordIn(contents->parameterLines) : std::nullopt;
            if (r && modulesSeen.insert(r->FirmwareID).second) continue; // its first download
        }
        others.push_back(n.path);
    }
    std::error_code ec;
    for (std::size_t i = 0; i + kept < others.size(); ++i)
        fs::remove(others[i], ec);
}

std::vector<HistoryEntry> listHistory(const std::string& folder) {
    std::vector<HistoryEntry> out;
    std::set<std::string> modulesSeen;
    for (const Named& n : entriesByName(folder)) {
        const auto contents = readTableFile(n.path.string());
        if (!contents) continue;
        HistoryEntry e;
        e.path = n.path.string();
        e.fileName = n.path.filename().string();
        TableFileParameters p = parameterDefaults(ModuleParameters{});
        try {
            applyParameterLines(contents->parameterLines, p);
        } catch (const std::exception&) {
            // an overflowing number: the type is still what the file says
        }
        e.TableType = p.TableType;
        if (const auto r = recordIn(contents->parameterLines)) {
            e.record = *r;
            e.firstOfModule = r->direction == TransferDirection::Download &&
                              modulesSeen.insert(r->FirmwareID).second;
        } else {
            e.record.time = n.stamp.substr(0, 10) + " " + n.stamp.substr(11);
            std::replace(e.record.time.begin() + 11, e.record.time.end(), '-', ':');
            e.record.direction = n.direction;
        }
        e.lowest = e.highest = contents->values(1, 1);
        for (int p = 1; p <= kPoints; ++p)
            for (int c = 1; c <= kCurves; ++c) {
                e.lowest = std::min(e.lowest, contents->values(p, c));
                e.highest = std::max(e.highest, contents->values(p, c));
            }
        out.push_back(std::move(e));
    }
    std::reverse(out.begin(), out.end());
    return out;
}

} // namespace kv
