// Settings files in the private-profile form:
//   [Section]
//   key=value
// Section and key names match without regard to case; blanks around names and
// values are dropped, and a value in matching quotes loses them. A write
// changes one line (or adds one, or a section at the end) and keeps every
// other line as it was, byte for byte.
//
// Text is UTF-8 inside. A file that is not valid UTF-8 is GBK, as Windows writes
// them; it stays GBK when written, unless a value has no GBK form, in which
// case the file is rewritten as UTF-8 so that nothing is lost. New files are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A read takes at most this many characters of a value (a 260-byte buffer).
inline constexpr std::size_t kIniValueMax = 259;

class IniDocument {
public:
    // A missing or unreadable file gives an empty document.
    static IniDocument Load(const std::string& path);
    static IniDocument Parse(std::string_view bytes);
    // The document to change and save; none for a file that exists but cannot
    // be read (saving it would lose its other lines).
    static std::optional<IniDocument> LoadForWrite(const std::string& path);

    // The whole value (UTF-8), or none when the section or key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Serialize() const;
    bool Save(const std::string& path) const;

    bool IsGbk() const { return m_bGbk; }

private:
    // Index of the section's header line, or none.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::string Decode(std::string_view raw) const;
    void ConvertToUtf8();

    std::vector<std::string> m_lines;  // raw bytes of each line, without its end
    std::string m_eol = "\n";
    bool m_bFinalEol = true;
    bool m_bGbk = false;
};

// Reads one value with an empty default, cut to kIniValueMax characters;
// returns the number of characters read, 0 for a missing or empty value.
int ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string& value);
// The same from a document already read.
int ReadIniValue(const IniDocument& document, std::string_view section, std::string_view key,
                 std::string& value);
// Writes one value, creating the file and the section when needed. A file that
// cannot be written is left alone: the result is false and nothing is reported.
bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);
