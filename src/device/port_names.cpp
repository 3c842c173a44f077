#include "device/port_names.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace kelvaron {

#ifdef _WIN32

QString ResolvePortDevice(int n, const QString&, const QString&) {
    if (n < 1) return {};
    return QStringLiteral("\\\\.\\COM%1").arg(n);
}

#else

namespace {

// Devices "<prefix><number>" present in devDir, ordered by number.
QStringList DevicesByNumber(const QDir& dev, const QString& prefix) {
    const QRegularExpression pattern("^" + QRegularExpression::escape(prefix) + "(\\d+)$");
    std::vector<std::pair<int, QString> > found;
    for (const QString& name : dev.entryList({prefix + "*"}, QDir::System | QDir::Files)) {
        const auto match = pattern.match(name);
        if (match.hasMatch()) found.emplace_back(match.captured(1).toInt(), name);
    }
    std::sort(found.begin(), found.end());
    QStringList paths;
    for (const auto& entry : found) paths << dev.filePath(entry.second);
    return paths;
}

}  // namespace

QString ResolvePortDevice(int n, const QString& portsDir, const QString& devDir) {
    if (n < 1) return {};
    const QString entry = QDir(portsDir).filePath(QStringLiteral("COM%1").arg(n));
    const QFileInfo info(entry);
    if (info.isSymLink() || info.exists()) return entry;

    const QDir dev(devDir);
    QStringList devices;
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"})
        devices << DevicesByNumber(dev, QString::fromLatin1(prefix));
    if (n > devices.size()) return {};
    return devices.at(n - 1);
}

#endif

}  // namespace kelvaron
