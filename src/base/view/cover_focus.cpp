#include "base/view/cover_focus.h"

#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace kelvaron {

namespace {

class CoverFocus final : public QObject {
public:
    CoverFocus(QWidget* cover, const QList<QWidget*>& beneath) : QObject(cover), cover_(cover) {
        for (QWidget* region : beneath) beneath_ << region;
        cover->installEventFilter(this);
        Update();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == cover_) {
            switch (event->type()) {
                case QEvent::Show:
                case QEvent::Hide:
                case QEvent::Move:
                case QEvent::Resize:
                    Update();
                    break;
                default:
                    break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool Covered(const QWidget* w) const {
        const QRect area(w->mapTo(cover_->parentWidget(), QPoint(0, 0)), w->size());
        return area.intersects(cover_->geometry());
    }

    void Update() {
        const bool shown = cover_->isVisible();
        for (const QPointer<QWidget>& region : beneath_) {
            if (!region) continue;
            for (QWidget* w : region->findChildren<QWidget*>()) {
                const auto kept = own_.constFind(w);
                const Qt::FocusPolicy own = kept != own_.cend() ? *kept : w->focusPolicy();
                if (own == Qt::NoFocus) continue;
                if (shown && Covered(w)) {
                    own_.insert(w, own);
                    if (w->hasFocus()) cover_->setFocus(Qt::OtherFocusReason);
                    w->setFocusPolicy(Qt::NoFocus);
                } else if (kept != own_.cend()) {
                    w->setFocusPolicy(own);
                    own_.remove(w);
                }
            }
        }
    }

    QWidget* cover_;
    QList<QPointer<QWidget>> beneath_;
    QHash<QWidget*, Qt::FocusPolicy> own_;  // the policies of the controls covered now
};

}  // namespace

void KeepCoveredOutOfFocus(QWidget* cover, const QList<QWidget*>& beneath) {
    new CoverFocus(cover, beneath);
}

}  // namespace kelvaron
