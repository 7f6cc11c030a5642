// A loop against a reader that has gone fails the same way again and again,
// several times a second for as long as the loop runs. In the log file such a
// run of transactions that failed alike stands as its first transaction and
// one line "… repeated N times" when the run ends: when another line comes,
// or a block (the loop's summary), or the file closes. A transaction that
// succeeded is never folded.
#pragma once

#include <chrono>
#include <string>
#include <vector>

class RepeatFolder {
public:
    struct Line {
        std::chrono::system_clock::time_point stamp;
        std::string text;
        bool endsTransaction = false;
    };

    explicit RepeatFolder(bool english = false) : m_bEnglish(english) {}
    void SetEnglish(bool english) { m_bEnglish = english; }

    // Takes one line of the traffic log; gives the lines to write now, in order.
    std::vector<Line> Take(Line line);
    // The run under way ends here: its "repeated" line and any lines held.
    std::vector<Line> Flush();

private:
    bool m_bEnglish;
    std::vector<std::string> m_lastFailed;  // the last transaction written, when it failed
    std::vector<std::string> m_current;     // the transaction under way
    std::vector<Line> m_held;               // its lines, held while they match m_lastFailed
    bool m_matching = true;                 // the transaction under way matches m_lastFailed so far
    unsigned long m_repeats = 0;
    std::chrono::system_clock::time_point m_lastRepeat;
};

// "… repeated 12 times", or its Chinese text.
std::string RepeatedText(unsigned long count, bool english);
