#pragma once
// Journal: the station's test journal as the window uses it. Entries are handed
// over and written in a thread of the journal's own, so that neither a disk nor
// a slow or absent server holds the window (or, through it, the poll). With a
// shared server, every entry is first kept in the program's own database and
// waits there until the server has taken it; a write repeated after a lost
// answer changes nothing there, so each entry arrives once.
#include "journal/journal_entry.h"
#include "journal/journal_settings.h"

#include <QObject>
#include <QThread>

#include <memory>

namespace kelvaron {

struct JournalState {
    bool available = false;  // entries are kept
    bool readOnly = false;   // a later program's journal: read, never written
    QString problem;         // why the journal is not kept (or read only)
    bool sharedReachable = false;
    QString serverProblem;  // why the shared server takes nothing, or what it refused
    int waiting = 0;        // entries the shared server has yet to take
    bool operator==(const JournalState&) const = default;
};

// The status line's text for `state` of a journal with `settings`; empty when
// there is nothing to say.
QString JournalStateLine(const JournalSettings& settings, const JournalState& state);

class Journal final : public QObject {
    Q_OBJECT

public:
    // How long entries wait before the shared server is asked again.
    static constexpr int kRetryMs = 5000;

    explicit Journal(JournalSettings settings, QObject* parent = nullptr);
    // Writes what was handed over, then closes.
    ~Journal() override;

    const JournalSettings& Settings() const { return settings_; }
    // As the journal's thread last reported it.
    const JournalState& State() const { return state_; }

    // Queues `entry` for writing; returns at once.
    void Keep(const JournalEntry& entry);
    // Asks the shared server to take the waiting entries now.
    void SendWaiting();
    // Returns once everything queued so far has been written and tried on the
    // server, with the state it left.
    void Flush();

signals:
    void stateChanged(const JournalState& state);

private:
    class Writer;

    JournalSettings settings_;
    JournalState state_;
    QThread thread_;
    QObject* context_ = nullptr;  // lives in the journal's thread
    std::shared_ptr<Writer> writer_;
};

}  // namespace kelvaron
