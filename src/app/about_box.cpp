#include "app/about_box.h"

#include "app/application_look.h"
#include "app/jpeg_image.h"
#include "base/open_document.h"
#include "base/text_file.h"
#include "base/view/widget_kit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

constexpr int kClientWidth = 598;
constexpr int kClientHeight = 298;
const QSize kPictureSize(240, 180);
// The service contact: its name and six lines at most, each no wider than this.
constexpr int kContactLines = 7;
constexpr int kContactWidth = 300;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    return Named(new QLabel(text, parent), name);
}

// A page with its corner turned and an arrow: "open the document".
QIcon DocumentIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 60, 110), 1));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10.5, 1.5);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.drawPath(page);
    for (int y = 6; y <= 12; y += 2) p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
    return QIcon(pixmap);
}

}  // namespace

QPixmap MissingPicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(QColor(235, 235, 235));
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    p.setPen(QColor(90, 90, 90));
    QFont font = p.font();
    font.setBold(false);
    font.setPixelSize(13);
    p.setFont(font);
    p.drawText(pixmap.rect(), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Изображение\nнедоступно"));
    return pixmap;
}

TAboutBox::TAboutBox(const QString& programDir, Interaction& interaction, QWidget* parent)
    : QDialog(parent), programDir_(programDir), interaction_(interaction) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(kClientWidth, kClientHeight);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setBold(true);
    setFont(font);

    frame = Named(new QFrame(this), "Panel1");
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setLineWidth(2);

    iconImage = MakeLabel(frame, "Image1", QString());
    iconImage->setPixmap(ProgramIcon().pixmap(32, 32));
    iconImage->setFixedSize(36, 36);
    ProductNameLabel = MakeLabel(frame, "ProductNameLabel", QStringLiteral("Product Name :"));
    ProductName = MakeLabel(frame, "ProductName", QStringLiteral("KELVARON"));
    VersionLabel = MakeLabel(frame, "VersionLabel", QStringLiteral("Version :"));
    Version = MakeLabel(frame, "Version", QStringLiteral("1.0.9.0"));
    Company = MakeLabel(frame, "Company", QString());
    Contacts = MakeLabel(frame, "Contacts", QString());
    Contacts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LoadServiceContact();

    productPicture = MakeLabel(frame, "Image2", QString());
    productPicture->setFixedSize(kPictureSize);
    productPicture->setAlignment(Qt::AlignCenter);
    productPicture->setCursor(Qt::PointingHandCursor);
    productPicture->installEventFilter(this);
    LoadPicture();

    productButton = MakeButton(frame, "BitBtn1", QStringLiteral("о продукции"));
    productButton->setIcon(DocumentIcon());
    // The picture sits to the right of the text.
    productButton->setLayoutDirection(Qt::RightToLeft);
    cancelButton = MakeButton(this, "Button1", QStringLiteral("Отмена"));
    OKButton = MakeButton(this, "OKButton", QStringLiteral("OK"));
    OKButton->setDefault(true);

    auto* names = new QGridLayout;
    names->addWidget(ProductNameLabel, 0, 0);
    names->addWidget(ProductName, 0, 1);
    names->addWidget(VersionLabel, 1, 0);
    names->addWidget(Version, 1, 1);
    names->setColumnStretch(1, 1);
    auto* head = new QHBoxLayout;
    head->addWidget(iconImage, 0, Qt::AlignTop);
    head->addLayout(names, 1);
    auto* text = new QVBoxLayout;
    text->addLayout(head);
    text->addWidget(Company);
    text->addWidget(Contacts);
    text->addStretch();
    auto* picture = new QVBoxLayout;
    picture->addWidget(productPicture);
    picture->addWidget(productButton, 0, Qt::AlignHCenter);
    picture->addStretch();
    auto* inside = new QHBoxLayout(frame);
    inside->addLayout(text, 1);
    inside->addLayout(picture);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(OKButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(frame, 1);
    column->addLayout(buttons);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(productButton, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TAboutBox::LoadPicture() {
    const std::optional<QImage> picture =
        DecodeJpegFile(DocumentPath(programDir_, kProductPictureFile));
    showsPicture_ = picture.has_value();
    if (!showsPicture_) {
        productPicture->setPixmap(MissingPicture(kPictureSize));
        return;
    }
    productPicture->setPixmap(QPixmap::fromImage(
        picture->size() == kPictureSize
            ? *picture
            : picture->scaled(kPictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TAboutBox::LoadServiceContact() {
    // The lines that are not blank, as many as the box has room for, each cut to
    // the width left of the picture.
    const std::optional<QString> text =
        ReadTextFile(DocumentPath(programDir_, kServiceContactFile));
    QStringList lines;
    const QFontMetrics metrics(Contacts->font());
    for (const QString& line : text.value_or(QString()).split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) continue;
        lines << metrics.elidedText(line.trimmed(), Qt::ElideRight, kContactWidth);
        if (lines.size() == kContactLines) break;
    }
    Company->setText(lines.value(0));
    Contacts->setText(lines.mid(1).join(QLatin1Char('\n')));
    Company->setVisible(!Company->text().isEmpty());
    Contacts->setVisible(!Contacts->text().isEmpty());
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    // Enter closes the box; "о продукции" is one Tab away.
    OKButton->setFocus();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == productPicture && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            productPicture->rect().contains(mouse->position().toPoint())) {
            BitBtn1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::BitBtn1Click() {
    // The box goes away first, so the document (or the warning) is not hidden
    // behind it.
    reject();
    OpenDocument(programDir_, kProductDocumentFile, interaction_);
}

}  // namespace kelvaron
