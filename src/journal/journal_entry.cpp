// The journal entry's binary record and its summary.
#include "journal/journal_entry.h"

#include "base/quantities.h"

#include <QDataStream>
#include <QIODevice>

#include <new>

namespace kelvaron {

namespace {

constexpr quint32 kRecordMark = 0x4A4B5631;  // "1VKJ" read as little-endian bytes
constexpr quint16 kRecordVersion = 1;

QDataStream& Prepared(QDataStream& stream) {
    stream.setVersion(QDataStream::Qt_6_0);
    stream.setByteOrder(QDataStream::LittleEndian);
    return stream;
}

// Every field of the record in its order, for writing and for reading alike, so
// that the two cannot drift apart.
template <typename Entry, typename Field>
void ForEachField(Entry& e, Field field) {
    for (auto* text :
         {&e.id, &e.lane, &e.stationLine1, &e.stationLine2, &e.header.vehicleNumber, &e.header.make,
          &e.header.owner, &e.header.extra, &e.header.vin, &e.header.decision, &e.oilText,
          &e.normText, &e.instrument, &e.firmware, &e.programVersion, &e.chart.footText})
        field(*text);
    field(e.revision);
    field(e.moment);
    auto& r = e.results;
    for (auto* flag : {&r.hasMaxSpeedResult, &r.hasFreeAccelResult}) field(*flag);
    for (auto* number :
         {&r.maxSpeedMeanX10, &r.maxSpeedValidity, &r.freeAccelMeanX10, &r.freeAccelValidity})
        field(*number);
    for (size_t i = 0; i < TestResults::kMeasurements; ++i) {
        field(r.peakK[i]);
        field(r.peakN[i]);
        field(r.peakRpm[i]);
        field(r.sampled[i]);
    }
    for (auto& curve : e.chart.curves) field(curve);
    field(e.chart.footColor);
    field(e.plotsN);
    field(e.report);
}

}  // namespace

int32_t JournalEntry::MeanX10() const {
    return kind == TestKind::MaxSpeed ? results.maxSpeedMeanX10 : results.freeAccelMeanX10;
}

int32_t JournalEntry::ValidityCode() const {
    return kind == TestKind::MaxSpeed ? results.maxSpeedValidity : results.freeAccelValidity;
}

QByteArray EncodeEntry(const JournalEntry& entry) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    Prepared(stream) << kRecordMark << kRecordVersion << static_cast<qint32>(entry.kind);
    ForEachField(entry, [&stream](const auto& value) { stream << value; });
    return bytes;
}

std::optional<JournalEntry> DecodeEntry(const QByteArray& bytes) {
    QDataStream stream(bytes);
    quint32 mark = 0;
    quint16 version = 0;
    qint32 kind = 0;
    Prepared(stream) >> mark >> version >> kind;
    if (mark != kRecordMark || version != kRecordVersion) return std::nullopt;
    if (kind != static_cast<qint32>(TestKind::MaxSpeed) &&
        kind != static_cast<qint32>(TestKind::FreeAccel))
        return std::nullopt;
    JournalEntry entry;
    entry.kind = static_cast<TestKind>(kind);
    try {
        ForEachField(entry, [&stream](auto& value) { stream >> value; });
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // a record whose counts ask for more than there is
    }
    if (stream.status() != QDataStream::Ok || !stream.atEnd()) return std::nullopt;
    return entry;
}

EntrySummary SummaryOf(const JournalEntry& entry) {
    EntrySummary s;
    s.id = entry.id;
    s.moment = entry.moment;
    s.lane = entry.lane;
    s.number = entry.header.vehicleNumber;
    s.make = entry.header.make;
    s.owner = entry.header.owner;
    s.kind = entry.kind;
    s.meanN = entry.MeanX10() / 10.0;
    s.meanK = OpacityToK(s.meanN);
    s.validity = entry.ValidityCode();
    s.decision = entry.header.decision;
    return s;
}

QString TestKindText(TestKind kind) {
    return kind == TestKind::MaxSpeed ? QStringLiteral("Макс.обороты")
                                      : QStringLiteral("Св.ускорение");
}

QString ResultText(TestKind kind, int32_t validity) {
    if (validity == 0) return QStringLiteral("Действителен");
    const QString invalid = InvalidResultText(ValidityOf(kind, validity)).trimmed();
    return invalid.isEmpty() ? QStringLiteral("Код %1").arg(validity) : invalid;
}

}  // namespace kelvaron
