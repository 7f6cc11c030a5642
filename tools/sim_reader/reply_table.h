// What the simulated reader answers: a table of request patterns and replies,
// read from a small text file, one rule a line:
//
//   # comment
//   00 A4 04 00      => 90 00                  an exact request
//   80 CA *          => 6A 82 delay=50 gap=2   any request that starts so
//   00 B0            => none                   no reply at all
//   *                => echo                   the request back
//
// delay=ms waits before the reply, gap=ms between its bytes. The first rule
// that matches answers; a request no rule matches gets the default reply.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct Reply {
    Bytes bytes;
    bool echo = false;    // the request itself
    bool silent = false;  // no reply
    int delayMs = 0;
    int gapMs = 0;
};

class ReplyTable {
public:
    // Parses a table; on a bad line, `error` says which and why.
    static std::optional<ReplyTable> Parse(std::string_view text, std::string& error);

    void SetDefault(Reply reply) { m_default = std::move(reply); }
    // The reply to `request` (the echo already filled in).
    Reply Answer(const Bytes& request) const;

private:
    struct Rule {
        Bytes pattern;
        bool prefix = false;
        Reply reply;
    };
    std::vector<Rule> m_rules;
    Reply m_default{{0x90, 0x00}};
};

// "00 a4 0400" → bytes; none for anything but hex pairs and blanks.
std::optional<Bytes> ParseHexBytes(std::string_view text);
std::string HexText(const Bytes& bytes);
