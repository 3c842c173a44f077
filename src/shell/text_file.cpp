#include "text_file.h"

#include "safe_file.h"
#include "text_codec.h"

#include <QFile>

namespace kelvaron {

std::optional<QString> ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    bytes.replace("\r\n", "\n");
    return DecodeCp1251(bytes);
}

bool WriteTextFile(const QString& path, const QString& text) {
    QByteArray bytes = EncodeCp1251(text);
    bytes.replace("\r\n", "\n");  // a text that already carries CR LF is not doubled
    bytes.replace("\n", "\r\n");
    return SaveFileAtomically(path, bytes);
}

}  // namespace kelvaron
