// The data exchange between the window's controls and its members, in the
// order in which the values are bound.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "language_texts.h"
#include "main_dialog.h"
#include "quillard/field_parse.h"

namespace {

constexpr std::uint32_t kCharTimeoutLow = 1;
constexpr std::uint32_t kCharTimeoutHigh = 100000;

}  // namespace

bool MainDialog::UpdateData(bool saveAndValidate)
{
    // A value that fails: message, focus on its edit with the text selected,
    // and the values bound after it stay as they were.
    auto fail = [this](QLineEdit* edit, const std::string& message) {
        MessageBox(QString::fromStdString(message));
        edit->setFocus();
        edit->selectAll();
        return false;
    };
    auto text = [this](int id) { return Item<QLineEdit>(id)->text().toStdString(); };

    if (!saveAndValidate) {
        for (int row = 0; row < kRows; ++row)
            Item<QLineEdit>(TimeoutId(row))->setText(QString::number(m_nRowTimeout[row]));
        for (int row = 0; row < kRows; ++row)
            Item<QLineEdit>(CommandId(row))->setText(QString::fromStdString(m_strCmd[row]));
        for (int row = 0; row < kRows; ++row)
            Item<QLineEdit>(AddressId(row))->setText(QString::fromStdString(m_strAddr[row]));
        for (int row = 0; row < kRows; ++row)
            Item<QCheckBox>(LoopCheckId(row))->setChecked(m_bLoopCheck[row] != 0);
        Item<QLineEdit>(1087)->setText(QString::number(m_nCharTimeout));
        Item<QRadioButton>(m_nLanguage == 1 ? 1098 : 1097)->setChecked(true);
        return true;
    }

    for (int row = 0; row < kRows; ++row) {
        const auto value = ParseUnsignedField(text(TimeoutId(row)));
        if (!value) return fail(Item<QLineEdit>(TimeoutId(row)), kNotUnsignedMessage);
        m_nRowTimeout[row] = *value;
    }
    for (int row = 0; row < kRows; ++row)
        m_strCmd[row] = text(CommandId(row));
    for (int row = 0; row < kRows; ++row)
        m_strAddr[row] = text(AddressId(row));
    for (int row = 0; row < kRows; ++row)
        m_bLoopCheck[row] = Item<QCheckBox>(LoopCheckId(row))->isChecked() ? 1 : 0;

    auto* charTimeoutEdit = Item<QLineEdit>(1087);
    const auto charTimeout = ParseUnsignedField(text(1087));
    if (!charTimeout) return fail(charTimeoutEdit, kNotUnsignedMessage);
    m_nCharTimeout = *charTimeout;
    if (m_nCharTimeout < kCharTimeoutLow || m_nCharTimeout > kCharTimeoutHigh)
        return fail(charTimeoutEdit, RangeMessage(kCharTimeoutLow, kCharTimeoutHigh));
    m_engine.SetCharTimeout(m_nCharTimeout);

    if (Item<QRadioButton>(1098)->isChecked())
        m_nLanguage = 1;
    else if (Item<QRadioButton>(1097)->isChecked())
        m_nLanguage = 0;
    return true;
}

void MainDialog::ApplyLanguage(int flag)
{
    for (const ControlTexts& texts : LanguageControlTexts()) {
        const QString text = QString::fromUtf8(flag ? texts.english : texts.chinese);
        QWidget* control = GetDlgItem(texts.id);
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(control))
            group->setTitle(text);
    }
}

void MainDialog::OnLanguageRadio()
{
    UpdateData(true);
    ApplyLanguage(m_nLanguage);
}
