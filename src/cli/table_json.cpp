// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/table_json.h"

#include "files/table_file.h"
#include "table/bulk_edit.h"
#include "table/numbers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <variant>
#include <vector>

namespace kv::cli {
namespace {

// Just enough JSON for one table document.
struct Json;
using JsonObject = std::map<std::string, Json>;
using JsonArray = std::vector<Json>;
struct Json {
    std::variant<std::nullptr_t, bool, double, std::string, JsonArray, JsonObject> v;
};

class Parser {
public:
    explicit Parser(std::string_view text) : m_s(text) {}

    Json document() {
        Json j = value(0);
        skipSpace();
        if (m_i != m_s.size()) fail("unexpected text after the object");
        return j;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("not a table document: " + what + " at offset " +
                                 std::to_string(m_i));
    }
    void skipSpace() {
        while (m_i < m_s.size() &&
               (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r'))
            ++m_i;
    }
    bool take(char c) {
        skipSpace();
        if (m_i < m_s.size() && m_s[m_i] == c) return ++m_i, true;
        return false;
    }
    bool word(std::string_view w) {
        if (m_s.substr(m_i, w.size()) != w) return false;
        m_i += w.size();
        return true;
    }

    Json value(int depth) {
        if (depth > 8) fail("nesting too deep");
        skipSpace();
        if (m_i >= m_s.size()) fail("unexpected end");
        const char c = m_s[m_i];
        if (c == '{') return object(depth);
        if (c == '[') return array(depth);
        if (c == '"') return Json{string()};
        if (word("true")) return Json{true};
        if (word("false")) return Json{false};
        if (word("null")) return Json{nullptr};
        return Json{number()};
    }
    Json object(int depth) {
        ++m_i;
        JsonObject obj;
        if (take('}')) return Json{std::move(obj)};
        do {
            skipSpace();
            if (m_i >= m_s.size() || m_s[m_i] != '"') fail("expected a member name");
            std::string key = string();
            if (!take(':')) fail("expected ':'");
            obj[key] = value(depth + 1);
        } while (take(','));
        if (!take('}')) fail("expected '}'");
        return Json{std::move(obj)};
    }
    Json array(int depth) {
        ++m_i;
        JsonArray arr;
        if (take(']')) return Json{std::move(arr)};
        do
            arr.push_back(value(depth + 1));
        while (take(','));
        if (!take(']')) fail("expected ']'");
        return Json{std::move(arr)};
    }
    std::string string() {
        ++m_i;
        std::string out;
        while (m_i < m_s.size() && m_s[m_i] != '"') {
            char c = m_s[m_i++];
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
            if (c == '\\') {
                if (m_i >= m_s.size()) break;
                c = m_s[m_i++];
                switch (c) {
                case '"':
                case '\\':
                case '/':
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 'b':
                    c = '\b';
                    break;
                case 'f':
                    c = '\f';
                    break;
                case 'u':
                    // What the printer writes for a control character, and any other
                    // character outside the surrogates, as UTF-8.
                    appendUtf8(out, hex4());
                    continue;
                default:
                    fail("unsupported escape");
                }
            }
            out.push_back(c);
        }
        if (m_i >= m_s.size()) fail("unterminated string");
        ++m_i;
        return out;
    }
    unsigned hex4() {
        if (m_s.size() - m_i < 4) fail("expected four hex digits");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = m_s[m_i++];
            const int d = h >= '0' && h <= '9'   ? h - '0'
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                 : -1;
            if (d < 0) fail("expected four hex digits");
            v = v * 16 + static_cast<unsigned>(d);
        }
        if (v >= 0xD800 && v <= 0xDFFF) fail("unsupported escape");
        return v;
    }
    static void appendUtf8(std::string& out, unsigned cp) {
        const auto put = [&](unsigned b) { out.push_back(static_cast<char>(b)); };
        if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }
    double number() {
        const char* b = m_s.data() + m_i;
        double v = 0;
        const auto res = std::from_chars(b, m_s.data() + m_s.size(), v);
        if (res.ec != std::errc() || !std::isfinite(v)) fail("expected a finite number");
        m_i += static_cast<std::size_t>(res.ptr - b);
        return v;
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

template <class T> const T& member(const JsonObject& o, const std::string& name, const char* kind) {
    const auto it = o.find(name);
    if (it == o.end()) throw std::runtime_error("missing \"" + name + "\"");
    const T* v = std::get_if<T>(&it->second.v);
    if (!v) throw std::runtime_error("\"" + name + "\" must be " + kind);
    return *v;
}

// A parameter within the range the table file reader holds it to, so that what is written
// reads back the same.
std::int16_t checkedParameter(const std::string& name, double v, ParameterRange r) {
    const int lo = r.lowest;
    const int hi = r.highest;
    if (v != std::trunc(v) || v < lo || v > hi)
        throw std::runtime_error("\"" + name + "\" must be a whole number from " +
                                 std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<std::int16_t>(v);
}

std::int16_t parameterMember(const JsonObject& o, const std::string& name, ParameterRange r) {
    return checkedParameter(name, member<double>(o, name, "a number"), r);
}

// The module parameters by name, in the order both formats list them.
struct NumberParameter {
    const char* name;
    ParameterRange range;
    std::int16_t ModuleParameters::*field;
};
const NumberParameter kNumberParameters[] = {
    {"RearOffset", kRearOffsetRange, &ModuleParameters::RearOffset},
    {"RetardVal", kRetardValRange, &ModuleParameters::RetardVal},
    {"CrankRevs", kCrankRevsRange, &ModuleParameters::CrankRevs},
    {"RPMLimit", kRPMLimitRange, &ModuleParameters::RPMLimit}};
const std::pair<const char*, bool ModuleParameters::*> kFlagParameters[] = {
    {"FixedLimFlag", &ModuleParameters::FixedLimFlag},
    {"SelEEPROMTblFlag", &ModuleParameters::SelEEPROMTblFlag},
    {"RetardEnableFlag", &ModuleParameters::RetardEnableFlag},
    {"KickStartFlag", &ModuleParameters::KickStartFlag}};

void checkType(const std::string& type) {
    if (type != "RACE" && type != "EX" && type != "TEX")
        throw std::runtime_error("\"type\" must be RACE, EX or TEX");
}

void appendNumber(std::string& out, double v) {
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    out.append(buf.data(), res.ptr);
}

} // namespace

std::string jsonQuoted(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\')
            out.push_back('\\'), out.push_back(c);
        else if (static_cast<unsigned char>(c) < 0x20) {
            std::array<char, 8> buf{};
            const auto n = std::snprintf(buf.data(), buf.size(), "\\u%04x", c);
            out.append(buf.data(), static_cast<std::size_t>(n));
        } else
            out.push_back(c);
    }
    return out + "\"";
}

std::string tableJson(const TableDocument& d) {
    const auto flag = [](bool f) { return f ? "true" : "false"; };
    const ModuleParameters& p = d.params;
    std::string out = "{\"type\": " + jsonQuoted(d.TableType) + ", \"params\": {";
    const char* separator = "";
    for (const NumberParameter& n : kNumberParameters) {
        out += separator + std::string("\"") + n.name + "\": " + std::to_string(p.*n.field);
        separator = ", ";
    }
    for (const auto& [name, field] : kFlagParameters)
        out += std::string(", \"") + name + "\": " + flag(p.*field);
    out += "}";
    for (const auto& [name, curve] : {std::pair{"WOT", kWot}, std::pair{"Low", kLow}}) {
        out += std::string(", \"") + name + "\": [";
        for (int pt = 1; pt <= kPoints; ++pt) {
            if (pt > 1) out += ", ";
            appendNumber(out, d.values(pt, curve));
        }
        out += "]";
    }
    out += ", \"FirmwareID\": " + jsonQuoted(d.FirmwareID) + "}";
    return out;
}

TableDocument parseTableJson(std::string_view text) {
    const Json root = Parser(text).document();
    const auto* top = std::get_if<JsonObject>(&root.v);
    if (!top) throw std::runtime_error("not a table document: expected an object");

    TableDocument d;
    d.TableType = member<std::string>(*top, "type", "a text");
    checkType(d.TableType);
    const auto& params = member<JsonObject>(*top, "params", "an object");
    for (const NumberParameter& n : kNumberParameters)
        d.params.*n.field = parameterMember(params, n.name, n.range);
    for (const auto& [name, field] : kFlagParameters)
        d.params.*field = member<bool>(params, name, "true or false");
    for (const auto& [name, curve] : {std::pair{"WOT", kWot}, std::pair{"Low", kLow}}) {
        const auto& arr = member<JsonArray>(*top, name, "an array");
        if (arr.size() != kPoints)
            throw std::runtime_error(std::string("\"") + name + "\" must hold 16 numbers");
        for (int pt = 1; pt <= kPoints; ++pt) {
            const double* v = std::get_if<double>(&arr[static_cast<std::size_t>(pt - 1)].v);
            if (!v) throw std::runtime_error(std::string("\"") + name + "\" must hold numbers");
            d.values(pt, curve) = *v;
        }
    }
    if (const auto it = top->find("FirmwareID"); it != top->end())
        if (const auto* id = std::get_if<std::string>(&it->second.v)) d.FirmwareID = *id;
    return d;
}

std::string tableCsv(const TableDocument& d) {
    std::string out;
    for (const int curve : {kWot, kLow}) {
        for (int pt = 1; pt <= kPoints; ++pt) {
            if (pt > 1) out += ",";
            appendNumber(out, d.values(pt, curve));
        }
        out += "\n";
    }
    out += "type," + d.TableType + "\n";
    for (const NumberParameter& n : kNumberParameters)
        out += std::string(n.name) + "," + std::to_string(d.params.*n.field) + "\n";
    for (const auto& [name, field] : kFlagParameters)
        out += std::string(name) + "," + (d.params.*field ? "True" : "False") + "\n";
    return out;
}

TableDocument parseTableCsv(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3); // a spreadsheet's BOM
    const TextBlock block = splitTextBlock(text);
    const auto trimmed = [](std::string t) {
        t.erase(0, t.find_first_not_of(" \t"));
        t.erase(t.find_last_not_of(" \t") + 1);
        return t;
    };
    // The rows without the empty cells a spreadsheet pads them with, blank rows left out.
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : block.rows) {
        std::vector<std::string> cells;
        for (const std::string& cell : row)
            cells.push_back(trimmed(cell));
        while (!cells.empty() && cells.back().empty())
            cells.pop_back();
        if (!cells.empty()) rows.push_back(std::move(cells));
    }
    const auto number = [&](std::string t, const std::string& what) {
        if (block.decimalComma) std::replace(t.begin(), t.end(), ',', '.');
        const double v = leadingNumber(t);
        if (!isNumeric(t) || !std::isfinite(v))
            throw std::runtime_error(what + " must be a finite number, not \"" + t + "\"");
        return v;
    };

