#pragma once
// The journal in the window: the journal itself and the follower that keeps the
// report's test in it, the window "Журнал" (made when first shown), the report
// and chart commands of an entry it opens, and what the journal's state says to
// the operator: once, where there is no journal; on the status line, how many
// entries wait for the server.
#include "app/file_commands.h"
#include "base/app_settings.h"
#include "journal/journal.h"
#include "journal/journal_follower.h"

#include <QObject>

class QWidget;

namespace kelvaron {

class JournalWindow;

class JournalCommands final : public QObject {
    Q_OBJECT

public:
    // `folder` is the program's files folder (ending with a separator).
    JournalCommands(const QString& folder, const AppSettings& settings, Interaction& interaction,
                    const Clock& clock, QWidget* window);
    ~JournalCommands() override;

    Journal& Kept() { return journal_; }
    JournalFollower& Follower() { return follower_; }
    // "Журнал": the journal window, in front.
    void ShowWindow();
    // The window, once shown; null before.
    JournalWindow* Window() const { return window_; }

signals:
    // The status line's text about the journal; empty when all is well.
    void statusLine(const QString& text);

private:
    void StateChanged(const JournalState& state);
    void ConnectEntryCommands();

    const AppSettings& settings_;
    Interaction& interaction_;
    QWidget* parent_;
    Journal journal_;
    JournalFollower follower_;
    ReportHeader entryHeader_;  // the open entry's: the suggested file names
    FileCommands entryFiles_;
    JournalWindow* window_ = nullptr;
    QString problemTold_;   // the problem last told in a notice
    int waitingShown_ = 0;  // the count of waiting entries last on the status line
};

}  // namespace kelvaron
