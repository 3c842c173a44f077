#pragma once
// The main window's place and size as the settings record keeps them: the outer
// frame, and whether it is maximized (then the place it had before stays stored).
#include "base/app_settings.h"

#include <QSize>

#include <optional>

class QWidget;

namespace kelvaron {

// The stored window made to fit: no larger than the work area (the primary
// screen's available area unless `workArea` is given), and back at the default
// place when it would meet no screen's available area.
void FitStoredWindow(AppSettings& settings, std::optional<QSize> workArea);

// Puts `window` where the settings say: maximized, or at the stored place with
// the stored outer size (the frame, once the window has one, taken off).
void PlaceWindow(QWidget& window, const AppSettings& settings);

// The window's place and outer size into the settings.
void StoreWindowPlace(const QWidget& window, AppSettings& settings);

}  // namespace kelvaron
