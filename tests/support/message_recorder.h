#pragma once
// Message boxes that are recorded instead of shown, so no test blocks on a modal box.
#include "shell/message_boxes.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>

namespace kelvaron::testing {

class MessageRecorder final : public MessageBoxes {
public:
    MessageRecorder() { clock.start(); }
    void Notice(const QString& text) override {
        notices << text;
        times << clock.elapsed();
    }
    QStringList notices;
    QList<qint64> times;  // ms since the recorder was made, one per notice
    QElapsedTimer clock;
};

}  // namespace kelvaron::testing
