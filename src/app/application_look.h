#pragma once
// What the whole application shares, set once in main before the window: its
// name and icon, tool tips shown 10 ms after the pointer rests on aqua, and Qt's
// own dialogs and buttons in the language of the rest of the program.
#include <QIcon>

class QApplication;

namespace kelvaron {

void ApplyApplicationLook(QApplication& app);

// The program's icon (the opacimeter's measuring tube under a puff of smoke),
// built into the program: its windows, the about box, a desktop entry.
QIcon ProgramIcon();

}  // namespace kelvaron
