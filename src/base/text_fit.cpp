#include "base/text_fit.h"

#include <QFontMetricsF>

#include <algorithm>

namespace kelvaron {

namespace {

bool Fits(QFont font, const QStringList& lines, QSize room, int points) {
    font.setPointSize(points);
    const QFontMetricsF metrics(font);
    if (metrics.lineSpacing() * std::max<qsizetype>(1, lines.size()) > room.height()) return false;
    for (const QString& line : lines)
        if (metrics.horizontalAdvance(line) > room.width()) return false;
    return true;
}

}  // namespace

int FitPointSize(const QFont& font, const QStringList& lines, QSize room, int maxPoints) {
    int low = 1;
    int high = std::max(1, maxPoints);
    if (Fits(font, lines, room, high)) return high;
    // Larger sizes never fit where a smaller one does not: search between.
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (Fits(font, lines, room, middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

int FitPointSizeForEach(const QFont& font, const QStringList& texts, QSize room, int maxPoints) {
    int points = std::max(1, maxPoints);
    for (const QString& text : texts) points = FitPointSize(font, {text}, room, points);
    return points;
}

}  // namespace kelvaron
