// The journal as the operator keeps it without a thought: each result an entry
// that follows the report until the next test, found again in "Журнал", opened
// with its report and exported for a spreadsheet.
#include "app/command_bars.h"
#include "base/text_codec.h"
#include "journal/journal_store.h"
#include "journal/view/journal_window.h"
#include "report/view/norms_dialog.h"
#include "report/view/report_header_dialog.h"
#include "report/view/report_view.h"
#include "testing/file_bytes.h"
#include "testing/journal_entries.h"
#include "testing/window_station.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

// "Оформить" with the number `number`, then "ОК".
void TypeNumber(TForm1& form, const QString& number) {
    WhenModal([number](QWidget*) {
        auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(field);
        field->setText(number);
        for (int i = 0; i < 6; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    form.Column().headerButton->click();
}

QStringList CrLfLines(const QByteArray& bytes) {
    QStringList lines = DecodeCp1251(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

}  // namespace

class WindowJournalTest : public QObject {
    Q_OBJECT

private slots:
    void eachResultIsAnEntryThatFollowsTheReportUntilTheNextTest() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        sim::Opacimeter instrument(
            sim::Options{.selfStart = sim::TestKind::FreeAccel, .selfStartUs = 500'000});
        QVERIFY(s.Connect(instrument));
        QVERIFY(s.TickUntil([&] { return form.Results().hasFreeAccelResult; }, 3000));

        // After the result: the header, then the report saved by hand.
        TypeNumber(form, QStringLiteral("А123АА77"));
        s.messages.saveChoices.push_back(FileChoice{s.Path("by-hand.txt"), 1});
        form.Column().saveReportButton->click();
        const QStringList savedByHand = CrLfLines(FileBytes(s.Path("by-hand.txt")));
        QVERIFY(savedByHand.size() > 20);

        // The next test, under another number typed while it runs.
        s.wallClock.now = s.wallClock.now.addSecs(600);
        form.Status().maxSpeedButton->click();
        QVERIFY(s.TickUntil([&] { return form.Control().state == PollState::MaxSpeedTest; }, 200));
        TypeNumber(form, QStringLiteral("В456ВВ99"));
        QVERIFY(s.TickUntil([&] { return form.Results().hasMaxSpeedResult; }, 3000));

        form.JournalKeeping().Kept().Flush();
        auto store = JournalStore::OpenLocal(s.Path("journal.sqlite"));
        const QList<EntrySummary> rows = store->Page({}, std::nullopt, 10);
        QCOMPARE(rows.size(), 2);
        const JournalEntry second = *store->Load(rows[0].id);
        const JournalEntry first = *store->Load(rows[1].id);
        QCOMPARE(first.kind, TestKind::FreeAccel);
        QCOMPARE(first.header.vehicleNumber, QStringLiteral("А123АА77"));
        QCOMPARE(first.report, savedByHand);
        QCOMPARE(first.results.freeAccelMeanX10, 441);
        QVERIFY(first.instrument.startsWith(QStringLiteral("Торвелан Д ")));
        for (const auto& curve : first.chart.curves) QVERIFY(!curve.isEmpty());
        QCOMPARE(second.kind, TestKind::MaxSpeed);
        QCOMPARE(second.header.vehicleNumber, QStringLiteral("В456ВВ99"));
        QCOMPARE(second.report, form.Report().Lines());

        // "Журнал" (F9): newest first; the older entry opens with its report, and
        // both go to a CSV file a Russian spreadsheet reads as it is.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F9);
        JournalWindow* window = form.JournalKeeping().Window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->Model().rowCount(), 2);
        QCOMPARE(window->Model().Entry(0).number, QStringLiteral("В456ВВ99"));
        window->table->setCurrentIndex(window->Model().index(1, 0));
        window->openButton->click();
        QCOMPARE(window->EntryDialog().reportView->Lines(), savedByHand);
        window->table->selectAll();
        s.messages.saveChoices.push_back(FileChoice{s.Path("journal.csv"), 1});
        window->exportButton->click();
        const QStringList csv = CrLfLines(FileBytes(s.Path("journal.csv")));
        QCOMPARE(csv.size(), 3);
        QVERIFY2(csv[1].startsWith(QStringLiteral("06.12.2026;14:15:07;В456ВВ99;;;Макс.обороты;")),
                 qPrintable(csv[1]));
        window->numberField->setText(QStringLiteral("123"));
        QTRY_COMPARE(window->Model().rowCount(), 1);
    }

    // A journal longer than a page: "Экспорт" of everything selected takes every
    // entry the filter finds, not only the rows read so far.
    void everythingSelectedExportsEveryEntryNotOnlyThePageRead() {
        WindowStation s;
        s.StoreQuiet();
        {
            auto store = JournalStore::OpenLocal(s.Path("journal.sqlite"));
            for (int n = 0; n < 250; ++n) QVERIFY(store->Write(SyntheticEntry(n)));
        }
        TForm1& form = s.Start();
        s.Show();
        form.JournalKeeping().ShowWindow();
        JournalWindow* window = form.JournalKeeping().Window();
        QCOMPARE(window->Model().rowCount(), JournalModel::kPage);
        window->table->selectAll();
        s.messages.saveChoices.push_back(FileChoice{s.Path("all.csv"), 1});
        window->exportButton->click();
        QCOMPARE(CrLfLines(FileBytes(s.Path("all.csv"))).size(), 1 + 250);
    }
};

QTEST_MAIN(WindowJournalTest)
#include "test_window_journal.moc"
