#pragma once
// The interaction seam answered from a script: each kind of request takes the
// next queued answer (or a default when the queue is empty) and is recorded, so
// a test can check what the operator would have seen and never blocks.
#include "base/clock.h"
#include "base/interaction.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>

namespace kelvaron::testing {

class ScriptedInteraction final : public Interaction {
public:
    struct Warning {
        QString text;
        Buttons buttons;
    };

    // Queued answers. Defaults when a queue runs dry: warnings answer Cancel,
    // file dialogs, the print and the colour dialog are cancelled, the desktop
    // opens every file.
    std::deque<Answer> answers;
    std::deque<std::optional<FileChoice>> openChoices;
    std::deque<std::optional<FileChoice>> saveChoices;
    std::deque<bool> printerChoices;
    std::deque<std::optional<QColor>> colorChoices;
    std::deque<bool> desktopOpens;  // whether the desktop has a program for the file
    // Runs while a modal dialog would be open (after the request is recorded):
    // lets a test look at the window, or raise a timer tick, "during" the box.
    std::function<void()> whileOpen;

    // What was asked, in order.
    QStringList notices;
    QList<Warning> warnings;
    QList<FileDialog> openDialogs;
    QList<FileDialog> saveDialogs;
    int printDialogs = 0;
    QList<QColor> colorDialogs;
    QStringList opened;  // paths handed to the desktop
    // Every notice and warning text, in the order shown.
    QStringList shown;

    void Notice(const QString& text) override {
        notices << text;
        shown << text;
        During();
    }
    Answer Warn(const QString& text, Buttons buttons) override {
        warnings << Warning{text, buttons};
        shown << text;
        During();
        return Next(answers, Answer::Cancel);
    }
    std::optional<FileChoice> OpenFile(const FileDialog& dialog) override {
        openDialogs << dialog;
        During();
        return Next(openChoices, std::optional<FileChoice>{});
    }
    std::optional<FileChoice> SaveFile(const FileDialog& dialog) override {
        saveDialogs << dialog;
        During();
        return Next(saveChoices, std::optional<FileChoice>{});
    }
    bool ChoosePrinter(QPrinter&) override {
        ++printDialogs;
        During();
        return Next(printerChoices, false);
    }
    std::optional<QColor> ChooseColor(const QColor& initial) override {
        colorDialogs << initial;
        During();
        return Next(colorChoices, std::optional<QColor>{});
    }
    bool OpenWithDesktop(const QString& path) override {
        opened << path;
        return Next(desktopOpens, true);
    }

private:
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback) {
        if (!queue.empty()) {
            std::swap(fallback, queue.front());
            queue.pop_front();
        }
        return fallback;
    }
    void During() {
        if (whileOpen) whileOpen();
    }
};

// A clock that stands still until the test moves it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime now = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 7)))
        : now(std::move(now)) {}
    QDateTime Now() const override { return now; }
    QDateTime now;
};

}  // namespace kelvaron::testing
