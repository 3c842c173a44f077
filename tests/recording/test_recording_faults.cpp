// Faults a recording must come through without losing or inventing rows: a
// missing or read-only output folder, a full disk, and the program killed in the
// middle of a recording.
#include "recording_bench.h"
#include "testing/tiny_file_system.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#endif

using namespace kelvaron;
using namespace kelvaron::testing;

Q_DECLARE_METATYPE(kelvaron::Answer)

namespace {

#if defined(Q_OS_LINUX)
QString LastError() { return QString::fromLocal8Bit(std::strerror(errno)); }
#endif

// Makes a folder refuse new files and changes for as long as it lives. Permission
// bits do not stop root, so as root on Linux the folder is bind-mounted read-only
// onto itself instead. `skip` says why it could not be done.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString& folder) : folder_(folder) {
#if defined(Q_OS_UNIX)
        if (::geteuid() != 0) {
            permissions_ = QFile::permissions(folder);
            restore_ = QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                                         QFile::ReadGroup | QFile::ExeGroup |
                                                         QFile::ReadOther | QFile::ExeOther);
        } else {
#if defined(Q_OS_LINUX)
            const QByteArray path = QFile::encodeName(folder);
            if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
                skip =
                    "running as root, whom permission bits do not stop, and the folder "
                    "cannot be bind-mounted read-only: " +
                    LastError();
                return;
            }
            mounted_ = true;
            if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                        nullptr) != 0) {
                skip = "the bind mount cannot be made read-only: " + LastError();
                return;
            }
#else
            skip =
                "running as root, whom permission bits do not stop, with no read-only "
                "mount on this system";
            return;
#endif
        }
        QFile probe(folder + "/probe");
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            skip = "the folder still takes new files";
        }
#else
        skip = "permission bits do not make a folder refuse files on this system";
#endif
    }
    ~UnwritableFolder() {
#if defined(Q_OS_LINUX)
        if (mounted_) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
#endif
        if (restore_) QFile::setPermissions(folder_, permissions_);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    QString skip;

private:
    QString folder_;
    QFile::Permissions permissions_;
    bool restore_ = false;
    bool mounted_ = false;
};

// The rows of a recording file after its header, each checked whole: -1 and
// `fault` set when the file does not end on a whole line or a row is torn.
int CountWholeRows(const QByteArray& bytes, QString* fault) {
    static const QRegularExpression row("^1,40\\t45,3\\t0,0\\t0,0\\t\\d{1,2}:\\d\\d:\\d\\d\\t$");
    if (!bytes.startsWith("K(m-1)\t")) {
        *fault = "no header";
        return -1;
    }
    if (!bytes.endsWith("\r\n")) {
        *fault = "the file ends inside a line: " + QString::fromLatin1(bytes.right(40));
        return -1;
    }
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeFirst();  // the header
    lines.removeLast();   // nothing after the last CR LF
    int rows = 0;
    for (const QByteArray& line : lines) {
        if (!line.endsWith('\r')) {
            *fault = "a line without CR: " + QString::fromLatin1(line);
            return -1;
        }
        if (!row.match(QString::fromLatin1(line.chopped(1))).hasMatch()) {
            *fault = "a torn row: " + QString::fromLatin1(line);
            return -1;
        }
        ++rows;
    }
    return rows;
}

// The last count the helper printed on a whole line.
int LastCount(const QByteArray& printed) {
    const qsizetype end = printed.lastIndexOf('\n');
    if (end < 0) return 0;
    const qsizetype start = printed.lastIndexOf('\n', end - 1) + 1;
    return printed.mid(start, end - start).trimmed().toInt();
}

void CheckEndedWithOneMessageNaming(const RecordingBench& bench, const QString& path) {
    QCOMPARE(bench.session.State(), RecordingState::Idle);
    QVERIFY(!bench.timer.active);
    QCOMPARE(bench.ui.notices.size(), 1);
    QVERIFY2(bench.ui.notices[0].contains(QDir::toNativeSeparators(path)),
             qPrintable(bench.ui.notices[0]));
}

}  // namespace

class RecordingFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void missingOutputFolderEndsTheRecordingWithOneMessage() {
        RecordingBench bench(false);
        bench.session.Start();
        CheckEndedWithOneMessageNaming(bench, bench.output + "/Kel_03-27_09-05-07.txt");
        QCOMPARE(bench.session.RowsWritten(), 0);
        QVERIFY(!QFileInfo::exists(bench.output));
    }

    void readOnlyOutputFolderEndsTheRecordingWithOneMessage() {
        RecordingBench bench;
        UnwritableFolder readOnly(bench.output);
        if (!readOnly.skip.isEmpty()) QSKIP(qPrintable(readOnly.skip));
        bench.session.Start();
        CheckEndedWithOneMessageNaming(bench, bench.output + "/Kel_03-27_09-05-07.txt");
        QCOMPARE(QDir(bench.output).entryList(QDir::Files), QStringList());
    }

    void overwriteConfirmedKeepsTheOldFileWhenTheNewCannotBeMade() {
        RecordingBench bench;
        const QString path = bench.output + "/Kel_03-27_09-05-07.txt";
        QVERIFY(WriteBytes(path, "old rows\r\n"));
        UnwritableFolder readOnly(bench.output);
        if (!readOnly.skip.isEmpty()) QSKIP(qPrintable(readOnly.skip));
        bench.ui.answers = {Answer::Yes};
        bench.session.Start();
        QCOMPARE(bench.ui.warnings.size(), 1);
        CheckEndedWithOneMessageNaming(bench, path);
        QCOMPARE(ReadBytes(path), QByteArray("old rows\r\n"));
        QCOMPARE(QDir(bench.output).entryList(QDir::Files),
                 QStringList{QFileInfo(path).fileName()});
    }

    void continuingAFileThatCannotBeWrittenEndsWithOneMessage() {
        RecordingBench bench;
        const QString path = bench.output + "/old.txt";
        QVERIFY(WriteBytes(path, "old rows\r\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        UnwritableFolder readOnly(bench.output);
        if (!readOnly.skip.isEmpty()) QSKIP(qPrintable(readOnly.skip));
        bench.ui.openChoices = {FileChoice{path, 1}};
        bench.session.ContinueFile();
        CheckEndedWithOneMessageNaming(bench, path);
        QCOMPARE(ReadBytes(path), QByteArray("old rows\r\n"));
    }

    void fullDiskEndsTheRecordingAndKeepsEveryCountedRowWhole() {
        RecordingBench bench;
        TinyFileSystem disk(bench.output, 16);
        if (!disk.skip.isEmpty()) QSKIP(qPrintable(disk.skip));
        bench.session.Start();
        QCOMPARE(bench.session.State(), RecordingState::Running);
        FillUp(bench.output);
        int ticks = 0;
        while (ticks < 100000 && bench.Tick()) ++ticks;
        CheckEndedWithOneMessageNaming(bench, bench.session.FilePath());
        QString fault;
        const int rows = CountWholeRows(bench.FileBytes(), &fault);
        QVERIFY2(rows >= 0, qPrintable(fault));
        QVERIFY(rows > 0);  // the header's block had room for some
        QCOMPARE(rows, bench.session.RowsWritten());
        QCOMPARE(ticks, rows + 1);  // the last tick found no room
    }

    void fullDiskBeforeTheStartLeavesNoFile() {
        RecordingBench bench;
        TinyFileSystem disk(bench.output, 16);
        if (!disk.skip.isEmpty()) QSKIP(qPrintable(disk.skip));
        FillUp(bench.output);
        bench.session.Start();
        CheckEndedWithOneMessageNaming(bench, bench.output + "/Kel_03-27_09-05-07.txt");
        QCOMPARE(QDir(bench.output).entryList(QDir::Files), QStringList{"filler"});
    }

    void killedMidRecordingLosesNoCountedRow() {
        QTemporaryDir dir;
        const QString output = dir.filePath("Output");
        QVERIFY(QDir().mkpath(output));
        QProcess helper;
        helper.start(RECORDING_HELPER_EXE, {output});
        QVERIFY2(helper.waitForStarted(30000), qPrintable(helper.errorString()));
        QByteArray printed;
        while (LastCount(printed) < 300) {
            if (!helper.waitForReadyRead(30000))
                QFAIL(qPrintable("the helper stopped counting: " +
                                 QString::fromLocal8Bit(helper.readAllStandardError())));
            printed += helper.readAllStandardOutput();
        }
        helper.kill();
        QVERIFY(helper.waitForFinished(30000));
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
        printed += helper.readAllStandardOutput();
        const int counted = LastCount(printed);

        const QStringList files = QDir(output).entryList({"*.txt"}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QString fault;
        const int rows = CountWholeRows(ReadBytes(output + "/" + files[0]), &fault);
        QVERIFY2(rows >= 0, qPrintable(fault));
        QVERIFY2(rows >= counted,
                 qPrintable(QString("%1 rows on disk, %2 counted").arg(rows).arg(counted)));
    }
};

QTEST_GUILESS_MAIN(RecordingFaultsTest)
#include "test_recording_faults.moc"
