#pragma once
// Message boxes behind one seam: the window shows real modal boxes, tests record
// what would have been shown and never block.
#include <QString>

class QWidget;

namespace kelvaron {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain notice with an OK button.
    virtual void Notice(const QString& text) = 0;
};

class WidgetMessageBoxes final : public MessageBoxes {
public:
    explicit WidgetMessageBoxes(QWidget* parent) : parent_(parent) {}
    void Notice(const QString& text) override;

private:
    QWidget* parent_;
};

}  // namespace kelvaron
