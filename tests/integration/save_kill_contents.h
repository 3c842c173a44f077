#pragma once
// The two versions of each kind of file that save_kill_helper saves in turn to one
// path, and the save itself, shared by the helper and the test that kills it: the
// test writes both versions once through the same save to know their bytes.
//
// The versions differ in length as well as in content, so a file cut short or
// mixed from both is told from either whole one.
#include "base/app_settings.h"
#include "report/metafile/picture_files.h"
#include "report/report_files.h"

#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QStringList>

namespace kelvaron::testing {

// The kinds of file, by the name the helper takes on its command line.
// "settings-in-place" is the settings saved where the folder refuses the
// temporary file while the file itself may be written (a folder without write
// permission), so the record is written over the old one in place.
inline const QStringList kSaveKinds = {QStringLiteral("report"), QStringLiteral("emf"),
                                       QStringLiteral("bmp"), QStringLiteral("settings"),
                                       QStringLiteral("settings-in-place")};

// A report of some hundred lines of Cyrillic text (about 60 KB, or 40 KB).
inline QStringList KillReportLines(int version) {
    QStringList lines;
    const int count = version == 0 ? 900 : 640;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Строка %1 отчета, вариант %2: дымность %3,%4 %   Иванов А123АА")
                     .arg(i)
                     .arg(version)
                     .arg(10 + i % 80)
                     .arg(i % 10);
    return lines;
}

// A picture of lines, shapes and curves without text (no font is needed, so the
// helper starts without a GUI application).
inline QSize KillPictureSize(int version) {
    return version == 0 ? QSize(640, 400) : QSize(600, 420);
}
inline void PaintKillPicture(QPainter& painter, int version) {
    painter.fillRect(QRect(QPoint(0, 0), KillPictureSize(version)),
                     version == 0 ? Qt::black : Qt::darkBlue);
    for (int curve = 0; curve < 6; ++curve) {
        painter.setPen(QPen(QColor::fromHsv(curve * 60, 255, 255), 2));
        QPainterPath path;
        path.moveTo(0, 380);
        for (int x = 0; x <= 160; ++x)
            path.lineTo(x * 3.75, 380 - ((x * (curve + 2 + version)) % 300));
        painter.drawPath(path);
    }
    painter.setPen(Qt::white);
    for (int i = 0; i < 40 + 20 * version; ++i) painter.drawRect(10 + i * 7, 10, 5, 5 + i);
}

// A settings record whose every named field differs between the versions.
inline AppSettings KillSettings(int version) {
    AppSettings s = AppSettings::Defaults();
    s.setWindowLeft(version == 0 ? 11 : 1011);
    s.setWindowTop(version == 0 ? 22 : 522);
    s.setKFontColor(version == 0 ? 0x00112233 : 0x00445566);
    s.setRecordInterval(version == 0 ? 100 : 60000);
    s.setNormIndex(version);
    return s;
}

// Saves `version` (0 or 1) of `kind` to `path` as the program does. False when the
// save failed or the kind is unknown.
inline bool SaveKillVersion(const QString& kind, const QString& path, int version) {
    if (kind == QLatin1String("report")) return SaveReportFile(path, KillReportLines(version));
    if (kind == QLatin1String("settings")) return WriteSettingsFile(path, KillSettings(version));
    if (kind == QLatin1String("settings-in-place")) {
        SaveInterruption refused;
        refused.refuseTemporary = true;
        return WriteSettingsFile(path, KillSettings(version), refused);
    }
    const PictureType type = kind == QLatin1String("emf") ? PictureType::Emf : PictureType::Bmp;
    if (kind != QLatin1String("emf") && kind != QLatin1String("bmp")) return false;
    return WritePicture(path, type, KillPictureSize(version),
                        [version](QPainter& painter) { PaintKillPicture(painter, version); });
}

}  // namespace kelvaron::testing
