#pragma once
// Journal entries made up for tests and benches: entry `n` of a lane is always
// the same, so a reader can tell a whole entry from a damaged one.
#include "journal/journal_entry.h"

#include <QDateTime>
#include <QString>

namespace kelvaron::testing {

inline JournalEntry SyntheticEntry(int n, const QString& lane = QStringLiteral("Линия 1"),
                                   const QDateTime& start = QDateTime(QDate(2026, 3, 1),
                                                                      QTime(8, 0))) {
    JournalEntry e;
    e.id = QStringLiteral("%1-%2").arg(lane).arg(n, 6, 10, QLatin1Char('0'));
    e.revision = 1;
    e.moment = start.addSecs(97LL * n);
    e.lane = lane;
    e.stationLine1 = QStringLiteral("Станция технического осмотра № 3");
    e.stationLine2 = QStringLiteral("г. Энск, ул. Заводская, 1");
    e.header.vehicleNumber =
        QStringLiteral("А%1ВС%2").arg(n % 1000, 3, 10, QLatin1Char('0')).arg(77 + n % 3);
    e.header.make = n % 2 ? QStringLiteral("КАМАЗ-5490") : QStringLiteral("ГАЗ-3309");
    e.header.owner = QStringLiteral("ООО \"Перевозчик %1\"").arg(n % 50);
    e.header.vin = QStringLiteral("XTC54901%1").arg(n, 9, 10, QLatin1Char('0'));
    e.header.decision = n % 7 ? QStringLiteral("Годен") : QStringLiteral("Не годен");
    e.kind = n % 3 ? TestKind::FreeAccel : TestKind::MaxSpeed;
    e.results.hasFreeAccelResult = e.kind == TestKind::FreeAccel;
    e.results.hasMaxSpeedResult = e.kind == TestKind::MaxSpeed;
    e.results.freeAccelMeanX10 = 100 + n % 500;
    e.results.maxSpeedMeanX10 = 50 + n % 300;
    e.results.freeAccelValidity = n % 11 == 0 ? 1 : 0;
    for (size_t i = 0; i < TestResults::kMeasurements; ++i) {
        e.results.peakN[i] = (100 + (n + static_cast<int>(i)) % 500) / 10.0;
        e.results.peakK[i] = e.results.peakN[i] / 20.0;
        e.results.peakRpm[i] = 4000 + 10 * static_cast<int>(i) + n % 100;
        e.results.sampled[i] = true;
    }
    e.oilText = QStringLiteral("  80,5");
    e.normText = QStringLiteral("К = 2,5 м-1");
    e.instrument = QStringLiteral("Д 12 - 34");
    e.firmware = QStringLiteral("1.2");
    e.programVersion = QStringLiteral("1.0.9");
    for (int c = 0; c < 6; ++c)
        for (int x = 0; x < 60; ++x)
            e.chart.curves[static_cast<size_t>(c)].append(
                QPointF(x, ((n + c * 7 + x * 13) % 900) / 10.0));
    e.chart.footText = QStringLiteral("K = 1,23 м-1 ,   Ср.дымность N = 41,2 % ");
    e.chart.footColor = 0x00008000;
    for (int line = 0; line < 29; ++line)
        e.report << QStringLiteral("Строка %1 протокола %2: дымность %3 %")
                        .arg(line)
                        .arg(n)
                        .arg(line * 1.5);
    return e;
}

}  // namespace kelvaron::testing
