#include "base/text_file.h"

#include "base/safe_file.h"
#include "base/text_codec.h"

namespace kelvaron {

std::optional<QString> ReadTextFile(const QString& path) {
    std::optional<QByteArray> bytes = ReadWholeFile(path, kMaxTextFileBytes);
    if (!bytes) return std::nullopt;
    bytes->replace("\r\n", "\n");
    return DecodeCp1251(*bytes);
}

bool WriteTextFile(const QString& path, const QString& text) {
    QByteArray bytes = EncodeCp1251(text);
    bytes.replace("\r\n", "\n");  // a text that already carries CR LF is not doubled
    bytes.replace("\n", "\r\n");
    return SaveFileAtomically(path, bytes);
}

}  // namespace kelvaron
