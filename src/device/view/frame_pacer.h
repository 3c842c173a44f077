#pragma once
// FramePacer: the live panel's widgets follow the readings, which change up to
// eight times a polling cycle; the screen takes a frame of them at most every
// kFrameMs. The widgets hold their newest values all the time (their texts,
// which the recording writes, are never behind); only their repaints gather
// until the frame's end. The panel presents after each refresh, so a frame ends
// with a refresh the window woke for anyway; a timer paints what would wait
// longer (the refreshes stopped, or a widget changed outside them).
//
// Each frame costs the window a paint and a round trip to the X server, and a
// value that changes faster than a few times a second cannot be read anyway.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace kelvaron {

class FramePacer final : public QObject {
    Q_OBJECT

public:
    // Ten frames a second: the bar still moves smoothly and a change shows within
    // kFrameMs + kGraceMs.
    static constexpr int kFrameMs = 100;
    // The timer waits this much past the frame's end for a refresh to present.
    static constexpr int kGraceMs = 25;
    // A refresh this much before the frame's end ends it too: refreshes come with
    // the poll's ticks, whose timer wanders by a millisecond or two, and the
    // records may come every fifth tick, one frame apart.
    static constexpr int kEarlyMs = 10;

    explicit FramePacer(QObject* parent = nullptr);

    // `region` of `widget` shows something new: it is repainted with the next frame.
    void Update(QWidget* widget, const QRegion& region);
    // After a refresh: what gathered is painted if the last frame has ended.
    void Present();
    // Paints what gathered now and begins a frame. The timer calls it; tests may.
    void Flush();

private:
    QElapsedTimer sinceFrame_;  // invalid until the first frame
    QTimer late_;
    std::vector<std::pair<QPointer<QWidget>, QRegion>> due_;
};

// `widget`->update(region), through `pacer` when there is one.
inline void PacedUpdate(FramePacer* pacer, QWidget* widget, const QRegion& region) {
    if (pacer)
        pacer->Update(widget, region);
    else
        widget->update(region);
}

}  // namespace kelvaron
