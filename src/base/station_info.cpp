#include "base/station_info.h"

#include "base/text_codec.h"

#include <QFile>

namespace kelvaron {

namespace {

QString DecodeRecord(const QByteArray& record) {
    const int length = std::min<int>(static_cast<uint8_t>(record[0]), StationInfo::kMaxChars);
    return DecodeCp1251(record.mid(1, length));
}

QByteArray EncodeRecord(const QString& line) {
    const QByteArray text = EncodeCp1251(line.left(StationInfo::kMaxChars));
    QByteArray record(StationInfo::kRecordBytes, '\0');
    record[0] = static_cast<char>(text.size());
    record.replace(1, text.size(), text);
    return record;
}

}  // namespace

StationInfo StationInfo::Defaults() {
    return {QStringLiteral("Пункт технического осмотра, тел. (000) 000-00-00"),
            QStringLiteral("                 www.example.org"), false};
}

void ReadStationFile(const QString& path, StationInfo& info) {
    if (!IsRegularFile(path)) return;  // a FIFO in its place would hold the start
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray first = file.read(StationInfo::kRecordBytes);
    if (first.size() != StationInfo::kRecordBytes) return;
    info.line1 = DecodeRecord(first);
    const QByteArray second = file.read(StationInfo::kRecordBytes);
    if (second.size() != StationInfo::kRecordBytes) return;
    info.line2 = DecodeRecord(second);
}

bool WriteStationFile(const QString& path, const StationInfo& info,
                      const SaveInterruption& interruption) {
    return SaveFileAtomically(path, EncodeRecord(info.line1) + EncodeRecord(info.line2),
                              interruption);
}

}  // namespace kelvaron
