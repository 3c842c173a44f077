#pragma once
// The recording file: where it goes, its header line, its rows, and the open file
// itself. Fields are separated by TABs, every field (the last included) followed
// by one; lines end in CR LF; the text is Windows-1251.
#include "base/quantities.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <optional>

namespace kelvaron {

// The start of a new file's name: the name field without leading and trailing
// blanks, followed by "_" unless it is empty. A field that holds a path (it shows
// the continued file after "Открыть") gives that file's name without its
// extension, so the new file still lands in the output folder.
QString RecordingPrefix(const QString& nameField);

// outputDir + "/" + prefix + "MM-dd_hh-mm-ss.txt", date and time of `now`:
// "Kel_03-27_09-05-07.txt" on 27 March at 09:05:07 with the name "Kel".
QString RecordingFileName(const QString& outputDir, const QString& nameField, const QDateTime& now);

// The header line of a new file, CR LF included, naming the interval in ms.
QString RecordingHeader(int intervalMs);

// One row, CR LF included: the K, N, chamber and ambient texts of the live panel,
// the time, and the comment when the row carries one.
QString RecordingRow(const LiveTexts& texts, const QString& time,
                     const std::optional<QString>& comment = std::nullopt);

// The comment of a row: the comment text without leading and trailing blanks, or
// the comment number when the text is blank.
QString RecordingComment(const QString& text, int number);

// The file a recording writes to. It stays open while the recording runs; every
// append reaches the operating system at once, so a crash of the program loses
// no row that was counted, and a row the disk refused is taken back whole.
class RecordingFile {
public:
    RecordingFile() = default;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;
    ~RecordingFile() { Close(); }

    // A new file holding `header`, replacing any file of that name, then open for
    // appending. An old file survives when the new one cannot be made (the bytes
    // go to a temporary file that is renamed over it). False on any failure.
    bool Create(const QString& path, const QByteArray& header);
    // An existing file, open for appending. False when it cannot be opened so.
    bool OpenForAppend(const QString& path);
    // Appends `bytes` in one write. False when they did not all reach the file
    // (what part of them did is cut off again, so the file ends on a whole line),
    // and, without writing, when the file was removed while open.
    bool Append(const QByteArray& bytes);
    // Pushes what was written to the disk.
    bool Sync();
    // Syncs and closes; nothing when no file is open.
    void Close();

    bool IsOpen() const { return file_.isOpen(); }
    QString Path() const { return file_.fileName(); }

private:
    QFile file_;
    qint64 end_ = 0;  // the size of the file as far as whole lines reached it
};

}  // namespace kelvaron
