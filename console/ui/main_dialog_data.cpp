// The data exchange between the window's controls and its members, in the
// order in which the values are bound.
#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/field_parse.h"

namespace {

constexpr std::uint32_t kCharTimeoutLow = 1;
constexpr std::uint32_t kCharTimeoutHigh = 100000;

}  // namespace

bool MainDialog::UpdateData(bool saveAndValidate)
{
    DialogWindow& window = *m_window;
    // A value that fails: message, focus on its edit with the text selected,
    // and the values bound after it stay as they were.
    auto fail = [this, &window](int id, const std::string& message) {
        MessageBox(message);
        window.SetFocus(id);
        window.SelectAllText(id);
        return false;
    };

    if (!saveAndValidate) {
        for (int row = 0; row < kRows; ++row)
            window.SetItemText(TimeoutId(row), std::to_string(m_nRowTimeout[row]));
        for (int row = 0; row < kRows; ++row)
            window.SetItemText(CommandId(row), m_strCmd[row]);
        for (int row = 0; row < kRows; ++row)
            window.SetItemText(AddressId(row), m_strAddr[row]);
        for (int row = 0; row < kRows; ++row)
            window.SetCheck(LoopCheckId(row), m_bLoopCheck[row] != 0);
        window.SetItemText(1087, std::to_string(m_nCharTimeout));
        window.SetCheck(1097, m_nLanguage != 1);
        window.SetCheck(1098, m_nLanguage == 1);
        return true;
    }

    for (int row = 0; row < kRows; ++row) {
        const auto value = ParseUnsignedField(window.GetItemText(TimeoutId(row)));
        if (!value) return fail(TimeoutId(row), kNotUnsignedMessage);
        m_nRowTimeout[row] = *value;
    }
    for (int row = 0; row < kRows; ++row)
        m_strCmd[row] = window.GetItemText(CommandId(row));
    for (int row = 0; row < kRows; ++row)
        m_strAddr[row] = window.GetItemText(AddressId(row));
    for (int row = 0; row < kRows; ++row)
        m_bLoopCheck[row] = window.IsChecked(LoopCheckId(row)) ? 1 : 0;

    const auto charTimeout = ParseUnsignedField(window.GetItemText(1087));
    if (!charTimeout) return fail(1087, kNotUnsignedMessage);
    m_nCharTimeout = *charTimeout;
    if (m_nCharTimeout < kCharTimeoutLow || m_nCharTimeout > kCharTimeoutHigh)
        return fail(1087, RangeMessage(kCharTimeoutLow, kCharTimeoutHigh));
    m_engine.SetCharTimeout(m_nCharTimeout);

    if (window.IsChecked(1098))
        m_nLanguage = 1;
    else if (window.IsChecked(1097))
        m_nLanguage = 0;
    return true;
}

void MainDialog::ApplyLanguage(int flag)
{
    for (const ControlTexts& texts : LanguageControlTexts())
        m_window->SetItemText(texts.id, flag ? texts.english : texts.chinese);
}

void MainDialog::OnLanguageRadio()
{
    UpdateData(true);
    ApplyLanguage(m_nLanguage);
}
