// Settings files in the private-profile form:
//   [Section]
//   key=value
// Section and key names match without regard to case; blanks around names and
// values are dropped, and a value in matching quotes loses them. Lines end in
// CR LF, LF or CR alone. A write changes one line (or adds one, or a section at
// the end, with no blank line before it) and keeps every other line as it was,
// byte for byte, its line end included.
//
// Text is UTF-8 inside. A file keeps the one encoding it has (DetectFileEncoding,
// UTF-16 with its byte-order mark included):
// values are read from it and written to it in that encoding, and the file is
// never converted. New files are GBK with CR LF line ends, as the Windows
// program writes them. A character that a GBK file cannot hold is written as '?'
// (the row edits let no such character in, so it comes only from a caller's
// mistake).
//
// Every save replaces the file in one step (ReplaceFileContents): a full disk
// or a failing rename leaves the old file as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillard/file_encoding.h"

// Where a file is read from, and where it is written: the same file, or (a
// user's own copy of a file that the program folder keeps) another one, which
// a write makes from what was read.
struct IniPaths {
    IniPaths(std::string path) : read(path), write(std::move(path)) {}  // one file
    IniPaths(std::string readPath, std::string writePath)
        : read(std::move(readPath)), write(std::move(writePath))
    {
    }
    std::string read;
    std::string write;
};

// A read takes at most this many bytes of a value in the file's encoding (a
// 260-byte buffer), never part of a character.
inline constexpr std::size_t kIniValueMax = 259;

class IniDocument {
public:
    // A missing or unreadable file gives an empty document, as a new file.
    static IniDocument Load(const std::string& path);
    static IniDocument Parse(std::string_view bytes);
    // The document to change and save; none for a file that exists but cannot
    // be read (saving it would lose its other lines).
    static std::optional<IniDocument> LoadForWrite(const std::string& path);

    // The whole value (UTF-8), or none when the section or key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // The value as the file holds it, in the file's encoding.
    std::optional<std::string> GetStored(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Serialize() const;
    bool Save(const std::string& path) const;

    FileEncoding Encoding() const { return m_encoding; }
    // Text of the file's encoding as UTF-8, and back.
    std::string Decode(std::string_view stored) const;
    std::string Encode(std::string_view text) const;

private:
    struct Line {
        std::string stored;  // the bytes of the line, without its end
        std::string text;    // the same as UTF-8
        std::string end;     // "\r\n", "\n", "\r", or "" for a last line without one
    };
    Line MakeLine(std::string stored, std::string end) const;
    // Index of the section's header line, or none.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index of the key's line in the section that starts at `header`, or none.
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    // Puts a new line at index `at`, ended as the document ends the lines it adds.
    void InsertLine(std::size_t at, std::string stored);

    std::vector<Line> m_lines;
    std::string m_eol = "\r\n";  // the end of lines the document adds
    bool m_bBom = false;
    FileEncoding m_encoding = FileEncoding::kGbk;
};

// Reads one value with an empty default, cut to kIniValueMax bytes; returns the
// number of bytes read (in the file's encoding), 0 for a missing or empty value.
int ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string& value);
// The same from a document already read.
int ReadIniValue(const IniDocument& document, std::string_view section, std::string_view key,
                 std::string& value);
// Writes one value into what `paths.read` holds, saved as `paths.write`,
// creating the file and the section when needed. A file that cannot be
// written is left alone: the result is false and nothing is reported.
bool WriteIniValue(const IniPaths& paths, std::string_view section, std::string_view key,
                   std::string_view value);
