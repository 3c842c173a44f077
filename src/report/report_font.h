#pragma once
// The font of the report view and of printed reports: fixed pitch, so that the
// measurement columns line up, and with Cyrillic letters.
#include <QFont>
#include <QString>

namespace kelvaron {

// "Lucida Console" where installed; otherwise the first installed of Liberation
// Mono and DejaVu Sans Mono that has Cyrillic, otherwise the system's fixed font.
// Needs a running QGuiApplication.
QString ReportFontFamily();

// That family, bold, fixed pitch, at `pointSize` points.
QFont ReportFont(int pointSize);

}  // namespace kelvaron
