#include "device/view/frame_pacer.h"

#include <algorithm>

namespace kelvaron {

FramePacer::FramePacer(QObject* parent) : QObject(parent) {
    late_.setSingleShot(true);
    connect(&late_, &QTimer::timeout, this, &FramePacer::Flush);
}

void FramePacer::Update(QWidget* widget, const QRegion& region) {
    if (region.isEmpty()) return;
    const auto same = std::find_if(due_.begin(), due_.end(),
                                   [widget](const auto& due) { return due.first == widget; });
    if (same != due_.end())
        same->second += region;
    else
        due_.emplace_back(widget, region);
    if (!late_.isActive()) {
        const qint64 left =
            sinceFrame_.isValid() ? std::max<qint64>(0, kFrameMs - sinceFrame_.elapsed()) : 0;
        late_.start(static_cast<int>(left) + kGraceMs);
    }
}

void FramePacer::Present() {
    if (due_.empty()) return;
    if (!sinceFrame_.isValid() || sinceFrame_.elapsed() >= kFrameMs - kEarlyMs) Flush();
}

void FramePacer::Flush() {
    late_.stop();
    if (due_.empty()) return;
    for (const auto& [widget, region] : due_)
        if (widget) widget->update(region);
    due_.clear();
    sinceFrame_.start();
}

}  // namespace kelvaron