    TableDocument d;
    const std::pair<const char*, int> curves[] = {{"WOT", kWot}, {"Low", kLow}};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string name = curves[i].first;
        if (rows.size() <= i || rows[i].size() != kPoints)
            throw std::runtime_error("line " + std::to_string(i + 1) + " must hold the 16 " + name +
                                     " values");
        for (int pt = 1; pt <= kPoints; ++pt)
            d.values(pt, curves[i].second) =
                number(rows[i][std::size_t(pt - 1)], "\"" + name + "\" " + std::to_string(pt));
    }
    std::vector<std::string> seen;
    for (std::size_t i = 2; i < rows.size(); ++i) {
        if (rows[i].size() != 2)
            throw std::runtime_error("line " + std::to_string(i + 1) + " must be name,value");
        const std::string& name = rows[i][0];
        const std::string& value = rows[i][1];
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            throw std::runtime_error("\"" + name + "\" given twice");
        seen.push_back(name);
        const auto number_ =
            std::find_if(std::begin(kNumberParameters), std::end(kNumberParameters),
                         [&](const auto& n) { return name == n.name; });
        const auto flag = std::find_if(std::begin(kFlagParameters), std::end(kFlagParameters),
                                       [&](const auto& f) { return name == f.first; });
        std::string lower = value;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == "type") {
            checkType(d.TableType = value);
        } else if (number_ != std::end(kNumberParameters)) {
            d.params.*number_->field =
                checkedParameter(name, number(value, "\"" + name + "\""), number_->range);
        } else if (flag != std::end(kFlagParameters)) {
            if (lower != "true" && lower != "false")
                throw std::runtime_error("\"" + name + "\" must be True or False");
            d.params.*flag->second = lower == "true";
        } else {
            throw std::runtime_error("unknown name \"" + name + "\"");
        }
    }
    if (seen.size() != 1 + std::size(kNumberParameters) + std::size(kFlagParameters))
        throw std::runtime_error("expected type and the eight module parameters, each once");
    return d;
}

} // namespace kv::cli
