#include "dialog_template_win32.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;
constexpr WORD kProgramIconResource = 128;

struct ItemClass {
    DWORD style;
    WORD atom;  // a predefined class, or 0 for a class by name
    const wchar_t* name = nullptr;
};

ItemClass ClassOf(const DialogItem& item)
{
    switch (item.kind) {
        case ControlKind::kGroupBox: return {BS_GROUPBOX, kButtonClass};
        case ControlKind::kLabel: return {SS_LEFT, kStaticClass};
        case ControlKind::kLabelRight: return {SS_RIGHT, kStaticClass};
        case ControlKind::kLabelCentered: return {SS_CENTER, kStaticClass};
        case ControlKind::kLabelNoPrefix: return {SS_LEFT | SS_NOPREFIX, kStaticClass};
        case ControlKind::kIcon: return {SS_ICON, kStaticClass};
        case ControlKind::kComboDropDown:
            return {CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, kComboBoxClass};
        case ControlKind::kEdit:
        case ControlKind::kHexEdit: return {ES_AUTOHSCROLL | WS_BORDER, kEditClass};
        case ControlKind::kLogEdit:
            return {ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL |
                        WS_BORDER,
                    kEditClass};
        // No button is the dialog's default: Enter outside a button is the
        // dialog's OK command, whatever has the focus.
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton: return {BS_PUSHBUTTON, kButtonClass};
        case ControlKind::kFlatPushButton: return {BS_PUSHBUTTON | BS_FLAT, kButtonClass};
        case ControlKind::kRadioButton: return {BS_AUTORADIOBUTTON, kButtonClass};
        case ControlKind::kCheckBox: return {BS_AUTOCHECKBOX, kButtonClass};
        // it lies under the controls it frames, and never paints over them
        case ControlKind::kTabControl:
            return {TCS_RAGGEDRIGHT | WS_CLIPSIBLINGS, 0, WC_TABCONTROLW};
    }
    return {0, kStaticClass};
}

class TemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value)
    {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(std::wstring_view text)
    {
        for (wchar_t c : text)
            Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignToDword()
    {
        if (m_words.size() % 2) Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialogTemplate, DWORD style,
                                      DWORD exStyle)
{
    TemplateWriter out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: the extended form
    out.Dword(0);      // helpID
    out.Dword(exStyle);
    out.Dword(style | DS_SETFONT);
    out.Word(static_cast<WORD>(dialogTemplate.controls.size()));
    out.Word(0);
    out.Word(0);
    out.Word(static_cast<WORD>(dialogTemplate.w));
    out.Word(static_cast<WORD>(dialogTemplate.h));
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(Widen(dialogTemplate.title));
    out.Word(9);  // points
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, GB2312_CHARSET));  // italic, character set
    out.Text(L"宋体");

    for (const DialogItem& item : dialogTemplate.controls) {
        out.AlignToDword();
        const ItemClass kind = ClassOf(item);
        DWORD itemStyle = WS_CHILD | kind.style;
        if (!(item.style & kHidden)) itemStyle |= WS_VISIBLE;
        if (item.style & kTabStop) itemStyle |= WS_TABSTOP;
        if (item.style & kGroup) itemStyle |= WS_GROUP;
        out.Dword(0);  // helpID
        out.Dword(0);  // exStyle
        out.Dword(itemStyle);
        out.Word(static_cast<WORD>(item.x));
        out.Word(static_cast<WORD>(item.y));
        out.Word(static_cast<WORD>(item.w));
        out.Word(static_cast<WORD>(item.h));
        out.Dword(static_cast<DWORD>(item.id == kNoId ? 0xFFFF : item.id));
        if (kind.atom) {
            out.Word(0xFFFF);
            out.Word(kind.atom);
        } else {
            out.Text(kind.name);
        }
        if (item.kind == ControlKind::kIcon) {
            out.Word(0xFFFF);
            out.Word(kProgramIconResource);
        } else {
            out.Text(Widen(item.text));
        }
        out.Word(0);  // no creation data
    }
    return out.Take();
}
