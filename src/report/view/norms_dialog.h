#pragma once
// TForm3, "Нормы": the operator picks a norm from the list in "norma.txt" or types
// one. It keeps the list for the whole run and reloads it from the file at every
// opening; it stores the chosen index in `normIndex` of the settings and hands
// back the norm text, without knowing the main window.
//
// The host puts the current norm text in with SetNormText, shows the dialog with
// exec() and takes NormText() back (changed only by "ОК"), then composes the
// report; when the result is EditNorms ("Редактировать нормы") it first opens
// the norms file.
#include "base/app_settings.h"
#include "report/norms_list.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelvaron {

class TForm3 final : public QDialog {
    Q_OBJECT

public:
    // exec()'s result when "Редактировать нормы" closed the dialog.
    static constexpr int EditNorms = 2;

    // `normsPath` is the norms file, `settings` the record whose normIndex the
    // dialog reads and stores.
    TForm3(QString normsPath, AppSettings& settings, QWidget* parent = nullptr);

    // Fills the list from the norms file (LoadNormsList); done at every opening,
    // and by the host once at start-up.
    void LoadList();
    const QStringList& Norms() const { return norms_; }

    // The current norm text: put into "Набор:" at opening, replaced by "ОК".
    void SetNormText(const QString& text) { normText_ = text; }
    const QString& NormText() const { return normText_; }

    QLabel* hintLabel = nullptr;             // the hint
    QListWidget* normsList = nullptr;        // the norms
    QLabel* setLabel = nullptr;              // "Набор:"
    QLineEdit* normField = nullptr;          // the typed norm
    QPushButton* okButton = nullptr;         // "ОК"
    QPushButton* cancelButton = nullptr;     // "Отмена"
    QPushButton* addButton = nullptr;        // "Добавить"
    QPushButton* editNormsButton = nullptr;  // "Редактировать нормы"

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void ShowList();
    void BitBtn1Click();
    void BitBtn3Click();

    QString normsPath_;
    AppSettings& settings_;
    QStringList norms_;
    NormsSource normsSource_ = NormsSource::File;
    QString normText_;
};

}  // namespace kelvaron
