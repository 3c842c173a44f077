// Reading the journal's part of "Kelvaron.ini".
#include "journal/journal_settings.h"

#include "base/safe_file.h"
#include "base/text_codec.h"

#include <QStringDecoder>
#include <QSysInfo>

namespace kelvaron {

namespace {

constexpr qint64 kSettingsLimit = 64 * 1024;

QString DecodeSettingsText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? DecodeCp1251(bytes) : text;
}

// The value without a trailing comment (" ;" or " #") and the blanks around it.
QString ValueOf(QString value) {
    for (const QLatin1String mark : {QLatin1String(" ;"), QLatin1String(" #")}) {
        const qsizetype at = value.indexOf(mark);
        if (at >= 0) value.truncate(at);
    }
    return value.trimmed();
}

}  // namespace

JournalSettings ReadJournalSettings(const QString& folder) {
    JournalSettings settings;
    settings.localPath = folder + kJournalFileName;
    settings.lane = QSysInfo::machineHostName();
    const auto bytes = ReadWholeFile(folder + kJournalSettingsFile, kSettingsLimit);
    if (!bytes) return settings;
    QString section;
    QString server;
    for (QString line : DecodeSettingsText(*bytes).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (section != QLatin1String("journal") || equals < 0) continue;
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = ValueOf(line.mid(equals + 1));
        if (key == QLatin1String("server"))
            server = value.toLower();
        else if (key == QLatin1String("service"))
            settings.service = value;
        else if (key == QLatin1String("lane") && !value.isEmpty())
            settings.lane = value;
    }
    settings.shared = server == QLatin1String("postgresql") && !settings.service.isEmpty();
    return settings;
}

}  // namespace kelvaron
