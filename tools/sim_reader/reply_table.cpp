#include "reply_table.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// "delay=50" → 50 into `value`; false when `word` is no such option.
bool Option(std::string_view word, std::string_view name, int& value)
{
    if (word.substr(0, name.size()) != name || word.size() <= name.size()) return false;
    value = 0;
    for (char c : word.substr(name.size())) {
        if (c < '0' || c > '9' || value > 600000) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

std::optional<Bytes> ParseHexBytes(std::string_view text)
{
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<unsigned char>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

std::string HexText(const Bytes& bytes)
{
    std::string text;
    char pair[4];
    for (unsigned char b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", b);
        text += pair;
    }
    if (!text.empty()) text.pop_back();
    return text;
}

std::optional<ReplyTable> ReplyTable::Parse(std::string_view text, std::string& error)
{
    ReplyTable table;
    std::istringstream lines{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string_view content = Trim(line);
        if (content.empty() || content.front() == '#') continue;
        const std::size_t arrow = content.find("=>");
        if (arrow == std::string_view::npos) {
            error = "line " + std::to_string(number) + ": no \"=>\"";
            return std::nullopt;
        }
        Rule rule;
        std::string_view pattern = Trim(content.substr(0, arrow));
        if (!pattern.empty() && pattern.back() == '*') {
            rule.prefix = true;
            pattern = Trim(pattern.substr(0, pattern.size() - 1));
        }
        const auto patternBytes = ParseHexBytes(pattern);
        if (!patternBytes || (patternBytes->empty() && !rule.prefix)) {
            error = "line " + std::to_string(number) + ": the request is not hex bytes";
            return std::nullopt;
        }
        rule.pattern = *patternBytes;

        std::istringstream words{std::string(content.substr(arrow + 2))};
        std::string word;
        std::string replyHex;
        while (words >> word) {
            if (word == "none")
                rule.reply.silent = true;
            else if (word == "echo")
                rule.reply.echo = true;
            else if (!Option(word, "delay=", rule.reply.delayMs) &&
                     !Option(word, "gap=", rule.reply.gapMs))
                replyHex += word;
        }
        const auto reply = ParseHexBytes(replyHex);
        if (!reply) {
            error = "line " + std::to_string(number) + ": the reply is not hex bytes";
            return std::nullopt;
        }
        rule.reply.bytes = *reply;
        table.m_rules.push_back(std::move(rule));
    }
    return table;
}

Reply ReplyTable::Answer(const Bytes& request) const
{
    for (const Rule& rule : m_rules) {
        const bool matches =
            rule.prefix ? request.size() >= rule.pattern.size() &&
                              std::equal(rule.pattern.begin(), rule.pattern.end(), request.begin())
                        : request == rule.pattern;
        if (!matches) continue;
        Reply reply = rule.reply;
        if (reply.echo) reply.bytes = request;
        return reply;
    }
    Reply reply = m_default;
    if (reply.echo) reply.bytes = request;
    return reply;
}
