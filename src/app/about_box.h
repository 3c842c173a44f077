#pragma once
// TAboutBox, "About": the product's name and version, the service contact from
// "service.txt" beside the program (nothing when it is missing), and the product
// picture, decoded from "produkt.jpg" beside the program.
// "о продукции" and a click on the picture close the box first and then open the
// product document "produkt.txt" (or warn that it is missing).
#include "base/interaction.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QFrame;

namespace kelvaron {

// The picture beside the program and the document behind "о продукции".
inline const QString kProductPictureFile = QStringLiteral("produkt.jpg");
inline const QString kProductDocumentFile = QStringLiteral("produkt.txt");
// The service contact, written by the installer or the service, Windows-1251:
// the first line names the service, the others are its telephones and addresses.
inline const QString kServiceContactFile = QStringLiteral("service.txt");

class TAboutBox final : public QDialog {
    Q_OBJECT

public:
    // `programDir` is the program folder the picture and the document are found in.
    TAboutBox(const QString& programDir, Interaction& interaction, QWidget* parent = nullptr);

    QFrame* frame = nullptr;
    QLabel* iconImage = nullptr;  // the small product icon
    QLabel* ProductNameLabel = nullptr;
    QLabel* ProductName = nullptr;  // "KELVARON"
    QLabel* VersionLabel = nullptr;
    QLabel* Version = nullptr;             // "1.0.9.0"
    QLabel* Company = nullptr;             // the service, hidden without a service contact
    QLabel* Contacts = nullptr;            // its telephones and addresses, one per line
    QLabel* productPicture = nullptr;      // the product picture; a click opens the document
    QPushButton* productButton = nullptr;  // "о продукции"
    QPushButton* cancelButton = nullptr;   // "Отмена"
    QPushButton* OKButton = nullptr;       // "OK"

    // Whether productPicture shows the decoded picture (false: the placeholder).
    bool ShowsPicture() const { return showsPicture_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadPicture();
    void LoadServiceContact();
    void BitBtn1Click();

    QString programDir_;
    Interaction& interaction_;
    bool showsPicture_ = false;
};

// What the about box shows when the product picture cannot be read.
QPixmap MissingPicture(QSize size);

}  // namespace kelvaron
