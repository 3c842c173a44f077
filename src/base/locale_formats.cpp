#include "base/locale_formats.h"

#include <QRegularExpression>

namespace kelvaron {

QLocale ProgramLocale() { return QLocale(QLocale::Russian, QLocale::Russia); }

QString ShortDate(const QDate& date, const QLocale& locale) {
    return locale.toString(date, locale.dateFormat(QLocale::ShortFormat));
}

QString LongTime(const QTime& time, const QLocale& locale) {
    // Windows writes the Russian long time as H:mm:ss, and the station's files and
    // printed reports follow it; Qt's own Russian data says HH:mm:ss.
    if (locale.language() == QLocale::Russian) return time.toString(QStringLiteral("H:mm:ss"));
    QString format = locale.timeFormat(QLocale::LongFormat);
    // "t" is the time zone: drop it with the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return locale.toString(time, format.trimmed());
}

QChar DecimalSeparator(const QLocale& locale) { return locale.decimalPoint().at(0); }

}  // namespace kelvaron
