// The options dialog, the help documents and the about box, driven as the
// operator does: shown (never exec'd), clicked and keyed, with every question
// and colour dialog answered by the script.
#include "app/about_box.h"
#include "app/application_look.h"
#include "app/options_dialog.h"
#include "app/widget_interaction.h"
#include "base/colors.h"
#include "base/open_document.h"
#include "base/text_codec.h"
#include "testing/file_bytes.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kelvaron;
using kelvaron::testing::PutFile;
using kelvaron::testing::ScriptedInteraction;

namespace {

const QString kRestoreQuestion =
    QStringLiteral("Вы действительно хотите восстановить значения по умолчанию ?");

// 320 bytes, every one set: nothing in it equals the default record.
AppSettings EveryByteSet() {
    QByteArray bytes(AppSettings::kBytes, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0x80 | ((i * 29 + 3) & 0x7F));
    return AppSettings::FromBytes(bytes);
}

// What the operator sees in a colour sample: its background, away from the text.
QColor SampleBackground(QLineEdit* sample) {
    const QImage image = sample->grab().toImage();
    return image.pixelColor(image.width() - 6, image.height() / 2);
}

// The colour of the sample's text: the pixel of the glyphs least like the background.
QColor SampleText(QLineEdit* sample) {
    const QImage image = sample->grab().toImage();
    const QColor back = SampleBackground(sample);
    QColor best = back;
    int bestDistance = -1;
    for (int y = 2; y < image.height() - 2; ++y)
        for (int x = 2; x < image.width() / 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d = qAbs(c.red() - back.red()) + qAbs(c.green() - back.green()) +
                          qAbs(c.blue() - back.blue());
            if (d > bestDistance) {
                bestDistance = d;
                best = c;
            }
        }
    return best;
}

struct OptionsDialog {
    AppSettings settings = AppSettings::Defaults();
    ScriptedInteraction ui;
    TPagesDlg dlg{settings, ui};

    bool Open() {
        dlg.show();
        return QTest::qWaitForWindowExposed(&dlg);
    }
    template <typename W>
    W* Find(const char* name) {
        return dlg.findChild<W*>(QString::fromLatin1(name));
    }
};

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// Check boxes and radio buttons take a click on their indicator, at the left.
void Tick(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

using Field = std::function<int32_t(const AppSettings&)>;

}  // namespace

class OptionsAndHelpTest : public QObject {
    Q_OBJECT

private slots:
    // ---- the options dialog ----

    void controlsCarryTheirNamesAndTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const std::pair<const char*, const char*> rows[] = {
            {"CheckBox5", "Связь со старта программы"},
            {"CheckBox2", "показывать нормы"},
            {"CheckBox1", "включать нормы в отчет"},
            {"RadioGroup1", "Опрос портов"},
            {"RadioGroup1_0", "COM1..COM8"},
            {"RadioGroup1_1", "Все доступные порты"},
            {"Button24", "Настройки по умолчанию."},
            {"RadioGroup3", "Отображать на графике:"},
            {"RadioGroup3_0", "Коэфф.поглощения  К , м-1"},
            {"RadioGroup3_1", "Дымность  N,  %"},
            {"Label7", "Толщина линий графиков"},
            {"CheckBox3", "показывать легенду"},
            {"Button7", "фон графика"},
            {"Label9", "Цвет К ,м-1"},
            {"Label13", "Цвет N , %"},
            {"Label10", "Цвет F,об/мин"},
            {"Label11", "Цвет Tмас,град"},
            {"Label12", "Цвет обозн."},
            {"Edit9", "   Аб"},
            {"Edit13", "   Вг"},
            {"Edit10", "   Де"},
            {"Edit11", "   Жз"},
            {"Edit12", "   Ик"},
            {"CancelBtn", "Отмена"},
            {"OKBtn", "OK"},
        };
        for (const auto& [name, text] : rows)
            QTest::newRow(name) << name << QString::fromUtf8(text);
        for (const char* name : {"Button9", "Button17", "Button11", "Button13", "Button15"})
            QTest::newRow(name) << name << QStringLiteral("ШРИФТ");
        for (const char* name : {"Button10", "Button18", "Button12", "Button14", "Button16"})
            QTest::newRow(name) << name << QStringLiteral("ФОН");
    }
    void controlsCarryTheirNamesAndTexts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        OptionsDialog d;
        QWidget* widget = d.dlg.findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QString shown;
        if (auto* b = qobject_cast<QAbstractButton*>(widget)) shown = b->text();
        if (auto* l = qobject_cast<QLabel*>(widget)) shown = l->text();
        if (auto* g = qobject_cast<QGroupBox*>(widget)) shown = g->title();
        if (auto* e = qobject_cast<QLineEdit*>(widget)) shown = e->text();
        QCOMPARE(shown, text);
    }

    void dialogIsFixedWithThreeTabsAndItsKeys() {
        OptionsDialog d;
        QVERIFY(d.Open());
        QCOMPARE(d.dlg.windowTitle(), QStringLiteral("Опции"));
        QCOMPARE(d.dlg.size(), QSize(546, 371));
        QCOMPARE(d.dlg.minimumSize(), d.dlg.maximumSize());
        QCOMPARE(d.dlg.tabs->count(), 3);
        QCOMPARE(d.dlg.tabs->tabText(0), QStringLiteral("Общие"));
        QCOMPARE(d.dlg.tabs->tabText(1), QStringLiteral("График"));
        QCOMPARE(d.dlg.tabs->tabText(2), QStringLiteral("Прочее"));
        QVERIFY(d.dlg.okButton->isDefault());
        QCOMPARE(d.dlg.restoreDefaultsButton->toolTip(),
                 QStringLiteral("Восстановить все исходные настройки"));
        QCOMPARE(d.dlg.lineWidthSpin->minimum(), 1);
        QCOMPARE(d.dlg.lineWidthSpin->maximum(), 5);
        // The legend box exists but is never shown, whatever tab is open.
        d.dlg.tabs->setCurrentIndex(1);
        QVERIFY(d.dlg.chartBackButton->isVisible());
        QVERIFY(!d.dlg.showLegendCheck->isVisible());
        // Every control of the samples' rows fits inside the fixed dialog.
        d.dlg.tabs->setCurrentIndex(2);
        for (const auto& row : d.dlg.Rows) {
            QVERIFY(row.backButton->isVisible());
            const QRect r(row.backButton->mapTo(&d.dlg, QPoint(0, 0)), row.backButton->size());
            QVERIFY2(d.dlg.rect().contains(r), qPrintable(row.backButton->objectName()));
        }
        // Controls are known by their visible text.
        QCOMPARE(d.dlg.connectAtStartCheck->accessibleName().isEmpty()
                     ? d.dlg.connectAtStartCheck->text()
                     : d.dlg.connectAtStartCheck->accessibleName(),
                 QStringLiteral("Связь со старта программы"));
        QCOMPARE(d.dlg.lineWidthSpin->accessibleName(), QStringLiteral("Толщина линий графиков"));
    }

    void controlsLoadedAtEveryShowingOnTheFirstTab() {
        OptionsDialog d;
        d.settings.setConnectAtStart(1);
        d.settings.setShowNorms(2);  // not 1: unticked
        d.settings.setNormsInReport(1);
        d.settings.setShowLegend(0);
        d.settings.setPortSearch(7);  // any non-zero value searches all ports
        d.settings.setChartQuantity(0);
        d.settings.setLineWidth(99);
        d.settings.setKBackColor(ColorToRef(QColor(0, 0, 255)));
        d.settings.setKFontColor(ColorToRef(QColor(255, 255, 0)));
        QVERIFY(d.Open());
        QCOMPARE(d.dlg.tabs->currentIndex(), 0);
        QVERIFY(d.dlg.connectAtStartCheck->isChecked());
        QVERIFY(!d.dlg.showNormsCheck->isChecked());
        QVERIFY(d.dlg.normsInReportCheck->isChecked());
        QVERIFY(!d.dlg.showLegendCheck->isChecked());
        QVERIFY(d.dlg.RadioGroup1Items[1]->isChecked());
        QVERIFY(d.dlg.RadioGroup3Items[0]->isChecked());
        QCOMPARE(d.dlg.lineWidthSpin->value(), 5);
        d.dlg.tabs->setCurrentIndex(2);
        QCOMPARE(SampleBackground(d.dlg.Rows[0].sample), QColor(0, 0, 255));
        QCOMPARE(SampleText(d.dlg.Rows[0].sample), QColor(255, 255, 0));

        // Closed on another tab and the record changed meanwhile: the next
        // showing starts on "Общие" with the record's values.
        d.dlg.hide();
        d.settings.setConnectAtStart(0);
        d.settings.setShowNorms(1);
        d.settings.setPortSearch(0);
        d.settings.setChartQuantity(1);
        d.settings.setShowLegend(1);
        d.settings.setLineWidth(0);
        d.settings.setKBackColor(ColorToRef(QColor(0, 128, 0)));
        QVERIFY(d.Open());
        QCOMPARE(d.dlg.tabs->currentIndex(), 0);
        QVERIFY(!d.dlg.connectAtStartCheck->isChecked());
        QVERIFY(d.dlg.showNormsCheck->isChecked());
        QVERIFY(d.dlg.showLegendCheck->isChecked());
        QVERIFY(d.dlg.RadioGroup1Items[0]->isChecked());
        QVERIFY(d.dlg.RadioGroup3Items[1]->isChecked());
        QCOMPARE(d.dlg.lineWidthSpin->value(), 1);
        d.dlg.tabs->setCurrentIndex(2);
        QCOMPARE(SampleBackground(d.dlg.Rows[0].sample), QColor(0, 128, 0));
    }

    void okStoresTheControlsAndNothingElse() {
        OptionsDialog d;
        d.settings = EveryByteSet();
        d.settings.setShowLegend(1);
        d.settings.setShowNorms(2);
        const AppSettings before = d.settings;
        QVERIFY(d.Open());
        Tick(d.dlg.connectAtStartCheck);  // was not 1: ticked now
        Tick(d.dlg.RadioGroup1Items[0]);
        d.dlg.tabs->setCurrentIndex(1);
        Tick(d.dlg.RadioGroup3Items[1]);
        d.dlg.lineWidthSpin->setFocus();
        QTest::keyClick(d.dlg.lineWidthSpin, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d.dlg.lineWidthSpin, "3");
        Click(d.dlg.okButton);
        QVERIFY(!d.dlg.isVisible());
        QCOMPARE(d.dlg.result(), int(QDialog::Accepted));
        QCOMPARE(d.settings.connectAtStart(), 1);
        QCOMPARE(d.settings.portSearch(), 0);
        QCOMPARE(d.settings.chartQuantity(), 1);
        QCOMPARE(d.settings.lineWidth(), 3);
        QCOMPARE(d.settings.showNorms(), 0);      // held 2: stored as 0
        QCOMPARE(d.settings.showLegend(), 1);     // invisible, yet kept
        QCOMPARE(d.settings.normsInReport(), 0);  // held neither 0 nor 1
        // Colours untouched by the operator come back as they were read.
        QCOMPARE(d.settings.chartBackColor(), before.chartBackColor());
        QCOMPARE(d.settings.captionBackColor(), before.captionBackColor());
        // Fields the dialog does not show are not touched.
        QCOMPARE(d.settings.windowWidth(), before.windowWidth());
        QCOMPARE(d.settings.recordInterval(), before.recordInterval());
        QCOMPARE(d.settings.normIndex(), before.normIndex());
        QCOMPARE(d.settings.ToBytes().mid(160), before.ToBytes().mid(160));
    }

    void invisibleLegendRoundTripsThroughTheDialog_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("afterOk");
        QTest::newRow("shown") << 1 << 1;
        QTest::newRow("hidden") << 0 << 0;
        QTest::newRow("neither") << 5 << 0;
    }
    void invisibleLegendRoundTripsThroughTheDialog() {
        QFETCH(int, stored);
        QFETCH(int, afterOk);
        OptionsDialog d;
        d.settings.setShowLegend(stored);
        QVERIFY(d.Open());
        QTest::keyClick(&d.dlg, Qt::Key_Return);  // Enter presses "OK"
        QVERIFY(!d.dlg.isVisible());
        QCOMPARE(d.settings.showLegend(), afterOk);
    }

    // Each colour button starts the colour dialog from its sample's colour and
    // puts the choice into its own field only.
    void eachColourButtonSetsItsOwnField_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("tab");
        QTest::addColumn<Field>("field");
        QTest::newRow("Button7") << "Button7" << 1 << Field(&AppSettings::chartBackColor);
        QTest::newRow("Button9") << "Button9" << 2 << Field(&AppSettings::kFontColor);
        QTest::newRow("Button10") << "Button10" << 2 << Field(&AppSettings::kBackColor);
        QTest::newRow("Button17") << "Button17" << 2 << Field(&AppSettings::nFontColor);
        QTest::newRow("Button18") << "Button18" << 2 << Field(&AppSettings::nBackColor);
        QTest::newRow("Button11") << "Button11" << 2 << Field(&AppSettings::rpmFontColor);
        QTest::newRow("Button12") << "Button12" << 2 << Field(&AppSettings::rpmBackColor);
        QTest::newRow("Button13") << "Button13" << 2 << Field(&AppSettings::oilFontColor);
        QTest::newRow("Button14") << "Button14" << 2 << Field(&AppSettings::oilBackColor);
        QTest::newRow("Button15") << "Button15" << 2 << Field(&AppSettings::captionFontColor);
        QTest::newRow("Button16") << "Button16" << 2 << Field(&AppSettings::captionBackColor);
    }
    void eachColourButtonSetsItsOwnField() {
        QFETCH(QString, button);
        QFETCH(int, tab);
        QFETCH(Field, field);
        OptionsDialog d;
        const AppSettings before = d.settings;
        const QColor chosen(12, 34, 56);
        d.ui.colorChoices.push_back(chosen);
        QVERIFY(d.Open());
        d.dlg.tabs->setCurrentIndex(tab);
        Click(d.dlg.findChild<QPushButton*>(button));
        QCOMPARE(d.ui.colorDialogs.size(), 1);
        QCOMPARE(d.ui.colorDialogs[0], ColorFromRef(field(before)));
        QCOMPARE(d.settings, before);  // nothing reaches the record before OK
        Click(d.dlg.okButton);
        QCOMPARE(field(d.settings), ColorToRef(chosen));
        // Every other field as before.
        int differences = 0;
        const QByteArray a = before.ToBytes(), b = d.settings.ToBytes();
        for (int offset = 0; offset < AppSettings::kBytes; offset += 4)
            differences += a.mid(offset, 4) != b.mid(offset, 4);
        QCOMPARE(differences, 1);
    }

    void colourChosenThenCancelChangesNothing() {
        OptionsDialog d;
        const AppSettings before = d.settings;
        d.ui.colorChoices.push_back(QColor(255, 0, 0));
        d.ui.colorChoices.push_back(QColor(0, 0, 255));
        QVERIFY(d.Open());
        d.dlg.tabs->setCurrentIndex(2);
        Click(d.dlg.Rows[0].backButton);
        Click(d.dlg.Rows[0].textButton);
        QCOMPARE(SampleBackground(d.dlg.Rows[0].sample), QColor(255, 0, 0));
        QCOMPARE(SampleText(d.dlg.Rows[0].sample), QColor(0, 0, 255));
        Click(d.dlg.cancelButton);
        QVERIFY(!d.dlg.isVisible());
        QCOMPARE(d.dlg.result(), int(QDialog::Rejected));
        QCOMPARE(d.settings, before);
        // Reopened, the sample shows the stored colours again.
        QVERIFY(d.Open());
        d.dlg.tabs->setCurrentIndex(2);
        QCOMPARE(SampleBackground(d.dlg.Rows[0].sample), ColorFromRef(before.kBackColor()));
        // Escape cancels the same way.
        d.ui.colorChoices.push_back(QColor(0, 255, 0));
        Click(d.dlg.Rows[4].backButton);
        QTest::keyClick(&d.dlg, Qt::Key_Escape);
        QVERIFY(!d.dlg.isVisible());
        QCOMPARE(d.settings, before);
    }

    void cancelledColourChoiceKeepsTheSample() {
        OptionsDialog d;
        d.settings.setChartBackColor(ColorToRef(QColor(0, 128, 128)));
        const AppSettings before = d.settings;
        d.ui.colorChoices.push_back(std::nullopt);
        QVERIFY(d.Open());
        d.dlg.tabs->setCurrentIndex(1);
        Click(d.dlg.chartBackButton);
        QCOMPARE(d.ui.colorDialogs.size(), 1);
        QCOMPARE(d.ui.colorDialogs[0], QColor(0, 128, 128));
        QCOMPARE(SampleBackground(d.dlg.chartBackSample), QColor(0, 128, 128));
        Click(d.dlg.okButton);
        QCOMPARE(d.settings.chartBackColor(), before.chartBackColor());
    }

    void restoreDefaultsAnsweredNoOrCancelChangesNothing_data() {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("No") << Answer::No;
        QTest::newRow("Cancel") << Answer::Cancel;
    }
    void restoreDefaultsAnsweredNoOrCancelChangesNothing() {
        QFETCH(Answer, answer);
        OptionsDialog d;
        d.settings = EveryByteSet();
        const AppSettings before = d.settings;
        QSignalSpy restored(&d.dlg, &TPagesDlg::defaultsRestored);
        d.ui.answers.push_back(answer);
        QVERIFY(d.Open());
        Click(d.dlg.restoreDefaultsButton);
        QCOMPARE(d.ui.warnings.size(), 1);
        QCOMPARE(d.ui.warnings[0].text, kRestoreQuestion);
        QCOMPARE(d.ui.warnings[0].buttons, Buttons::YesNoCancel);
        QVERIFY(d.dlg.isVisible());
        QCOMPARE(d.settings, before);
        QCOMPARE(restored.count(), 0);
    }

    void restoreDefaultsAnsweredYesPutsTheDefaultRecordAndCloses() {
        OptionsDialog d;
        d.settings = EveryByteSet();
        QSignalSpy restored(&d.dlg, &TPagesDlg::defaultsRestored);
        QSignalSpy finished(&d.dlg, &QDialog::finished);
        d.ui.answers.push_back(Answer::Yes);
        QVERIFY(d.Open());
        d.dlg.lineWidthSpin->setValue(4);  // a control changed before: not stored
        Click(d.dlg.restoreDefaultsButton);
        QVERIFY(!d.dlg.isVisible());
        QCOMPARE(d.settings.ToBytes(), AppSettings::Defaults().ToBytes());
        QCOMPARE(restored.count(), 1);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toInt(), TPagesDlg::DefaultsRestored);
        // The next showing shows the defaults.
        QVERIFY(d.Open());
        QVERIFY(d.dlg.connectAtStartCheck->isChecked());
        QCOMPARE(d.dlg.lineWidthSpin->value(), 2);
    }

    // Qt's own dialogs, not the script: what the options ask stands over them.
    void dialogsOfTheOptionsStandOverThem_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("colour dialog") << "Button7";
        QTest::newRow("restore question") << "Button24";
    }
    void dialogsOfTheOptionsStandOverThem() {
        QFETCH(QString, button);
        QWidget window;
        WidgetInteraction ui(&window);
        AppSettings settings = AppSettings::Defaults();
        TPagesDlg dlg(settings, ui, &window);
        dlg.setWindowModality(Qt::ApplicationModal);
        dlg.show();
        QWidget* over = nullptr;
        QTimer poll;  // closes the dialog the button opens
        connect(&poll, &QTimer::timeout, [&] {
            auto* inner = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (inner && inner != &dlg) over = inner->parentWidget(), inner->reject();
        });
        poll.start(10);
        dlg.findChild<QPushButton*>(button)->click();
        QCOMPARE(over, &dlg);
    }

    void clickOnTheNLabelAsksToUnlockTheReport() {
        OptionsDialog d;
        QSignalSpy unlock(&d.dlg, &TPagesDlg::reportUnlockRequested);
        QVERIFY(d.Open());
        d.dlg.tabs->setCurrentIndex(2);
        Click(d.dlg.Rows[0].label);
        QCOMPARE(unlock.count(), 0);
        Click(d.dlg.reportUnlockLabel);
        QCOMPARE(unlock.count(), 1);
        QTest::mouseClick(d.dlg.reportUnlockLabel, Qt::RightButton);
        QCOMPARE(unlock.count(), 1);
        const AppSettings before = d.settings;
        Click(d.dlg.cancelButton);
        QCOMPARE(d.settings, before);
    }

    // ---- documents ----

    void documentBesideTheProgramOpensOrWarns_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("trailingSeparator");
        QTest::addColumn<bool>("desktopOpens");  // a program is associated with its type
        QTest::addColumn<QString>("warning");    // followed by the path; empty for none
        const QString missing = QStringLiteral("Файл не найден :");
        QTest::newRow("present") << true << true << true << QString();
        QTest::newRow("present, folder without separator") << true << false << true << QString();
        QTest::newRow("missing") << false << true << true << missing;
        QTest::newRow("missing, folder without separator") << false << false << true << missing;
        QTest::newRow("present, no program for its type")
            << true << true << false << QStringLiteral("Не удалось открыть : ");
    }
    void documentBesideTheProgramOpensOrWarns() {
        QFETCH(bool, present);
        QFETCH(bool, trailingSeparator);
        QFETCH(bool, desktopOpens);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        const QString path = dir.filePath("readme.txt");
        if (present) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        ScriptedInteraction ui;
        ui.desktopOpens = {desktopOpens};
        OpenDocument(dir.path() + (trailingSeparator ? "/" : ""), "readme.txt", ui);
        QCOMPARE(ui.opened, present ? QStringList{path} : QStringList{});
        if (warning.isEmpty()) {
            QVERIFY(ui.warnings.isEmpty());
        } else {
            QCOMPARE(ui.warnings.size(), 1);
            QCOMPARE(ui.warnings[0].text, warning + QDir::toNativeSeparators(path));
            QCOMPARE(ui.warnings[0].buttons, Buttons::OkCancel);
        }
    }

    void documentIsLookedForInTheProgramFolderNotTheWorkingOne() {
        QTemporaryDir program;
        QTemporaryDir elsewhere;
        const QString saved = QDir::currentPath();
        QFile stray(elsewhere.filePath("licence.rtf"));
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.close();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        ScriptedInteraction ui;
        OpenDocument(program.path() + "/", "licence.rtf", ui);
        QFile own(program.filePath("licence.rtf"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.close();
        QVERIFY(QDir::setCurrent(QDir::rootPath()));
        OpenDocument(program.path() + "/", "licence.rtf", ui);
        QVERIFY(QDir::setCurrent(saved));
        QCOMPARE(ui.warnings.size(), 1);
        QCOMPARE(ui.warnings[0].text,
                 QStringLiteral("Файл не найден :") +
                     QDir::toNativeSeparators(program.filePath("licence.rtf")));
        QCOMPARE(ui.opened, QStringList{program.filePath("licence.rtf")});
    }

    void chosenFileThatIsAFolderCountsAsMissing() {
        QTemporaryDir dir;
        ScriptedInteraction ui;
        OpenChosenFile(dir.path(), ui);
        QVERIFY(ui.opened.isEmpty());
        QCOMPARE(ui.warnings.size(), 1);
        QVERIFY(ui.warnings[0].text.endsWith(QDir::toNativeSeparators(dir.path())));
    }

    // ---- the about box ----

    void aboutBoxNamesTheProductAndShowsItsPicture() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QFINDTESTDATA("../../docs/station/produkt.jpg"),
                            dir.filePath("produkt.jpg")));
        ScriptedInteraction ui;
        TAboutBox box(dir.path() + "/", ui);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(box.size(), QSize(598, 298));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QCOMPARE(box.font().pixelSize(), 14);
        QVERIFY(box.font().bold());
        QCOMPARE(box.ProductNameLabel->text(), QStringLiteral("Product Name :"));
        QCOMPARE(box.ProductName->text(), QStringLiteral("KELVARON"));
        QCOMPARE(box.VersionLabel->text(), QStringLiteral("Version :"));
        QCOMPARE(box.Version->text(), QStringLiteral("1.0.9.0"));
        QVERIFY(box.Company->isHidden() && box.Contacts->isHidden());  // no service.txt
        QCOMPARE(box.productButton->text(), QStringLiteral("о продукции"));
        QCOMPARE(box.productButton->objectName(), QStringLiteral("BitBtn1"));
        QVERIFY(!box.productButton->icon().isNull());
        QCOMPARE(box.productButton->layoutDirection(), Qt::RightToLeft);  // icon right of the text
        QCOMPARE(box.cancelButton->text(), QStringLiteral("Отмена"));
        QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
        QVERIFY(box.OKButton->isDefault());
        QVERIFY(!box.iconImage->pixmap().isNull());
        QVERIFY(box.ShowsPicture());
        const QImage shown = box.productPicture->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(240, 180));
        // Every label fits inside the fixed box.
        for (QLabel* label : box.findChildren<QLabel*>()) {
            const QRect r(label->mapTo(&box, QPoint(0, 0)), label->sizeHint());
            QVERIFY2(box.rect().contains(r), qPrintable(label->objectName()));
        }
        QTest::keyClick(&box, Qt::Key_Return);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QVERIFY(ui.opened.isEmpty());
        QVERIFY(ui.warnings.isEmpty());

        // The service contact beside the program; a line too long for the box is cut.
        PutFile(dir.filePath("service.txt"),
                EncodeCp1251("Сервис\r\n\r\nтел.: 8 800 100-20-30\r\n" + QString(99, u'Ж')));
        TAboutBox served(dir.path() + "/", ui);
        QCOMPARE(served.Company->text(), QStringLiteral("Сервис"));
        QCOMPARE(served.Contacts->text().section('\n', 0, 0),
                 QStringLiteral("тел.: 8 800 100-20-30"));
        QVERIFY(served.Contacts->sizeHint().width() <= 300);
        ApplyApplicationLook(*qApp);  // the program's icon
        QVERIFY(!QApplication::windowIcon().pixmap(32).isNull());
    }

    void aboutBoxWithoutAReadablePictureShowsThePlaceholder_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("write");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("not a JPEG") << QByteArray(2000, 'x') << true;
        QFile shipped(QFINDTESTDATA("../../docs/station/produkt.jpg"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QTest::newRow("truncated") << shipped.readAll().left(3000) << true;
    }
    void aboutBoxWithoutAReadablePictureShowsThePlaceholder() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, write);
        QTemporaryDir dir;
        if (write) {
            QFile f(dir.filePath("produkt.jpg"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        ScriptedInteraction ui;
        TAboutBox box(dir.path() + "/", ui);
        QVERIFY(!box.ShowsPicture());
        const QPixmap placeholder = box.productPicture->pixmap();
        QCOMPARE(placeholder.size(), QSize(240, 180));
        QVERIFY(placeholder.toImage() == MissingPicture(QSize(240, 180)).toImage());
    }

    void productDocumentOpensAfterTheBoxHasClosed_data() {
        QTest::addColumn<bool>("byPicture");
        QTest::addColumn<bool>("present");
        QTest::newRow("button, document missing") << false << false;
        QTest::newRow("picture, document missing") << true << false;
        QTest::newRow("button, document present") << false << true;
        QTest::newRow("picture, document present") << true << true;
    }
    void productDocumentOpensAfterTheBoxHasClosed() {
        QFETCH(bool, byPicture);
        QFETCH(bool, present);
        QTemporaryDir dir;
        const QString document = dir.filePath("produkt.txt");
        if (present) {
            QFile f(document);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        ScriptedInteraction ui;
        TAboutBox box(dir.path() + "/", ui);
        bool visibleDuringWarning = true;
        ui.whileOpen = [&] { visibleDuringWarning = box.isVisible(); };
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        Click(byPicture ? static_cast<QWidget*>(box.productPicture) : box.productButton);
        QVERIFY(!box.isVisible());
        if (present) {
            QCOMPARE(ui.opened, QStringList{document});
            QVERIFY(ui.warnings.isEmpty());
        } else {
            QVERIFY(ui.opened.isEmpty());
            QCOMPARE(ui.warnings.size(), 1);
            QCOMPARE(ui.warnings[0].text,
                     QStringLiteral("Файл не найден :") + QDir::toNativeSeparators(document));
            QVERIFY(!visibleDuringWarning);
        }
    }
};

QTEST_MAIN(OptionsAndHelpTest)
#include "test_options_and_help.moc"
