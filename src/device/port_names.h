#pragma once
// Where the serial port COMn lives on this machine.
#include <QString>

namespace kelvaron {

// The device path to open for COM<n>.
// On Windows it is "\\.\COMn". Elsewhere an entry "COMn" in `portsDir` (normally a
// symbolic link to a device) wins; otherwise COMn is the n-th serial device present
// in `devDir`, in the order ttyUSB*, ttyACM*, ttyS*, each by number. An empty
// string means there is no such port.
QString ResolvePortDevice(int n, const QString& portsDir, const QString& devDir = "/dev");

}  // namespace kelvaron
