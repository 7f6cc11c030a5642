#include "quillard/ini_file.h"
#include "quillard/concatenated.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "quillard/file_replace.h"
#include "quillard/path_text.h"
#include "quillard/text_encoding.h"
#include "quillard/utf16_text.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks, '=' and quotes are below 0x40: in GBK as in UTF-8 they never occur
// inside a character, so stored bytes can be split and trimmed at them.
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

// "[name]" → name; none for other lines. Works on UTF-8, where ']' is never part
// of a character (a GBK character may end in the byte of ']').
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

std::string_view FirstLine(std::string_view text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The length of the character that starts at `at` in stored text.
// (A UTF-16 file's lines are held as UTF-8.)
std::size_t StoredCharacterLength(std::string_view stored, std::size_t at, FileEncoding encoding)
{
    if (encoding != FileEncoding::kGbk) return Utf8CharacterLength(stored, at);
    const auto lead = static_cast<unsigned char>(stored[at]);
    return lead > 0x80 && lead < 0xFF && at + 1 < stored.size() ? 2 : 1;
}

// At most `max` bytes of stored text, ending at a character's end. A UTF-16
// file is counted as the Windows program reads it, in its code page: a byte
// for each ASCII character, two for every other.
std::string_view CutStored(std::string_view stored, std::size_t max, FileEncoding encoding)
{
    std::size_t end = 0, counted = 0;
    while (end < stored.size()) {
        const std::size_t length = StoredCharacterLength(stored, end, encoding);
        const std::size_t bytes = IsUtf16(encoding) ? std::min<std::size_t>(length, 2) : length;
        if (counted + bytes > max) break;
        counted += bytes;
        end += length;
    }
    return stored.substr(0, end);
}

// A file that no one may write, which even an administrator's write must
// respect (as the read-only attribute on Windows).
bool IsReadOnlyFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(PathFromText(path), error);
    if (error || !std::filesystem::exists(status)) return false;
    using std::filesystem::perms;
    return (status.permissions() &
            (perms::owner_write | perms::group_write | perms::others_write)) == perms::none;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes)
{
    IniDocument document;
    document.m_encoding = DetectFileEncoding(bytes);
    if (bytes.starts_with(kUtf8Bom)) {
        document.m_bBom = true;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    // A UTF-16 file's lines are read, changed and kept as UTF-8, and written
    // back in the file's UTF-16 as a whole.
    std::string utf16Text;
    if (IsUtf16(document.m_encoding)) {
        utf16Text = Utf16ToUtf8(bytes.substr(2), document.m_encoding == FileEncoding::kUtf16Be);
        bytes = utf16Text;
    }
    // A line ends at CR LF, LF or CR alone; the first end found is the one of
    // the lines the document adds.
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        std::size_t next = end;
        if (end == std::string_view::npos)
            end = next = bytes.size();
        else
            next = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        document.m_lines.push_back(document.MakeLine(std::string(bytes.substr(start, end - start)),
                                                     std::string(bytes.substr(end, next - end))));
        start = next;
    }
    for (const Line& line : document.m_lines) {
        if (!line.end.empty()) {
            document.m_eol = line.end;
            break;
        }
    }
    return document;
}

IniDocument IniDocument::Load(const std::string& path)
{
    std::ifstream file(PathFromText(path), std::ios::binary);
    if (!file) return {};
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return Parse(bytes.str());
}

std::string IniDocument::Decode(std::string_view stored) const
{
    return m_encoding == FileEncoding::kGbk ? GbkToUtf8(stored) : std::string(stored);
}

std::string IniDocument::Encode(std::string_view text) const
{
    return m_encoding == FileEncoding::kGbk ? Utf8ToGbkReplacing(text, "?") : std::string(text);
}

