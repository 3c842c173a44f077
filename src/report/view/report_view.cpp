#include "report/view/report_view.h"

#include "base/layout.h"
#include "base/text_codec.h"
#include "report/report_font.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

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
    // Unlocked, the operator may have edited the view: its text is the report.
    if (isReadOnly()) return lines_;
    if (document()->isEmpty()) return {};
    // The raw text keeps every character (a no-break space stays one).
    return document()->toRawText().split(QChar::ParagraphSeparator);
}

void ReportView::SetLines(const QStringList& lines) {
    if (lines == lines_ && isReadOnly()) return;
    lines_ = lines;
    QStringList shown = lines;
    for (QString& line : shown)
        if (line.size() > kShownChars) line = line.left(kShownChars) + QChar(0x2026);
    setPlainText(shown.join(QLatin1Char('\n')));
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (!FitsCp1251(event->text())) return;
    QPlainTextEdit::keyPressEvent(event);
}

void ReportView::inputMethodEvent(QInputMethodEvent* event) {
    if (!FitsCp1251(event->commitString())) event->setCommitString({});
    QPlainTextEdit::inputMethodEvent(event);
}

void ReportView::insertFromMimeData(const QMimeData* source) {
    if (source->hasText() && !FitsCp1251(source->text())) return;
    QPlainTextEdit::insertFromMimeData(source);
}

void ReportView::ApplyLayout(const MainWindowLayout& l) {
    setGeometry(l.memo1);
    setFont(ReportFont(l.memo1Font));
}

}  // namespace kelvaron
