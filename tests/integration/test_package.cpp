// The Debian package as a station PC gets it: made by CPack from this build,
// unpacked into a temporary root, and the unpacked program started there on
// Xvfb against the unpacked simulator. It finds the instrument, keeps its files
// in the user's data folder (the unpacked tree stays as it was), and opens its
// shipped documents from the unpacked tree. lintian, where installed, finds no
// error in the package.
#include "../support/x_session.h"
#include "testing/request_log.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using kelvaron::testing::LoggedRequest;
using kelvaron::testing::ReadRequestLog;
using kelvaron::testing::XDisplay;

namespace {

// Runs `program` to its end; its output, or nothing when it failed.
std::optional<QString> Run(const QString& program, const QStringList& arguments,
                           int timeoutMs = 240000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAll().constData());
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAll());
}

QStringList FilesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

bool Contains(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(text);
}

}  // namespace

class PackageTest : public QObject {
    Q_OBJECT

private slots:
    void unpackedProgramKeepsItsFilesInTheUsersDataFolder() {
        for (const char* tool : {"cpack", "dpkg-deb", "xdotool"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString packages = dir.filePath("packages");
        QVERIFY(
            Run("cpack", {"--config", KELVARON_BUILD_DIR "/CPackConfig.cmake", "-B", packages}));
        const QStringList debs = QDir(packages).entryList({"kelvaron_*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = QDir(packages).filePath(debs.first());
        const QString root = dir.filePath("root");
        QVERIFY(Run("dpkg-deb", {"-x", deb, root}));
        for (const char* installed :
             {"usr/bin/kelvaron", "usr/bin/kelvaron-opacimeter-sim",
              "usr/share/kelvaron/readme.txt", "usr/share/kelvaron/produkt.jpg",
              "usr/share/applications/kelvaron.desktop",
              "usr/share/metainfo/org.kelvaron.Kelvaron.metainfo.xml",
              "usr/share/icons/hicolor/128x128/apps/kelvaron.png",
              "usr/share/doc/kelvaron/copyright", "usr/share/doc/kelvaron/changelog.gz"})
            QVERIFY2(QFileInfo(root + "/" + installed).isFile(), installed);
        const QStringList unpacked = FilesUnder(root);

        // The desktop hands documents to xdg-open: this one writes down what it got.
        const QString fakeBin = dir.filePath("bin");
        const QString opened = dir.filePath("opened.log");
        QVERIFY(QDir().mkpath(fakeBin));
        {
            QFile script(fakeBin + "/xdg-open");
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(opened).toUtf8());
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        XDisplay x;
        if (!x.Start(1024, 768)) QSKIP("Xvfb could not start here");
        const QString home = dir.filePath("home");
        const QString data = home + "/.local/share/kelvaron";
        QVERIFY(QDir().mkpath(data));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.remove("XDG_DATA_HOME");  // the default, ~/.local/share
        env.insert("DISPLAY", x.Name());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("PATH", fakeBin + ":" + env.value("PATH"));

        const QString log = dir.filePath("requests.log");
        QProcess simulator;
        simulator.start(root + "/usr/bin/kelvaron-opacimeter-sim",
                        {"--dir", data, "--port", "1", "--log", log});
        QVERIFY(simulator.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(data + "/ports/COM1").isSymLink(), 5000);

        QProcess app;
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(dir.path());
        app.start(root + "/usr/bin/kelvaron", {});
        QVERIFY(app.waitForStarted());
        // Found: after the identification the status request (10) goes out.
        const auto polled = [&] {
            const auto requests = ReadRequestLog(log);
            return std::any_of(requests.begin(), requests.end(),
                               [](const LoggedRequest& r) { return r.code == 10; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(polled(), 30000);

        // F1 opens the guide from the unpacked tree.
        QStringList windows;
        QTRY_VERIFY_WITH_TIMEOUT(!(windows = x.Windows("KELVARON")).isEmpty(), 10000);
        x.Focus(windows.first());
        x.Keys({"F1"});
        QTRY_VERIFY_WITH_TIMEOUT(Contains(opened, root + "/usr/share/kelvaron/readme.txt"), 10000);

        // The end of the session closes it with its close steps: the settings are saved.
        ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(20000));
        simulator.terminate();
        simulator.waitForFinished();
        const QString said = QString::fromUtf8(app.readAllStandardError());
        QCOMPARE(said.count(QStringLiteral("files in ")), 1);
        QVERIFY2(said.contains(QDir::toNativeSeparators(data + "/")), qPrintable(said));
        for (const char* kept : {"Kelvaron.dat", "Text", "Graph", "Output"})
            QVERIFY2(QFileInfo::exists(data + "/" + kept), kept);
        QCOMPARE(FilesUnder(root), unpacked);

        if (QStandardPaths::findExecutable("lintian").isEmpty()) return;
        // lintian fails on errors (its exit status); warnings are the package's notes.
        QVERIFY(Run("lintian", {deb}));
    }
};

QTEST_GUILESS_MAIN(PackageTest)
#include "test_package.moc"
