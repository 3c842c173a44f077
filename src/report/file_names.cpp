#include "report/file_names.h"

namespace kelvaron {

namespace {

QString TwoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

QString Part(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? trimmed : trimmed + QLatin1Char('_');
}

}  // namespace

QString StampedBaseName(const ReportHeader& header, const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    return Part(header.vehicleNumber) + Part(header.owner) + TwoDigits(date.month()) +
           QLatin1Char('-') + TwoDigits(date.day()) + QLatin1Char('_') + TwoDigits(time.hour()) +
           QLatin1Char('-') + TwoDigits(time.minute());
}

}  // namespace kelvaron
