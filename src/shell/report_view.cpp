#include "report_view.h"

#include "report/report_font.h"
#include "shell/layout.h"

namespace kelvaron {

ReportView::ReportView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("Memo1");
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Fixed pitch, so the measurement columns stand under their header; 15 pixels
    // until the first layout.
    QFont fixed = ReportFont(0);
    fixed.setPixelSize(15);
    setFont(fixed);
}

QStringList ReportView::Lines() const {
    if (document()->isEmpty()) return {};
    return toPlainText().split(QLatin1Char('\n'));
}

void ReportView::SetLines(const QStringList& lines) {
    if (Lines() != lines) setPlainText(lines.join(QLatin1Char('\n')));
}

void ReportView::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.memo1);
    setFont(ReportFont(l.memo1Font));
}

}  // namespace kelvaron
