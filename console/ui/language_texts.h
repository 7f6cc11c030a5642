// The window's texts in its two languages: 0 Chinese, 1 English.
#pragma once

#include <span>

struct ControlTexts {
    int id;
    const char* chinese;
    const char* english;
};

// The control texts a language change writes, in the order it writes them.
std::span<const ControlTexts> LanguageControlTexts();

// The text for `language`: English for 1, Chinese otherwise.
inline const char* InLanguage(int language, const char* chinese, const char* english)
{
    return language == 1 ? english : chinese;
}
