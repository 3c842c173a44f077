#pragma once
// A PostgreSQL server of the test's own: a fresh cluster in a temporary folder
// (Debian's initdb and pg_ctl), reached through a Unix socket in that folder,
// with a libpq service file naming it "kelvaron". Where the test runs as root the
// server runs as the unprivileged user "postgres", as PostgreSQL insists.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace kelvaron::testing {

class PostgresServer {
public:
    static constexpr const char* kService = "kelvaron";

    PostgresServer() = default;
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;
    ~PostgresServer() {
        if (running_) Stop();
    }

    // Creates and starts the cluster; false with Reason() when it cannot.
    bool Start() {
#ifdef _WIN32
        return Refuse(QStringLiteral("the test server runs on Linux only"));
#else
        bin_ = BinFolder();
        if (bin_.isEmpty()) return Refuse(QStringLiteral("PostgreSQL's initdb is not installed"));
        if (!folder_.isValid()) return Refuse(QStringLiteral("no temporary folder"));
        if (geteuid() == 0) {
            const passwd* user = getpwnam("postgres");
            if (!user) return Refuse(QStringLiteral("running as root without a user postgres"));
            runAs_ = QStringLiteral("postgres");
            if (chown(QFile::encodeName(folder_.path()).constData(), user->pw_uid, user->pw_gid) !=
                0)
                return Refuse(QStringLiteral("cannot give the folder to postgres"));
        }
        port_ = 20000 + static_cast<int>(QRandomGenerator::global()->bounded(20000));
        if (!Run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), DataDir(), QStringLiteral("-U"), QStringLiteral("kelvaron"),
                  QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--no-sync")}))
            return false;
        QFile service(ServiceFile());
        if (!service.open(QIODevice::WriteOnly)) return Refuse(QStringLiteral("no service file"));
        service.write(QStringLiteral("[%1]\nhost=%2\nport=%3\ndbname=postgres\nuser=kelvaron\n")
                          .arg(QLatin1String(kService), folder_.path())
                          .arg(port_)
                          .toUtf8());
        service.close();
        return Resume();
#endif
    }

    // Stops the server (fast shutdown: clients are cut off) and starts it again.
    bool Stop() {
        running_ = false;
        return Run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("stop"), QStringLiteral("-D"), DataDir(), QStringLiteral("-m"),
                    QStringLiteral("fast"), QStringLiteral("-w")});
    }
    bool Resume() {
        running_ = Run(
            QStringLiteral("pg_ctl"),
            {QStringLiteral("start"), QStringLiteral("-D"), DataDir(), QStringLiteral("-w"),
             QStringLiteral("-l"), folder_.filePath(QStringLiteral("server.log")),
             QStringLiteral("-o"),
             QStringLiteral("-k %1 -p %2 -c listen_addresses=''").arg(folder_.path()).arg(port_)});
        return running_;
    }

    QString Reason() const { return reason_; }
    // Set PGSERVICEFILE to it before connecting.
    QString ServiceFile() const { return folder_.filePath(QStringLiteral("pg_service.conf")); }

private:
    static QString BinFolder() {
        const QDir root(QStringLiteral("/usr/lib/postgresql"));
        for (const QString& version :
             root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString bin = root.filePath(version + QStringLiteral("/bin"));
            if (QFile::exists(bin + QStringLiteral("/initdb"))) return bin;
        }
        return {};
    }
    QString DataDir() const { return folder_.filePath(QStringLiteral("data")); }
    bool Refuse(const QString& reason) {
        reason_ = reason;
        return false;
    }
    bool Run(const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(folder_.path());
        const QString program = bin_ + QLatin1Char('/') + tool;
        if (runAs_.isEmpty())
            process.start(program, arguments);
        else
            process.start(QStringLiteral("runuser"),
                          QStringList{QStringLiteral("-u"), runAs_, QStringLiteral("--"), program} +
                              arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return Refuse(tool + QStringLiteral(" failed: ") +
                          QString::fromLocal8Bit(process.readAll()));
        return true;
    }

    QTemporaryDir folder_;
    QString bin_;
    QString runAs_;
    QString reason_;
    int port_ = 0;
    bool running_ = false;
};

}  // namespace kelvaron::testing
