#include "recording/recording_file.h"

#include "base/disk_sync.h"
#include "base/safe_file.h"

#include <QLatin1Char>

#include <algorithm>

namespace kelvaron {

namespace {

const QLatin1Char kTab('\t');
const QLatin1String kLineEnd("\r\n");

// The file name after the last separator, either kind, without its extension.
QString FileNameWithoutExtension(const QString& path) {
    const qsizetype slash =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    return name.trimmed();
}

bool HoldsPath(const QString& text) {
    return text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
}

}  // namespace

QString RecordingPrefix(const QString& nameField) {
    QString prefix = nameField.trimmed();
    if (HoldsPath(prefix)) prefix = FileNameWithoutExtension(prefix);
    if (!prefix.isEmpty()) prefix += QLatin1Char('_');
    return prefix;
}

QString RecordingFileName(const QString& outputDir, const QString& nameField,
                          const QDateTime& now) {
    QString folder = outputDir;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder + RecordingPrefix(nameField) + now.toString(QStringLiteral("MM-dd_HH-mm-ss")) +
           QStringLiteral(".txt");
}

QString RecordingHeader(int intervalMs) {
    return QStringLiteral("K(m-1)\tN(%)\tTkam\tTos\tВремя\tКоммент.\tИнтервал=") +
           QString::number(intervalMs) + QStringLiteral("мс.\t") + kLineEnd;
}

QString RecordingRow(const LiveTexts& texts, const QString& time,
                     const std::optional<QString>& comment) {
    QString row;
    for (const QString* field : {&texts.k, &texts.n, &texts.chamber, &texts.ambient, &time})
        row += *field + kTab;
    if (comment) row += *comment + kTab;
    return row + kLineEnd;
}

QString RecordingComment(const QString& text, int number) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? QString::number(number) : trimmed;
}

bool RecordingFile::Create(const QString& path, const QByteArray& header) {
    Close();
    return SaveFileAtomically(path, header) && OpenForAppend(path);
}

bool RecordingFile::OpenForAppend(const QString& path) {
    Close();
    file_.setFileName(path);
    // Unbuffered: every write goes straight to the operating system.
    if (!file_.open(QIODevice::Append | QIODevice::Unbuffered)) return false;
    end_ = file_.size();
    return true;
}

bool RecordingFile::Append(const QByteArray& bytes) {
    if (!file_.isOpen()) return false;
    // Rows written to a file removed while open (its folder deleted, say) would
    // vanish at its close: none is counted.
    if (!FileStillOnDisk(file_)) return false;
    if (file_.write(bytes) == bytes.size()) {
        end_ += bytes.size();
        return true;
    }
    // A full disk may have taken the start of the line: cut it off again.
    file_.resize(end_);
    return false;
}

bool RecordingFile::Sync() { return SyncFileToDisk(file_); }

void RecordingFile::Close() {
    if (!file_.isOpen()) return;
    Sync();
    file_.close();
}

}  // namespace kelvaron
