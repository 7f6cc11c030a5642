// A dialog template of the control table in the form the Windows dialog
// manager reads (DLGTEMPLATEEX with its items), made in memory.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "control_template.h"

// The template in the 9-point 宋体 font, with every control of `dialogTemplate`
// in table order (the focus order). `style` is the dialog's own window style.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialogTemplate, DWORD style,
                                      DWORD exStyle);

// Text in the UTF-16 of Windows' wide calls, and back.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
