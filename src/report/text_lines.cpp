#include "report/text_lines.h"

#include "base/safe_file.h"
#include "base/text_codec.h"

namespace kelvaron {

QStringList SplitLines(const QString& text) {
    QStringList lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c != u'\r' && c != u'\n') continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < size) lines << text.mid(start);
    return lines;
}

std::optional<QStringList> ReadTextLines(const QString& path) {
    const std::optional<QByteArray> bytes = ReadWholeFile(path, kMaxTextFileBytes);
    if (!bytes) return std::nullopt;
    return SplitLines(DecodeCp1251(*bytes));
}

bool WriteTextLines(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString& line : lines) size += line.size() + 2;
    bytes.reserve(size);
    for (const QString& line : lines) {
        bytes += EncodeCp1251(line);
        bytes += "\r\n";
    }
    return SaveFileAtomically(path, bytes);
}

}  // namespace kelvaron
