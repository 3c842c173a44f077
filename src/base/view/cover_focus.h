#pragma once
// A region laid over others (the recording group over the live values and the
// right column) hides their controls from the mouse, but not from Tab. This keeps
// every control it covers out of the focus chain while it is shown over it.
class QWidget;

#include <QList>

namespace kelvaron {

// From now on, while `cover` is shown, the controls of `beneath` that lie under
// it take no focus; they take their own focus policy back once it is hidden,
// moved or resized off them. A covered control that has the focus hands it to
// the cover. `cover` and the regions share one parent.
void KeepCoveredOutOfFocus(QWidget* cover, const QList<QWidget*>& beneath);

}  // namespace kelvaron