IniDocument::Line IniDocument::MakeLine(std::string stored, std::string end) const
{
    std::string text = Decode(stored);
    return {std::move(stored), std::move(text), std::move(end)};
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines[i].text);
        if (name && EqualNoCase(*name, Trim(section))) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const
{
    for (std::size_t i = header + 1; i < m_lines.size() && !SectionName(m_lines[i].text); ++i) {
        const auto entry = SplitKeyLine(m_lines[i].text);
        if (entry && EqualNoCase(entry->key, Trim(key))) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::GetStored(std::string_view section,
                                                  std::string_view key) const
{
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    const auto at = FindKey(*header, key);
    if (!at) return std::nullopt;
    return std::string(Unquote(SplitKeyLine(m_lines[*at].stored)->value));
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const
{
    const auto stored = GetStored(section, key);
    if (!stored) return std::nullopt;
    return Decode(*stored);
}

void IniDocument::InsertLine(std::size_t at, std::string stored)
{
    // the line before it may have been the last one, without an end
    if (at > 0 && m_lines[at - 1].end.empty()) m_lines[at - 1].end = m_eol;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   MakeLine(std::move(stored), m_eol));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    // A line break in a name or value would end its line there and make the
    // rest a line of its own (a section header, a key): only the first line
    // is written.
    section = FirstLine(section);
    key = FirstLine(key);
    value = FirstLine(value);
    const std::string keyText(Trim(key));
    const std::string newValue = Encode(value);

    const auto header = FindSection(section);
    if (!header) {
        InsertLine(m_lines.size(), Concatenated({"[", Encode(Trim(section)), "]"}));
        InsertLine(m_lines.size(), Concatenated({Encode(keyText), "=", newValue}));
        return;
    }
    if (const auto at = FindKey(*header, keyText)) {
        Line& line = m_lines[*at];
        const std::string_view stored = SplitKeyLine(line.stored)->value;
        // A value that reads the same is left as it is stored: its quotes, and
        // bytes that do not read as text, stay.
        if (Decode(Unquote(stored)) == value) return;
        // the key keeps its own spelling
        line = MakeLine(Concatenated({SplitKeyLine(line.stored)->key, "=", newValue}),
                        std::move(line.end));
        return;
    }
    std::size_t lastContent = *header;
    for (std::size_t i = *header + 1; i < m_lines.size() && !SectionName(m_lines[i].text); ++i) {
        if (!Trim(m_lines[i].text).empty()) lastContent = i;
    }
    InsertLine(lastContent + 1, Concatenated({Encode(keyText), "=", newValue}));
}

std::string IniDocument::Serialize() const
{
    std::string out;
    for (const Line& line : m_lines)
        out += line.stored + line.end;
    if (IsUtf16(m_encoding)) {
        const bool bigEndian = m_encoding == FileEncoding::kUtf16Be;
        return std::string(bigEndian ? kUtf16BeBom : kUtf16LeBom) + Utf8ToUtf16(out, bigEndian);
    }
    // A UTF-8 file that a change leaves looking like GBK (its Chinese all gone,
    // Latin letters left) is marked, so that it is still read as UTF-8.
    const bool marked =
        m_bBom || (m_encoding == FileEncoding::kUtf8 &&
                   DetectFileEncoding(out) != FileEncoding::kUtf8 && HasNonAsciiBytes(out));
    return marked ? std::string(kUtf8Bom) + out : out;
}

bool IniDocument::Save(const std::string& path) const
{
    if (IsReadOnlyFile(path)) return false;
    return ReplaceFileContents(path, Serialize());
}

std::optional<IniDocument> IniDocument::LoadForWrite(const std::string& path)
{
    const std::filesystem::path file = PathFromText(path);
    std::error_code error;
    if (std::filesystem::exists(file, error) && !std::ifstream(file, std::ios::binary))
        return std::nullopt;
    return Load(path);
}

int ReadIniValue(const IniDocument& document, std::string_view section, std::string_view key,
                 std::string& value)
{
    const auto stored = document.GetStored(section, key);
    const std::string_view cut =
        stored ? CutStored(*stored, kIniValueMax, document.Encoding()) : std::string_view();
    value = document.Decode(cut);
    return static_cast<int>(cut.size());
}

int ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string& value)
{
    return ReadIniValue(IniDocument::Load(path), section, key, value);
}

bool WriteIniValue(const IniPaths& paths, std::string_view section, std::string_view key,
                   std::string_view value)
{
    auto document = IniDocument::LoadForWrite(paths.read);
    if (!document) return false;
    document->Set(section, key, value);
    return document->Save(paths.write);
}
