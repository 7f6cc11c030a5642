// A dialog template of the control table in the form the Windows dialog
// manager reads (DLGTEMPLATEEX with its items), made in memory.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "control_template.h"
#include "wide_text_win32.h"

// The template in the 9-point 宋体 font, with every control of `dialogTemplate`
// in table order (the focus order). `style` is the dialog's own window style.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialogTemplate, DWORD style,
                                      DWORD exStyle);
