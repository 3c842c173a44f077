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

protected:
    // Unlocked, the view takes only characters the Windows-1251 report file holds:
    // a key, a composed text or a paste bringing another changes nothing.
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    QStringList lines_;
};

}  // namespace kelvaron
