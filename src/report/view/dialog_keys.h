#pragma once
// Keyboard handling the two report dialogs share. Enter presses the button that
// has the focus, as Space does; no button becomes "default" by taking the focus.
// The header dialog has no default button (Enter in a field moves on to the
// next); the norms dialog's is "ОК".
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace kelvaron {

inline bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

// For a button's event filter: Enter pressed on `watched`, a button, presses it.
// True when the event was used.
inline bool PressFocusedButtonOnEnter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || event->type() != QEvent::KeyPress || !IsEnterKey(event)) return false;
    if (button->isEnabled()) button->click();
    return true;
}

// A button of a dialog that the keyboard presses only where it has the focus.
inline void MakeFocusOnlyButton(QPushButton* button, QObject* filter) {
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setAccessibleName(button->text());
    button->installEventFilter(filter);
}

}  // namespace kelvaron
