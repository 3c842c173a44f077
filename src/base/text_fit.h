#pragma once
// Fonts that fit their room: the window's proportions give the largest size a
// text may have; where the text would not fit its box at that size, it gets the
// largest size at which it does.
#include <QFont>
#include <QSize>
#include <QStringList>

namespace kelvaron {

// The largest point size, at most `maxPoints` and at least 1, at which every line
// of `lines` fits `room` in width and all of them together fit it in height
// (one line spacing each).
int FitPointSize(const QFont& font, const QStringList& lines, QSize room, int maxPoints);

// The largest point size, at most `maxPoints` and at least 1, at which each of
// `texts`, alone on one line, fits `room`.
int FitPointSizeForEach(const QFont& font, const QStringList& texts, QSize room, int maxPoints);

}  // namespace kelvaron
