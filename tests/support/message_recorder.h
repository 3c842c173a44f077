#pragma once
// Message boxes that are recorded instead of shown, so no test blocks on a modal box.
#include "shell/message_boxes.h"

#include <QStringList>

namespace kelvaron::testing {

class MessageRecorder final : public MessageBoxes {
public:
    void Notice(const QString& text) override { notices << text; }
    QStringList notices;
};

}  // namespace kelvaron::testing
