// The traffic log's rules on a multi-line Windows edit control: lengths are
// the control's own (a line break counts two), lines go in at the end with
// EM_SETSEL and EM_REPLACESEL, the last of them is selected and scrolled into
// view, and the control's limit (EM_LIMITTEXT) cuts what does not fit.
#pragma once

#include <windows.h>

#include "quillard/traffic_log.h"

class LogEditWin32 : public LogView {
public:
    explicit LogEditWin32(HWND edit) : m_edit(edit) {}
    HWND Handle() const { return m_edit; }

    std::size_t TextLength() const override;
    void SetText(std::string_view text) override;
    void InsertAndSelect(std::size_t position, std::string_view text,
                         std::size_t selectFrom) override;

private:
    HWND m_edit;
};
