// The report header dialog and the norms dialog, driven from the keyboard alone
// as an operator without a mouse does; and the report font.
#include "base/text_codec.h"
#include "report/norms_list.h"
#include "report/report_font.h"
#include "report/view/norms_dialog.h"
#include "report/view/report_header_dialog.h"
#include "testing/file_bytes.h"
#include "testing/scripted_interaction.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;
using kelvaron::testing::FileBytes;
using kelvaron::testing::FixedClock;
using kelvaron::testing::PutFile;

namespace {

QWidget* Focus() { return QApplication::focusWidget(); }

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

void Keys(Qt::Key key, int times, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (int i = 0; i < times; ++i) Key(key, modifiers);
}

// Types `text` into the focused widget, Cyrillic included, one key at a time.
void Type(const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, static_cast<QWidget*>(nullptr), Qt::Key_unknown,
                            QString(c), Qt::NoModifier);
}

void ClearAndType(const QString& text) {
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    Type(text);
}

const QByteArray kDefaultNormBytes =
    EncodeCp1251("    по ГОСТ без наддува:   2,5  м-1\r\n    по ГОСТ с наддувом:    3,0  м-1\r\n");
const QByteArray kThreeNorms = EncodeCp1251("первая\r\nвторая\r\nтретья\r\n");

struct HeaderDialog {
    ReportHeader header;
    StationInfo station{QStringLiteral("Станция"), QStringLiteral("  www"), false};
    FixedClock clock;
    TForm2 form{header, station, clock, QLocale(QLocale::Russian, QLocale::Russia)};

    bool Open() {
        form.show();
        return QTest::qWaitForWindowActive(&form) && Focus() == form.numberField;
    }
};

struct NormsDialog {
    QTemporaryDir dir;
    QString path = dir.filePath("norma.txt");
    AppSettings settings = AppSettings::Defaults();
    TForm3 form{path, settings};

    bool Open() {
        form.show();
        return QTest::qWaitForWindowActive(&form);
    }
};

}  // namespace

class ReportDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // ---- TForm2 ----

    void enterChainsFillEveryFieldAndPressOk() {
        HeaderDialog d;
        QVERIFY(d.Open());
        QCOMPARE(d.form.windowTitle(), QStringLiteral("Оформление данных"));
        Type("А123АА");
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.makeField);
        Type("КАМАЗ");
        Key(Qt::Key_Enter);  // the keypad's Enter works as Return
        QCOMPARE(Focus(), d.form.ownerField);
        Type("Иванов");
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.additionalField);
        Type("доп. #6");
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.decisionList);
        Keys(Qt::Key_Down, 2);
        // Back to the VIN, whose Enter leads to the decision list.
        Keys(Qt::Key_Backtab, 4, Qt::ShiftModifier);
        QCOMPARE(Focus(), d.form.vinField);
        Type("XTA21099");
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.decisionList);
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.okButton);
        QVERIFY(d.form.isVisible());
        Key(Qt::Key_Return);

        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.form.result(), int(QDialog::Accepted));
        QCOMPARE(d.header.vehicleNumber, QStringLiteral("А123АА"));
        QCOMPARE(d.header.make, QStringLiteral("КАМАЗ"));
        QCOMPARE(d.header.owner, QStringLiteral("Иванов"));
        QCOMPARE(d.header.extra, QStringLiteral("доп. #6"));
        QCOMPARE(d.header.vin, QStringLiteral("XTA21099"));
        QCOMPARE(d.header.decision, QStringLiteral("НЕ ГОДЕН"));
        QCOMPARE(d.station.line1, QStringLiteral("Станция"));
        QVERIFY(!d.station.changed);
    }

    void okWithoutTouchingTheDecisionStoresEightUnderscores() {
        HeaderDialog d;
        d.header.decision = QStringLiteral("ГОДЕН");
        d.header.vehicleNumber = QStringLiteral("старый");
        QVERIFY(d.Open());
        QCOMPARE(d.form.decisionList->currentItem()->text(), QString(12, QLatin1Char('_')));
        ClearAndType(" А123АА ");
        Keys(Qt::Key_Tab, 6);
        QCOMPARE(Focus(), d.form.okButton);
        Key(Qt::Key_Return);
        QCOMPARE(d.form.result(), int(QDialog::Accepted));
        QCOMPARE(d.header.decision, QStringLiteral("________"));
        QCOMPARE(d.header.vehicleNumber, QStringLiteral(" А123АА "));  // stored as typed
    }

    void fieldsTakeAtMostFifteenCharactersAndTheVinSeventeen() {
        HeaderDialog d;
        QVERIFY(d.Open());
        Type("0123456789ABCDEFG");
        QCOMPARE(d.form.numberField->text(), QStringLiteral("0123456789ABCDE"));
        for (QLineEdit* e :
             {d.form.numberField, d.form.makeField, d.form.ownerField, d.form.additionalField})
            QCOMPARE(e->maxLength(), 15);
        d.form.vinField->setFocus();
        Type("XTA21099012345678Z");
        QCOMPARE(d.form.vinField->text(), QStringLiteral("XTA21099012345678"));
    }

    void openingFillsFromTheRecordsAndTheClock() {
        HeaderDialog d;
        d.header = {"А1", "ГАЗ", "Петров", "доп", "VIN1", "ГОДЕН"};
        QVERIFY(d.Open());
        QCOMPARE(d.form.numberField->text(), QStringLiteral("А1"));
        QCOMPARE(d.form.makeField->text(), QStringLiteral("ГАЗ"));
        QCOMPARE(d.form.ownerField->text(), QStringLiteral("Петров"));
        QCOMPARE(d.form.additionalField->text(), QStringLiteral("доп"));
        QCOMPARE(d.form.vinField->text(), QStringLiteral("VIN1"));
        QCOMPARE(d.form.stationLine1Field->text(), QStringLiteral("Станция"));
        QCOMPARE(d.form.stationLine2Field->text(), QStringLiteral("  www"));
        QCOMPARE(d.form.dateLabel->text(), QStringLiteral("06.12.2026"));
        QCOMPARE(d.form.timeLabel->text(), QStringLiteral("14:05:07"));
        Key(Qt::Key_Escape);
        QCOMPARE(d.form.result(), int(QDialog::Rejected));

        // The next opening shows the clock anew.
        d.clock.now = QDateTime(QDate(2027, 1, 2), QTime(9, 1, 2));
        QVERIFY(d.Open());
        QCOMPARE(d.form.dateLabel->text(), QStringLiteral("02.01.2027"));
        QCOMPARE(d.form.timeLabel->text(), QStringLiteral("9:01:02"));
    }

    void tabOrderSkipsTheLockedStationLines() {
        HeaderDialog d;
        QVERIFY(d.Open());
        QVERIFY(!d.form.stationLine1Field->isEnabled());
        QVERIFY(!d.form.stationLine2Field->isEnabled());
        const QList<QWidget*> expected = {d.form.vinField,           d.form.makeField,
                                          d.form.ownerField,         d.form.additionalField,
                                          d.form.decisionList,       d.form.okButton,
                                          d.form.cancelButton,       d.form.changeStationButton,
                                          d.form.editTemplateButton, d.form.numberField};
        for (QWidget* next : expected) {
            Key(Qt::Key_Tab);
            QCOMPARE(Focus(), next);
        }
    }

    void changeThenCancelKeepsTheLinesButMarksThemChanged() {
        HeaderDialog d;
        QVERIFY(d.Open());
        Keys(Qt::Key_Tab, 8);
        QCOMPARE(Focus(), d.form.changeStationButton);
        // The press of Enter presses "Изменить"; its release, now in station line 1,
        // must not move on to line 2.
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.stationLine1Field);
        QVERIFY(d.form.stationLine1Field->isEnabled());
        QVERIFY(d.station.changed);
        ClearAndType("Другая станция");
        Keys(Qt::Key_Backtab, 2, Qt::ShiftModifier);
        QCOMPARE(Focus(), d.form.cancelButton);
        Key(Qt::Key_Return);
        QCOMPARE(d.form.result(), int(QDialog::Rejected));
        QCOMPARE(d.station.line1, QStringLiteral("Станция"));
        QVERIFY(d.station.changed);

        // The lines are locked again at the next opening.
        QVERIFY(d.Open());
        QVERIFY(!d.form.stationLine1Field->isEnabled());
    }

    void changedStationLinesAreStoredWithSixtyFourCharactersAtMost() {
        HeaderDialog d;
        QVERIFY(d.Open());
        Keys(Qt::Key_Tab, 8);
        Key(Qt::Key_Space);
        QCOMPARE(Focus(), d.form.stationLine1Field);
        ClearAndType(QString(64, QChar(u'Ж')) + QStringLiteral("Я"));
        QCOMPARE(d.form.stationLine1Field->text(),
                 QString(64, QChar(u'Ж')));  // the 65th is refused
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.stationLine2Field);
        ClearAndType("  вторая строка");
        Key(Qt::Key_Tab);
        QCOMPARE(Focus(),
                 d.form.editTemplateButton);  // station line 2 comes before the template button
        Keys(Qt::Key_Backtab, 1, Qt::ShiftModifier);
        Key(Qt::Key_Return);
        QCOMPARE(Focus(), d.form.okButton);
        Key(Qt::Key_Return);
        QCOMPARE(d.form.result(), int(QDialog::Accepted));
        QCOMPARE(d.station.line1, QString(64, QChar(u'Ж')));
        QCOMPARE(d.station.line2, QStringLiteral("  вторая строка"));
        QVERIFY(d.station.changed);
    }

    void editTemplateClosesWithoutStoring() {
        HeaderDialog d;
        d.header.decision = QStringLiteral("ГОДЕН");
        QVERIFY(d.Open());
        Type("А999АА");
        Key(Qt::Key_Down);
        Keys(Qt::Key_Tab, 9);
        QCOMPARE(Focus(), d.form.editTemplateButton);
        Key(Qt::Key_Return);
        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.form.result(), TForm2::EditTemplate);
        QCOMPARE(d.header.vehicleNumber, QString());
        QCOMPARE(d.header.decision, QStringLiteral("ГОДЕН"));
    }

    void controlsAreNamedByTheirTexts() {
        HeaderDialog d;
        const QStringList buttons = {"ОК", "Отмена", "Изменить", "Редактировать шаблон"};
        const QList<QPushButton*> found = {d.form.okButton, d.form.cancelButton,
                                           d.form.changeStationButton, d.form.editTemplateButton};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(found[i]->text(), buttons[i]);
            QCOMPARE(found[i]->accessibleName(), buttons[i]);
            QVERIFY(!found[i]->autoDefault());
        }
        QCOMPARE(d.form.numberField->accessibleName(), QStringLiteral("№ автомобиля: (#3)"));
        QCOMPARE(d.form.findChild<QLineEdit*>("Edit9"), d.form.vinField);
        QCOMPARE(d.form.decisionList->count(), 4);
        QCOMPARE(d.form.decisionList->item(3)->text(), QStringLiteral("НА ДОРАБОТКУ"));
        QVERIFY(d.form.numberField->font().fixedPitch());
        QVERIFY(d.form.numberField->font().bold());
    }

    // ---- TForm3 ----

    void openingWithoutAFileCreatesItAndSelectsTheFirstNorm() {
        NormsDialog d;
        d.form.SetNormText("текущая");
        QVERIFY(d.Open());
        QCOMPARE(d.form.windowTitle(), QStringLiteral("Нормы"));
        QCOMPARE(d.form.hintLabel->text(),
                 QStringLiteral("Выделите одну из строк или наберите текст в окне."));
        QCOMPARE(FileBytes(d.path), kDefaultNormBytes);
        QCOMPARE(d.form.normsList->count(), 2);
        QCOMPARE(d.form.normsList->currentRow(), 0);
        QCOMPARE(d.form.normField->text(), QStringLiteral("текущая"));
    }

    void storedIndexBeyondTheListSelectsTheFirstAndBlankOkTakesIt_data() {
        QTest::addColumn<int>("normIndex");
        QTest::newRow("5 of three") << 5;
        QTest::newRow("negative") << -3;
    }
    void storedIndexBeyondTheListSelectsTheFirstAndBlankOkTakesIt() {
        QFETCH(int, normIndex);
        NormsDialog d;
        PutFile(d.path, kThreeNorms);
        d.settings.setNormIndex(normIndex);
        d.form.SetNormText("   ");
        QVERIFY(d.Open());
        QCOMPARE(d.form.normsList->currentRow(), 0);
        QCOMPARE(Focus(), d.form.normsList);
        Keys(Qt::Key_Tab, 2);
        QCOMPARE(Focus(), d.form.okButton);
        Key(Qt::Key_Return);
        QCOMPARE(d.form.result(), int(QDialog::Accepted));
        QCOMPARE(d.form.NormText(), QStringLiteral("первая"));
        QCOMPARE(d.settings.normIndex(), 0);
    }

    void handTypedNormSurvivesOkWithoutChanges() {
        NormsDialog d;
        PutFile(d.path, kThreeNorms);
        d.settings.setNormIndex(1);
        d.form.SetNormText("своя норма 2,7");
        QVERIFY(d.Open());
        QCOMPARE(d.form.normsList->currentRow(), 1);
        QCOMPARE(d.form.normField->text(), QStringLiteral("своя норма 2,7"));
        Key(Qt::Key_Return);  // in the list: "ОК" is the default button
        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.form.result(), int(QDialog::Accepted));
        QCOMPARE(d.form.NormText(), QStringLiteral("своя норма 2,7"));
        QCOMPARE(d.settings.normIndex(), 1);
    }

    void arrowKeysCopyTheEntryAndOkStoresIt() {
        NormsDialog d;
        PutFile(d.path, kThreeNorms);
        d.form.SetNormText("своя");
        QVERIFY(d.Open());
        Key(Qt::Key_Down);
        QCOMPARE(d.form.normField->text(), QStringLiteral("вторая"));
        Key(Qt::Key_Down);
        QCOMPARE(d.form.normField->text(), QStringLiteral("третья"));
        Keys(Qt::Key_Tab, 2);
        Key(Qt::Key_Space);
        QCOMPARE(d.form.result(), int(QDialog::Accepted));
        QCOMPARE(d.settings.normIndex(), 2);
        QCOMPARE(d.form.NormText(), QStringLiteral("третья"));
    }

    void cancelStoresNothing() {
        NormsDialog d;
        PutFile(d.path, kThreeNorms);
        d.form.SetNormText("своя");
        QVERIFY(d.Open());
        Key(Qt::Key_Down);
        Keys(Qt::Key_Tab, 3);
        QCOMPARE(Focus(), d.form.cancelButton);
        Key(Qt::Key_Return);
        QCOMPARE(d.form.result(), int(QDialog::Rejected));
        QCOMPARE(d.settings.normIndex(), 0);
        QCOMPARE(d.form.NormText(), QStringLiteral("своя"));
    }

    void addWithBlanksAddsNothing() {
        NormsDialog d;
        QVERIFY(d.Open());
        Key(Qt::Key_Tab);
        ClearAndType("  ");
        Keys(Qt::Key_Tab, 3);
        QCOMPARE(Focus(), d.form.addButton);
        Key(Qt::Key_Return);
        QVERIFY(d.form.isVisible());
        QCOMPARE(d.form.normsList->count(), 2);
        QCOMPARE(FileBytes(d.path), kDefaultNormBytes);
    }

    void addAppendsTheTypedLineToTheFileAndSelectsIt() {
        NormsDialog d;
        d.form.SetNormText("текущая");
        QVERIFY(d.Open());
        Key(Qt::Key_Tab);
        ClearAndType(" 3,5 м-1");
        Keys(Qt::Key_Tab, 3);
        Key(Qt::Key_Return);
        QVERIFY(d.form.isVisible());
        QCOMPARE(d.form.normsList->count(), 3);
        QCOMPARE(d.form.normsList->currentRow(), 2);
        QCOMPARE(d.form.normsList->item(2)->text(), QStringLiteral(" 3,5 м-1"));
        QCOMPARE(FileBytes(d.path), kDefaultNormBytes + EncodeCp1251(" 3,5 м-1\r\n"));
        // Only "ОК" stores the index and the text.
        QCOMPARE(d.settings.normIndex(), 0);
        QCOMPARE(d.form.NormText(), QStringLiteral("текущая"));
        Key(Qt::Key_Escape);
        QCOMPARE(d.settings.normIndex(), 0);
        QCOMPARE(d.form.NormText(), QStringLiteral("текущая"));
    }

    void everyOpeningReloadsTheFile() {
        NormsDialog d;
        PutFile(d.path, kThreeNorms);
        d.settings.setNormIndex(3);
        QVERIFY(d.Open());
        QCOMPARE(d.form.normsList->count(), 3);
        QCOMPARE(d.form.normsList->currentRow(), 0);
        Key(Qt::Key_Escape);
        PutFile(d.path, kThreeNorms + EncodeCp1251("четвёртая\r\n"));
        d.settings.setNormIndex(3);
        QVERIFY(d.Open());
        QCOMPARE(d.form.normsList->count(), 4);
        QCOMPARE(d.form.normsList->currentRow(), 3);
        QCOMPARE(d.form.normsList->currentItem()->text(), QStringLiteral("четвёртая"));
    }

    void editNormsClosesWithItsOwnResult() {
        NormsDialog d;
        d.form.SetNormText("текущая");
        QVERIFY(d.Open());
        Key(Qt::Key_Down);
        Keys(Qt::Key_Tab, 5);
        QCOMPARE(Focus(), d.form.editNormsButton);
        Key(Qt::Key_Return);
        QVERIFY(!d.form.isVisible());
        QCOMPARE(d.form.result(), TForm3::EditNorms);
        QCOMPARE(d.settings.normIndex(), 0);
        QCOMPARE(d.form.NormText(), QStringLiteral("текущая"));
    }

    // ---- the report font ----

    void reportFontIsFixedPitchWithCyrillic() {
        const QString family = ReportFontFamily();
        QVERIFY(QFontDatabase::families().contains(family, Qt::CaseInsensitive));
        const QFont font = ReportFont(12);
        QVERIFY(font.bold());
        QCOMPARE(font.pointSize(), 12);
        QVERIFY(QFontInfo(font).fixedPitch());
        const QFontMetrics metrics(font);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("Ж")),
                 metrics.horizontalAdvance(QStringLiteral("i")));
    }
};

QTEST_MAIN(ReportDialogsTest)
#include "test_report_dialogs.moc"
