#pragma once
// Dates, times and the decimal separator as the station's locale writes them.
// In the Russian locale: 08.12.2026, 9:05:07 and a comma. A time never carries a
// time-zone name.
#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace kelvaron {

// The short date format of `locale` (dd.MM.yyyy in Russian).
QString ShortDate(const QDate& date, const QLocale& locale = QLocale::system());
// The long time format of `locale` without the time zone (H:mm:ss in Russian).
QString LongTime(const QTime& time, const QLocale& locale = QLocale::system());
QChar DecimalSeparator(const QLocale& locale = QLocale::system());

}  // namespace kelvaron
