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

    // The report's lines, whole: what is saved and printed.
    QStringList Lines() const;
    void SetLines(const QStringList& lines);
    // A line longer than this is shown cut, with "…": laying out a line of
    // megabytes would hold the window for seconds. Lines() still has it whole.
    static constexpr int kShownChars = 4000;
    void ApplyLayout(const MainWindowLayout& layout);
    // The hidden unlock of the options dialog: editable for the rest of the run.
    void Unlock() { setReadOnly(false); }

private:
    QStringList lines_;
};

}  // namespace kelvaron
