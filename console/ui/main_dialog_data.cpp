// The data exchange between the window's controls and its members, in the
// order in which the values are bound: the rows' time-outs, commands,
// addresses and loop flags, then the character time-out and the language.
#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/field_parse.h"

namespace {

constexpr std::uint32_t kCharTimeoutLow = 1;
constexpr std::uint32_t kCharTimeoutHigh = 100000;

// Positions of the bound values in the binding order.
constexpr std::size_t TimeoutField(int row)
{
    return static_cast<std::size_t>(row);
}
constexpr std::size_t CommandField(int row)
{
    return static_cast<std::size_t>(MainDialog::kRows + row);
}
constexpr std::size_t AddressField(int row)
{
    return static_cast<std::size_t>(2 * MainDialog::kRows + row);
}
constexpr std::size_t LoopCheckField(int row)
{
    return static_cast<std::size_t>(3 * MainDialog::kRows + row);
}
constexpr std::size_t kCharTimeoutField = 4 * MainDialog::kRows;
constexpr std::size_t kLanguageField = kCharTimeoutField + 1;

}  // namespace

bool MainDialog::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) return TakeValues() == ExchangeOutcome::kTaken;
    PutValues();
    return true;
}

// Puts the members into the controls, except the values that the last take
// failed to reach: those controls keep what the user sees.
void MainDialog::PutValues()
{
    DialogWindow& window = *m_window;
    auto put = [this](std::size_t field) { return !m_untaken.test(field); };
    for (int row = 0; row < kRows; ++row)
        if (put(TimeoutField(row)))
            window.SetItemText(TimeoutId(row), std::to_string(m_nRowTimeout[row]));
    for (int row = 0; row < kRows; ++row)
        if (put(CommandField(row))) window.SetItemText(CommandId(row), m_strCmd[row]);
    for (int row = 0; row < kRows; ++row)
        if (put(AddressField(row))) window.SetItemText(AddressId(row), m_strAddr[row]);
    for (int row = 0; row < kRows; ++row)
        if (put(LoopCheckField(row))) window.SetCheck(LoopCheckId(row), m_bLoopCheck[row] != 0);
    if (put(kCharTimeoutField)) window.SetItemText(1087, std::to_string(m_nCharTimeout));
    if (put(kLanguageField)) {
        window.SetCheck(1097, m_nLanguage != 1);
        window.SetCheck(1098, m_nLanguage == 1);
    }
    m_untaken.reset();
}

MainDialog::ExchangeOutcome MainDialog::TakeValues()
{
    DialogWindow& window = *m_window;
    m_untaken.reset();
    // A value that fails: message, focus on its edit with the text selected,
    // and the values bound from it on stay as they were.
    auto fail = [this, &window](int id, std::size_t field, const std::string& message) {
        for (std::size_t untaken = field; untaken < m_untaken.size(); ++untaken)
            m_untaken.set(untaken);
        MessageBox(message);
        window.SetFocus(id);
        window.SelectAllText(id);
    };

    for (int row = 0; row < kRows; ++row) {
        const auto value = ParseUnsignedField(window.GetItemText(TimeoutId(row)));
        if (!value) {
            ShowRowsDownTo(row);
            fail(TimeoutId(row), TimeoutField(row), kNotUnsignedMessage);
            return ExchangeOutcome::kRowValueFailed;
        }
        m_nRowTimeout[row] = *value;
    }
    for (int row = 0; row < kRows; ++row)
        m_strCmd[row] = window.GetItemText(CommandId(row));
    for (int row = 0; row < kRows; ++row)
        m_strAddr[row] = window.GetItemText(AddressId(row));
    for (int row = 0; row < kRows; ++row)
        m_bLoopCheck[row] = window.IsChecked(LoopCheckId(row)) ? 1 : 0;

    const auto charTimeout = ParseUnsignedField(window.GetItemText(1087));
    if (!charTimeout) {
        fail(1087, kCharTimeoutField, kNotUnsignedMessage);
        return ExchangeOutcome::kOtherValueFailed;
    }
    m_nCharTimeout = *charTimeout;
    if (m_nCharTimeout < kCharTimeoutLow || m_nCharTimeout > kCharTimeoutHigh) {
        fail(1087, kCharTimeoutField, RangeMessage(kCharTimeoutLow, kCharTimeoutHigh));
        return ExchangeOutcome::kOtherValueFailed;
    }
    m_engine.SetCharTimeout(m_nCharTimeout);

    if (window.IsChecked(1098))
        m_nLanguage = 1;
    else if (window.IsChecked(1097))
        m_nLanguage = 0;
    return ExchangeOutcome::kTaken;
}

// The rows' texts and loop flags straight from their controls, whatever a
// data exchange reached: what the user sees.
void MainDialog::TakeRowTexts()
{
    for (int row = 0; row < kRows; ++row) {
        m_strAddr[row] = m_window->GetItemText(AddressId(row));
        m_strCmd[row] = m_window->GetItemText(CommandId(row));
        m_untaken.reset(CommandField(row));
        m_untaken.reset(AddressField(row));
    }
}

void MainDialog::TakeLoopChecks()
{
    for (int row = 0; row < kRows; ++row) {
        m_bLoopCheck[row] = m_window->IsChecked(LoopCheckId(row)) ? 1 : 0;
        m_untaken.reset(LoopCheckField(row));
    }
}

void MainDialog::ApplyLanguage(int flag)
{
    for (const ControlTexts& texts : LanguageControlTexts())
        m_window->SetItemText(texts.id, flag ? texts.english : texts.chinese);
    ApplyLoopToolTexts();
}

void MainDialog::OnLanguageRadio()
{
    UpdateData(true);
    ApplyLanguage(m_nLanguage);
}
