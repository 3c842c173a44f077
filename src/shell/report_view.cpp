#include "report_view.h"

#include "shell/layout.h"

namespace kelvaron {

ReportView::ReportView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("Memo1");
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Lucida Console"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setBold(true);
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
    QFont f = font();
    f.setPointSize(l.memo1Font);
    setFont(f);
}

}  // namespace kelvaron
