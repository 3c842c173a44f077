#pragma once
// What the whole application shares, set once in main before the window: its
// name, tool tips shown 10 ms after the pointer rests on aqua, and Qt's own
// dialogs and buttons in the language of the rest of the program.
class QApplication;

namespace kelvaron {

void ApplyApplicationLook(QApplication& app);

}  // namespace kelvaron
