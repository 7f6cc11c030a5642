#include "command_rows.h"

#include <fstream>

#include "quillard/field_parse.h"
#include "quillard/path_text.h"

std::optional<RowTexts> ParseRowText(std::string_view text, unsigned long defaultTimeout,
                                     std::string origin, std::string& error)
{
    RowTexts row{{}, {}, defaultTimeout, std::move(origin), std::nullopt, std::string(text)};
    if (const std::size_t arrow = text.rfind("=>"); arrow != std::string_view::npos) {
        std::string why;
        row.expect = ExpectedReply::Parse(text.substr(arrow + 2), why);
        if (!row.expect) {
            error = row.origin + ": " + why;
            return std::nullopt;
        }
        text = text.substr(0, arrow);
    }
    if (const std::size_t at = text.rfind('@'); at != std::string_view::npos) {
        const auto timeout = ParseUnsignedField(text.substr(at + 1));
        if (!timeout) {
            error = row.origin + ": the reply time-out after '@': " + kNotUnsignedMessage;
            return std::nullopt;
        }
        row.timeout = *timeout;
        text = text.substr(0, at);
    }
    if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        row.address = text.substr(0, colon);
        text = text.substr(colon + 1);
    }
    row.command = text;
    return row;
}

std::optional<std::vector<RowTexts>> ReadRowsFile(const std::string& path,
                                                  unsigned long defaultTimeout, std::string& error)
{
    std::ifstream file(PathFromText(path), std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::vector<RowTexts> rows;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        auto row = ParseRowText(line, defaultTimeout, path + ":" + std::to_string(number), error);
        if (!row) return std::nullopt;
        rows.push_back(std::move(*row));
    }
    return rows;
}

std::vector<RowTexts> HistoryRows(const ProtocolEntry& entry, unsigned long defaultTimeout)
{
    std::vector<RowTexts> rows;
    for (int j = 0; j < kHistoryRows; ++j) {
        if (WithoutSpaces(entry.szCmd[j]).empty()) continue;
        rows.push_back(
            {entry.szAddr[j], entry.szCmd[j], defaultTimeout,
             "History.ini " + entry.szSection + " row " + std::to_string(j + 1), std::nullopt,
             WithoutSpaces(entry.szAddr[j]).empty() ? entry.szCmd[j]
                                                    : entry.szAddr[j] + ":" + entry.szCmd[j]});
    }
    return rows;
}

RowParseResult PrepareCommandText(const RowTexts& row, int addrLen, bool hexMode,
                                  std::string& prepared)
{
    return ParseRowTexts(row.address, row.command, addrLen, hexMode, prepared);
}

std::optional<std::vector<LoopRow>> PrepareRows(const std::vector<RowTexts>& rows, int addrLen,
                                                bool hexMode, int language, std::string& message)
{
    std::vector<LoopRow> prepared;
    for (const RowTexts& row : rows) {
        LoopRow loopRow{{}, row.timeout};
        const RowParseResult result = PrepareCommandText(row, addrLen, hexMode, loopRow.text);
        if (result != RowParseResult::kOk) {
            message = row.origin + ": " + RowParseMessage(result, addrLen, language);
            return std::nullopt;
        }
        prepared.push_back(std::move(loopRow));
    }
    return prepared;
}
