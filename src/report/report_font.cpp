#include "report/report_font.h"

#include <QFontDatabase>
#include <QList>
#include <QStringList>

namespace kelvaron {

QString ReportFontFamily() {
    const QStringList installed = QFontDatabase::families();
    const QString lucida = QStringLiteral("Lucida Console");
    if (installed.contains(lucida, Qt::CaseInsensitive)) return lucida;
    for (const QString& family :
         {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")}) {
        if (installed.contains(family, Qt::CaseInsensitive) &&
            QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic))
            return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont ReportFont(int pointSize) {
    QFont font(ReportFontFamily());
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setBold(true);
    if (pointSize > 0) font.setPointSize(pointSize);
    return font;
}

}  // namespace kelvaron
