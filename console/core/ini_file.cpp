#include "quillard/ini_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "quillard/text_encoding.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// "[name]" → name; none for other lines.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> SplitKeyLine(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The first `max` characters of a UTF-8 text.
std::string CutToChars(std::string_view text, std::size_t max, std::size_t& chars)
{
    std::size_t byte = 0;
    chars = 0;
    while (byte < text.size() && chars < max) {
        ++byte;
        while (byte < text.size() && (static_cast<unsigned char>(text[byte]) & 0xC0) == 0x80)
            ++byte;
        ++chars;
    }
    return std::string(text.substr(0, byte));
}

// A file that no one may write, which even an administrator's write must
// respect (as the read-only attribute on Windows).
bool IsReadOnlyFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return false;
    using std::filesystem::perms;
    return (status.permissions() &
            (perms::owner_write | perms::group_write | perms::others_write)) == perms::none;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes)
{
    IniDocument document;
    document.m_bGbk = !IsValidUtf8(bytes);
    if (bytes.empty()) return document;
    const std::size_t firstEnd = bytes.find('\n');
    if (firstEnd != std::string_view::npos && firstEnd > 0 && bytes[firstEnd - 1] == '\r')
        document.m_eol = "\r\n";
    document.m_bFinalEol = bytes.back() == '\n';
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        document.m_lines.emplace_back(line);
        start = end + 1;
    }
    return document;
}

IniDocument IniDocument::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return Parse(bytes.str());
}

std::string IniDocument::Decode(std::string_view raw) const
{
    return m_bGbk ? GbkToUtf8(raw) : std::string(raw);
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines[i]);
        if (name && EqualNoCase(m_bGbk ? Decode(*name) : std::string(*name), Trim(section)))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const
{
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    for (std::size_t i = *header + 1; i < m_lines.size() && !SectionName(m_lines[i]); ++i) {
        const auto entry = SplitKeyLine(m_lines[i]);
        if (entry && EqualNoCase(Decode(entry->key), Trim(key)))
            return Decode(Unquote(entry->value));
    }
    return std::nullopt;
}

void IniDocument::ConvertToUtf8()
{
    for (std::string& line : m_lines)
        line = Decode(line);
    m_bGbk = false;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string keyText(Trim(key));
    const std::string sectionText(Trim(section));
    // A GBK file takes the new text in GBK, or becomes UTF-8 when it has no GBK form.
    if (m_bGbk && !Utf8ToGbk(sectionText + keyText + std::string(value))) ConvertToUtf8();
    auto encode = [this](std::string_view text) {
        return m_bGbk ? Utf8ToGbk(text).value_or(std::string()) : std::string(text);
    };
    const std::string newValue = encode(value);

    const auto header = FindSection(sectionText);
    if (!header) {
        if (!m_lines.empty() && !Trim(m_lines.back()).empty()) m_lines.emplace_back();
        m_lines.push_back("[" + encode(sectionText) + "]");
        m_lines.push_back(encode(keyText) + "=" + newValue);
        m_bFinalEol = true;
        return;
    }
    std::size_t lastContent = *header;
    for (std::size_t i = *header + 1; i < m_lines.size() && !SectionName(m_lines[i]); ++i) {
        const auto entry = SplitKeyLine(m_lines[i]);
        if (entry && EqualNoCase(Decode(entry->key), keyText)) {
            m_lines[i] = std::string(entry->key) + "=" + newValue;
            return;
        }
        if (!Trim(m_lines[i]).empty()) lastContent = i;
    }
    const std::size_t at = lastContent + 1;
    if (at == m_lines.size()) m_bFinalEol = true;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   encode(keyText) + "=" + newValue);
}

std::string IniDocument::Serialize() const
{
    std::string out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i];
        if (i + 1 < m_lines.size() || m_bFinalEol) out += m_eol;
    }
    return out;
}

bool IniDocument::Save(const std::string& path) const
{
    if (IsReadOnlyFile(path)) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const std::string bytes = Serialize();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::optional<IniDocument> IniDocument::LoadForWrite(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::ifstream(path, std::ios::binary))
        return std::nullopt;
    return Load(path);
}

int ReadIniValue(const IniDocument& document, std::string_view section, std::string_view key,
                 std::string& value)
{
    const auto found = document.Get(section, key);
    std::size_t chars = 0;
    value = found ? CutToChars(*found, kIniValueMax, chars) : std::string();
    return static_cast<int>(chars);
}

int ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string& value)
{
    return ReadIniValue(IniDocument::Load(path), section, key, value);
}

bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value)
{
    auto document = IniDocument::LoadForWrite(path);
    if (!document) return false;
    document->Set(section, key, value);
    return document->Save(path);
}
