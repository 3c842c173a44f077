#include "base/program_dir.h"

#include <QCoreApplication>
#include <QDir>

namespace kelvaron {

QString ProgramDir() {
    return QDir(QCoreApplication::applicationDirPath()).absolutePath() + QLatin1Char('/');
}

}  // namespace kelvaron
