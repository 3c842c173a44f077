#pragma once
// Memo1, the report view: the composed report, read-only, in a fixed-pitch font
// with both scroll bars.
#include <QPlainTextEdit>
#include <QStringList>

namespace kelvaron {

struct MainWindowLayout;

class ReportView final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent);

    QStringList Lines() const;
    void SetLines(const QStringList& lines);
    void ApplyLayout(const MainWindowLayout& layout);
    // The hidden unlock of the options dialog: editable for the rest of the run.
    void Unlock() { setReadOnly(false); }
};

}  // namespace kelvaron
