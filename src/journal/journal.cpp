// The journal's thread: the program's own database, the shared server and the
// entries waiting for it.
#include "journal/journal.h"

#include "journal/journal_store.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace kelvaron {

namespace {

// "1 запись ждет", "2 записи ждут", "5 записей ждут".
QString EntriesWaitText(int n) {
    const int last = n % 10;
    const int lastTwo = n % 100;
    if (last == 1 && lastTwo != 11) return QStringLiteral("%1 запись ждет").arg(n);
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("%1 записи ждут").arg(n);
    return QStringLiteral("%1 записей ждут").arg(n);
}

}  // namespace

QString JournalStateLine(const JournalSettings& settings, const JournalState& state) {
    if (!state.available && !state.readOnly)
        return QStringLiteral("Журнал не ведется: ") + state.problem;
    if (state.readOnly || !state.problem.isEmpty())
        return QStringLiteral("Журнал: ") + state.problem;
    if (settings.shared && state.waiting > 0) {
        QString line = QStringLiteral("Журнал: %1 сервера").arg(EntriesWaitText(state.waiting));
        if (!state.serverProblem.isEmpty())
            line += QStringLiteral(" (") + state.serverProblem + ')';
        return line;
    }
    return {};
}

// Lives in the journal's thread from its first call on.
class Journal::Writer {
public:
    static constexpr int kSendBatch = 100;

    Writer(const JournalSettings& settings, std::function<void(const JournalState&)> report)
        : settings_(settings), report_(std::move(report)) {}

    void Open() {
        local_ = JournalStore::OpenLocal(settings_.localPath);
        retry_ = std::make_unique<QTimer>();
        retry_->setSingleShot(true);
        retry_->setInterval(kRetryMs);
        QObject::connect(retry_.get(), &QTimer::timeout, [this] { Send(); });
        state_.available = local_->IsOpen() && !local_->ReadOnly();
        state_.readOnly = local_->ReadOnly();
        state_.problem = local_->Problem();
        if (state_.available && settings_.shared) {
            Send();
            return;
        }
        Report();
    }

    void Keep(const JournalEntry& entry) {
        if (!state_.available) return;
        if (!local_->Write(entry, settings_.shared)) {
            state_.problem = QStringLiteral("запись не удалась: ") + local_->WriteError();
            Report();
            return;
        }
        state_.problem.clear();
        // While the server is away, only the retry asks it again: a connection
        // that times out never holds the entries queued behind this one.
        if (settings_.shared && (state_.sharedReachable || !retry_->isActive())) {
            Send();
            return;
        }
        if (settings_.shared) state_.waiting = local_->WaitingCount();
        Report();
    }

    // Hands the waiting entries to the shared server, oldest first; where it does
    // not answer, they wait for the next try. An entry the server refuses while it
    // answers waits too, and is said; the others go on past it.
    void Send() {
        if (!settings_.shared || !state_.available) return;
        if (!shared_ || !shared_->Answers()) shared_ = JournalStore::OpenShared(settings_.service);
        state_.sharedReachable = shared_->IsOpen() && !shared_->ReadOnly();
        int refused = 0;
        for (bool progress = true; progress && state_.sharedReachable;) {
            progress = false;
            // The entries refused last round stay at the head: the batch reaches past them.
            const int skip = refused;
            refused = 0;
            for (const auto& [id, revision] : local_->Waiting(kSendBatch + skip)) {
                const std::optional<JournalEntry> entry = local_->Load(id);
                // An entry that cannot be read back here stays waiting, and is said.
                if (!entry) {
                    ++refused;
                    continue;
                }
                if (!shared_->Write(*entry)) {
                    state_.sharedReachable = shared_->Answers();
                    if (!state_.sharedReachable) break;
                    ++refused;
                    continue;
                }
                // A mark that cannot be written stops the round: the entry would
                // otherwise be sent again and again.
                if (!local_->Sent(id, entry->revision)) break;
                progress = true;
            }
        }
        // Said on the status line beside the count, never in a box: a server that
        // comes and goes is no reason to stop the operator.
        if (!state_.sharedReachable) {
            // A later program's server is read, never written; any other says why
            // it is away, where it said anything.
            const QString why = shared_->Problem().trimmed();
            state_.serverProblem =
                shared_->ReadOnly() ? why
                                    : QStringLiteral("сервер недоступен") +
                                          (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
        } else if (refused > 0)
            state_.serverProblem = QStringLiteral("не принято: %1").arg(refused);
        else
            state_.serverProblem.clear();
        if (!state_.sharedReachable) shared_.reset();
        state_.waiting = local_->WaitingCount();
        if (state_.waiting > 0 && !retry_->isActive()) retry_->start();
        Report();
    }

    void Close() {
        retry_.reset();
        shared_.reset();
        local_.reset();
    }

private:
    void Report() {
        if (state_ == reported_) return;
        reported_ = state_;
        report_(state_);
    }

    JournalSettings settings_;
    std::function<void(const JournalState&)> report_;
    std::unique_ptr<JournalStore> local_;
    std::unique_ptr<JournalStore> shared_;
    std::unique_ptr<QTimer> retry_;
    JournalState state_;
    std::optional<JournalState> reported_;
};

Journal::Journal(JournalSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings)) {
    thread_.setObjectName(QStringLiteral("journal"));
    context_ = new QObject;
    context_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
    QPointer<Journal> self(this);
    writer_ = std::make_shared<Writer>(settings_, [self](const JournalState& state) {
        // Back in the window's thread, unless the journal is gone by then.
        QMetaObject::invokeMethod(
            self.data(),
            [self, state] {
                if (!self) return;
                self->state_ = state;
                emit self->stateChanged(state);
            },
            Qt::QueuedConnection);
    });
    thread_.start();
    QMetaObject::invokeMethod(context_, [writer = writer_] { writer->Open(); });
}

Journal::~Journal() {
    QMetaObject::invokeMethod(
        context_, [writer = writer_] { writer->Close(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void Journal::Keep(const JournalEntry& entry) {
    QMetaObject::invokeMethod(context_, [writer = writer_, entry] { writer->Keep(entry); });
}

void Journal::SendWaiting() {
    QMetaObject::invokeMethod(context_, [writer = writer_] { writer->Send(); });
}

void Journal::Flush() {
    QMetaObject::invokeMethod(
        context_, [] {}, Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

}  // namespace kelvaron
