// The journal's table and its CSV export.
#include "journal/journal_table.h"

#include "base/locale_formats.h"
#include "base/quantities.h"
#include "base/text_codec.h"

#include <cmath>

namespace kelvaron {

namespace {

bool IsNumberColumn(JournalColumn column) {
    return column == JournalColumn::K || column == JournalColumn::N;
}

QString CsvField(QString text, JournalColumn column) {
    const QString start = text.trimmed();
    if (!IsNumberColumn(column) && !start.isEmpty() &&
        QStringLiteral("=+-@").contains(start.front()))
        text.prepend(QLatin1Char('\''));
    const bool quoted = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        text != text.trimmed();
    if (!quoted) return text;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

QStringList JournalColumnTitles() {
    return {QStringLiteral("Дата"),    QStringLiteral("Время"),    QStringLiteral("Номер"),
            QStringLiteral("Марка"),   QStringLiteral("Владелец"), QStringLiteral("Тест"),
            QStringLiteral("K, м-1"),  QStringLiteral("N, %"),     QStringLiteral("Результат"),
            QStringLiteral("Решение"), QStringLiteral("Линия")};
}

QString JournalCell(const EntrySummary& e, JournalColumn column) {
    const QChar comma = QLatin1Char(',');
    switch (column) {
        case JournalColumn::Date:
            return ShortDate(e.moment.date());
        case JournalColumn::Time:
            return LongTime(e.moment.time());
        case JournalColumn::Number:
            return e.number;
        case JournalColumn::Make:
            return e.make;
        case JournalColumn::Owner:
            return e.owner;
        case JournalColumn::Test:
            return TestKindText(e.kind);
        case JournalColumn::K:
            return std::isfinite(e.meanK) ? FormatFixed(e.meanK, 2, comma) : QStringLiteral(">>");
        case JournalColumn::N:
            return FormatFixed(e.meanN, 1, comma);
        case JournalColumn::Result:
            return ResultText(e.kind, e.validity);
        case JournalColumn::Decision:
            return e.decision;
        case JournalColumn::Lane:
            return e.lane;
    }
    return {};
}

QByteArray JournalCsv(const QList<EntrySummary>& entries) {
    QStringList rows;
    rows << JournalColumnTitles().join(QLatin1Char(';'));
    for (const EntrySummary& e : entries) {
        QStringList fields;
        for (int c = 0; c < kJournalColumns; ++c) {
            const auto column = static_cast<JournalColumn>(c);
            fields << CsvField(JournalCell(e, column), column);
        }
        rows << fields.join(QLatin1Char(';'));
    }
    return EncodeCp1251(rows.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
}

}  // namespace kelvaron
