#include "quillard/repeat_fold.h"

#include <algorithm>

namespace {

// A transaction failed unless a reply was taken as good.
bool Failed(const std::vector<std::string>& lines)
{
    return std::none_of(lines.begin(), lines.end(),
                        [](const std::string& line) { return line.starts_with("  IN│ SUCCESS│"); });
}

}  // namespace

std::string RepeatedText(unsigned long count, bool english)
{
    if (english)
        return count == 1 ? "… repeated once" : "… repeated " + std::to_string(count) + " times";
    return "… 重复 " + std::to_string(count) + " 次";
}

std::vector<RepeatFolder::Line> RepeatFolder::Take(Line line)
{
    std::vector<Line> out;
    // A line between transactions (a message, a note on the port) stands
    // alone, and the next transaction begins a run of its own.
    if (m_current.empty() && !line.text.starts_with(" OUT│")) {
        out = Flush();
        out.push_back(std::move(line));
        return out;
    }
    m_current.push_back(line.text);
    const std::size_t at = m_current.size() - 1;
    m_matching = m_matching && at < m_lastFailed.size() && m_lastFailed[at] == line.text;
    const bool ends = line.endsTransaction;
    if (m_matching && ends && at + 1 == m_lastFailed.size()) {
        // the same failure once more
        ++m_repeats;
        m_lastRepeat = line.stamp;
        m_held.clear();
    } else if (m_matching && !ends) {
        m_held.push_back(std::move(line));
        return out;
    } else {
        if (!m_held.empty() || m_repeats) out = Flush();
        out.push_back(std::move(line));
        if (ends) m_lastFailed = Failed(m_current) ? m_current : std::vector<std::string>{};
    }
    if (ends) {
        m_current.clear();
        m_matching = true;
    }
    return out;
}

std::vector<RepeatFolder::Line> RepeatFolder::Flush()
{
    std::vector<Line> out;
    if (m_repeats) out.push_back({m_lastRepeat, RepeatedText(m_repeats, m_bEnglish), false});
    m_repeats = 0;
    for (Line& line : m_held)
        out.push_back(std::move(line));
    m_held.clear();
    // a new run begins with its first transaction written
    m_lastFailed.clear();
    m_matching = false;
    if (m_current.empty()) m_matching = true;
    return out;
}
