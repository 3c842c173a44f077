#include "app/window_place.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace kelvaron {

void FitStoredWindow(AppSettings& settings, std::optional<QSize> workArea) {
    QSize area = workArea.value_or(QSize());
    QRect desktop(QPoint(0, 0), area);
    if (!workArea) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableSize();
        desktop = QRect();
        for (const QScreen* screen : QGuiApplication::screens())
            desktop = desktop.united(screen->availableGeometry());
    }
    FitWindowToWorkArea(settings, area);
    KeepWindowOnDesktop(settings, desktop);
}

void PlaceWindow(QWidget& window, const AppSettings& settings) {
    if (settings.IsMaximized()) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    window.setWindowState(window.windowState() & ~Qt::WindowMaximized);
    window.move(settings.windowLeft(), settings.windowTop());
    // The stored size is the outer size; before the window is shown it has no frame.
    const QSize frame = window.frameGeometry().size() - window.size();
    window.resize(settings.windowWidth() - frame.width(), settings.windowHeight() - frame.height());
}

void StoreWindowPlace(const QWidget& window, AppSettings& settings) {
    if (window.isMaximized()) {
        // The position and size stay those the window had before it was maximized.
        settings.setMaximized(1);
        return;
    }
    settings.setMaximized(0);
    const QRect frame = window.frameGeometry();
    settings.setWindowTop(frame.top());
    settings.setWindowLeft(frame.left());
    settings.setWindowHeight(frame.height());
    settings.setWindowWidth(frame.width());
}

}  // namespace kelvaron
