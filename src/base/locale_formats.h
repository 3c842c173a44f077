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
// The program speaks Russian whatever the machine's locale: dates dd.MM.yyyy,
// times H:mm:ss and the decimal comma, on screen, in files and on paper.
QLocale ProgramLocale();

QString ShortDate(const QDate& date, const QLocale& locale = ProgramLocale());
// The long time format of `locale` without the time zone (H:mm:ss in Russian).
QString LongTime(const QTime& time, const QLocale& locale = ProgramLocale());
QChar DecimalSeparator(const QLocale& locale = ProgramLocale());

}  // namespace kelvaron
