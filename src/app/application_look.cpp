#include "app/application_look.h"

#include "base/colors.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QToolTip>
#include <QTranslator>

namespace kelvaron {

namespace {

constexpr int32_t kToolTipColor = 0x00FFFF00;  // aqua
constexpr int kToolTipDelayMs = 10;

class ToolTipTiming final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return kToolTipDelayMs;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

QIcon ProgramIcon() { return QIcon(QStringLiteral(":/kelvaron.png")); }

void ApplyApplicationLook(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("KELVARON"));
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setStyle(new ToolTipTiming(QApplication::style()->name()));
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, ColorFromRef(kToolTipColor));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    // Message boxes, file and print dialogs speak Russian like the program.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace kelvaron
