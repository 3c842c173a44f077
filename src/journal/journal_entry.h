#pragma once
// One test in the station's journal: everything its report and its chart showed
// when the test reached its result, and as the operator finished them (header,
// decision and norm changed after the result update the entry).
#include "report/report_header.h"
#include "results/chart_record.h"
#include "results/results_store.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace kelvaron {

struct JournalEntry {
    QString id;            // unique across lanes and stations
    int32_t revision = 0;  // 1 for the first write; each update adds one
    QDateTime moment;      // when the result arrived, local time
    QString lane;

    QString stationLine1;
    QString stationLine2;
    ReportHeader header;  // number, VIN, make, owner, extra field, decision
    TestKind kind = TestKind::None;
    TestResults results;  // the peaks, the means and validity codes of the run
    QString oilText;      // as the report shows it
    QString normText;     // empty when the report shows no norm
    QString instrument;   // the instrument's designation, as the port line shows it
    QString firmware;
    QString programVersion;

    // The chart as drawn at the result, and whether it plots N (else K).
    ChartRecord chart;
    bool plotsN = false;

    QStringList report;  // the report's lines as composed

    // The result of this entry's test: its mean opacity in tenths of a percent
    // and the instrument's validity code.
    int32_t MeanX10() const;
    int32_t ValidityCode() const;
    bool operator==(const JournalEntry&) const = default;
};

// The entry in a self-describing binary record (little-endian, versioned), the
// exact texts included; Decode gives nothing for a record it cannot read whole.
QByteArray EncodeEntry(const JournalEntry& entry);
std::optional<JournalEntry> DecodeEntry(const QByteArray& bytes);

// What the journal's table shows of an entry.
struct EntrySummary {
    QString id;
    QDateTime moment;
    QString lane;
    QString number;
    QString make;
    QString owner;
    TestKind kind = TestKind::None;
    double meanK = 0;  // m-1; +inf over range
    double meanN = 0;  // %
    int32_t validity = 0;
    QString decision;
};
EntrySummary SummaryOf(const JournalEntry& entry);

// "Св.ускорение" or "Макс.обороты".
QString TestKindText(TestKind kind);
// "Действителен" for a valid result, the invalid result's text otherwise.
QString ResultText(TestKind kind, int32_t validity);

}  // namespace kelvaron
