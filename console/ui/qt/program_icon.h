// The program icon (window, task bar, About box), drawn rather than stored.
#pragma once

#include <QIcon>

QIcon ProgramIcon();
