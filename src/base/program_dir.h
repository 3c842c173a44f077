#pragma once
#include <QString>

namespace kelvaron {

// The absolute folder of the executable, with a trailing separator. Every file and
// folder of the program is found relative to it, never to the working directory.
QString ProgramDir();

}  // namespace kelvaron
