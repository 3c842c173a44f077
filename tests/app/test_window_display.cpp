// What the regions show and where: the small bar chart's bar and scales, texts
// that fit their boxes at every window size, the chart's foot inside the chart
// and its texts readable on any background, the view list taking a click on the
// entry already selected, and the recording group lying over the column.
#include "app/right_column.h"
#include "base/colors.h"
#include "device/view/bar_chart.h"
#include "device/view/frame_pacer.h"
#include "device/view/live_panel.h"
#include "device/view/value_box.h"
#include "recording/view/recording_group.h"
#include "results/view/chart_area.h"
#include "results/view/measurement_chart_view.h"
#include "testing/window_station.h"

#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLegend>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

using namespace kelvaron;
using namespace kelvaron::testing;

namespace {

int CountNear(const QImage& image, const QRect& rect, const QColor& color, int tolerance) {
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) <= tolerance &&
                std::abs(c.green() - color.green()) <= tolerance &&
                std::abs(c.blue() - color.blue()) <= tolerance)
                ++count;
        }
    return count;
}

// A window of `size` (its client area), laid out, not searching.
struct SizedWindow {
    WindowStation s;
    TForm1* form = nullptr;
    explicit SizedWindow(QSize client) {
        s.StoreQuiet();
        form = &s.Start();
        s.Show();
        form->resize(client.width(), client.height() + form->menuBar()->height());
        QTRY_COMPARE(form->centralWidget()->size(), client);
    }
};

}  // namespace

class WindowDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void barStandsAtItsValueInBothQuantities_data() {
        QTest::addColumn<bool>("plotN");
        QTest::addColumn<double>("value");
        QTest::addColumn<QSize>("size");
        QTest::newRow("K 1,18, narrow") << false << 1.18 << QSize(60, 250);
        QTest::newRow("K 9,9 held at the top") << false << 9.9 << QSize(80, 300);
        QTest::newRow("N 24,9") << true << 24.9 << QSize(80, 300);
        QTest::newRow("N 100") << true << 100.0 << QSize(120, 600);
    }
    void barStandsAtItsValueInBothQuantities() {
        QFETCH(bool, plotN);
        QFETCH(double, value);
        QFETCH(QSize, size);
        QWidget host;
        SmokeBarChart chart(&host);
        chart.resize(size);
        chart.SetFontSizes(12, 14, 8);
        chart.SetMaximum(plotN ? 100 : 10);
        chart.SetBar(value, QString::number(value));
        chart.SetFoot(QString::number(value));
        const QRect plot = chart.PlotRect();
        const QRect bar = chart.BarRect();
        // The bar's height is its share of the scale, to the pixel.
        const int expected = qRound(value / chart.Maximum() * plot.height());
        QCOMPARE(bar.height(), expected);
        QCOMPARE(bar.bottom(), plot.bottom());
        const QImage picture = chart.grab().toImage();
        QVERIFY(CountNear(picture, bar, chart.BarColor(), 8) >=
                bar.width() * bar.height() * 9 / 10);
        // The foot lies below the plot and the half of the "0" label under its line.
        QVERIFY(chart.FootRect().top() > plot.bottom() + 3);
        QVERIFY(chart.FootRect().bottom() < size.height());
    }

    void scaleLabelsAreWholeAndTheTitleFits() {
        QWidget host;
        SmokeBarChart chart(&host);
        chart.resize(56, 240);  // the narrow chart of a 400 x 300 window and a bit
        chart.SetTitle(QStringLiteral("K,м-1"));
        chart.SetMaximum(10);
        chart.SetFontSizes(30, 30, 30);  // far more than the room: they must shrink
        const QRect plot = chart.PlotRect();
        QVERIFY(plot.width() > 0 && plot.height() > 0);
        // Whole labels fit beside the plot (nothing elided); both sides.
        QVERIFY(plot.left() >= 2 && plot.right() <= chart.width() - 3);
        QVERIFY(chart.FootRect().width() <= chart.width());
    }

    void textsFitTheirBoxesAtEveryWindowSize_data() {
        QTest::addColumn<QSize>("client");
        for (QSize size : {QSize(400, 300), QSize(638, 455), QSize(819, 658), QSize(1280, 977),
                           QSize(1920, 1177)})
            QTest::newRow(qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())))
                << size;
    }
    void textsFitTheirBoxesAtEveryWindowSize() {
        QFETCH(QSize, client);
        SizedWindow w(client);
        LivePanel& live = w.form->Live();
        // Caption boxes hold both lines.
        for (QPlainTextEdit* caption :
             {live.kCaption, live.nCaption, live.rpmCaption, live.oilCaption}) {
            const QFontMetricsF m(caption->font());
            const QRect room = caption->viewport()->rect();
            for (const QString& line : caption->toPlainText().split('\n'))
                QVERIFY2(m.horizontalAdvance(line) + 8 <= room.width() + 1,
                         qPrintable(caption->objectName() + ": " + line));
            QVERIFY2(m.lineSpacing() * 2 <= room.height() + 1, qPrintable(caption->objectName()));
            // The proportion is the largest allowed: never above it.
            QVERIFY(caption->font().pointSize() <= std::max(1, w.form->Layout().captionFont));
        }
        // Value boxes hold their widest texts.
        for (ValueBox* box : {live.kValueBox, live.nValueBox, live.rpmValueBox, live.oilValueBox}) {
            const QFontMetricsF m(box->font());
            QVERIFY2(m.horizontalAdvance(QStringLiteral("00,00")) <= box->contentsRect().width(),
                     qPrintable(box->objectName()));
            QVERIFY(box->font().pointSize() <= std::max(1, w.form->Layout().valueFont));
        }
        // The chart's longest foot lines fit its width, on the strip at its bottom.
        MeasurementChartView& chart = w.form->MeasurementChart3();
        const QRectF area(QPointF(0, 0), chart.Chart()->size());
        for (const QString& line : LongestFootLines()) {
            chart.SetFootText(line);
            const QRectF foot = chart.FootTextRect();
            QVERIFY2(area.contains(foot), qPrintable(line));
            QVERIFY(chart.FootStripRect().contains(foot));
            QCOMPARE(chart.FootStripRect().bottom(), area.bottom());
        }
        // The strip lies under the plot area, clear of the scale labels' band.
        QTRY_VERIFY2(chart.FootStripRect().top() > chart.Chart()->plotArea().bottom(),
                     qPrintable(QStringLiteral("strip %1, plot area down to %2")
                                    .arg(chart.FootStripRect().top())
                                    .arg(chart.Chart()->plotArea().bottom())));
    }

    // The live panel repaints only what changed, in bands of rows: a value box
    // from the first character that changed, the bar between its old top and its
    // new one, the foot's old text and its new one. What the screen holds after a
    // run of changes equals the last state painted whole.
    void livePanelPaintedInPiecesEqualsOnePaintedWhole_data() {
        QTest::addColumn<bool>("paced");
        QTest::addColumn<bool>("flushed");  // or the frame's timer paints what gathered
        QTest::newRow("each change at once") << false << false;
        QTest::newRow("gathered, painted at the frame's end") << true << true;
        QTest::newRow("gathered, painted by the frame's timer") << true << false;
    }
    void livePanelPaintedInPiecesEqualsOnePaintedWhole() {
        QFETCH(bool, paced);
        QFETCH(bool, flushed);
        FramePacer pacer;
        QWidget host;
        host.resize(240, 450);
        auto* changedBox = new ValueBox(QStringLiteral("00,00"), &host);
        auto* wholeBox = new ValueBox(QStringLiteral("1,1"), &host);
        for (ValueBox* box : {changedBox, wholeBox}) {
            QFont f = box->font();
            f.setPointSize(48);
            box->setFont(f);
        }
        changedBox->setGeometry(0, 0, 120, 150);
        wholeBox->setGeometry(120, 0, 120, 150);
        auto* changedBar = new SmokeBarChart(&host);
        auto* wholeBar = new SmokeBarChart(&host);
        changedBar->setGeometry(0, 150, 120, 300);
        wholeBar->setGeometry(120, 150, 120, 300);
        wholeBar->SetBar(30.0, QString());
        wholeBar->SetFoot(QStringLiteral("1"));
        if (paced) {
            changedBox->SetPacer(&pacer);
            changedBar->SetPacer(&pacer);
        }
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const std::tuple<const char*, double, const char*> steps[] = {{"88,88", 99.0, "88,88"},
                                                                      {"8,1", 5.0, "1"},
                                                                      {"18,80", 60.0, "188,88"},
                                                                      {"1,1", 30.0, "1"}};
        for (const auto& [text, bar, foot] : steps) {
            changedBox->setText(QString::fromLatin1(text));
            changedBar->SetBar(bar, QString());
            changedBar->SetFoot(QString::fromLatin1(foot));
            pacer.Present();  // the first change paints, the later ones gather in the frame
            QCoreApplication::processEvents();
        }
        if (flushed) pacer.Flush();
        wholeBox->repaint();
        wholeBar->repaint();
        QTRY_COMPARE(host.screen()->grabWindow(host.winId(), 0, 0, 120, 450).toImage(),
                     host.screen()->grabWindow(host.winId(), 120, 0, 120, 450).toImage());
    }

    void chartTextsStayReadableOnTheStoredBackground_data() {
        QTest::addColumn<int>("back");
        QTest::newRow("black") << 0x000000;
        QTest::newRow("white") << 0xFFFFFF;
        QTest::newRow("grey") << 0x808080;
        QTest::newRow("navy") << 0x800000;
        QTest::newRow("yellow") << 0x00FFFF;
    }
    void chartTextsStayReadableOnTheStoredBackground() {
        QFETCH(int, back);
        WindowStation s;
        AppSettings settings = AppSettings::Defaults();
        settings.setChartBackColor(back);
        s.StoreQuiet(settings);
        TForm1& form = s.Start();
        s.Show();
        QTRY_VERIFY(!form.MeasurementChart3().FootText().isEmpty());  // settings applied
        QChart* chart = form.MeasurementChart3().Chart();
        const QColor background = ColorFromRef(back);
        QCOMPARE(chart->backgroundBrush().color(), background);
        QVERIFY(ContrastRatio(chart->titleBrush().color(), background) >= 4.5);
        QVERIFY(ContrastRatio(chart->legend()->labelColor(), background) >= 4.5);
        for (QAbstractAxis* axis : chart->axes())
            QVERIFY(ContrastRatio(axis->labelsBrush().color(), background) >= 4.5);
    }

    void clickOnTheEntryAlreadySelectedShowsItsViewAgain() {
        WindowStation s;
        s.StoreQuiet();
        TForm1& form = s.Start();
        s.Show();
        QListWidget* list = form.Column().viewList;
        QCOMPARE(list->currentRow(), 0);
        form.Live().hide();  // something hid the live values
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QVERIFY(!form.Live().isHidden());
        // A click on another entry shows that view, once.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(list->currentRow(), 1);
        QVERIFY(!form.Charts().isHidden());
        QVERIFY(form.Live().isHidden());
    }

    void recordingGroupLiesOverTheColumnButtonsAndLeavesTheViewListReachable_data() {
        QTest::addColumn<QSize>("client");
        QTest::newRow("default") << QSize(638, 455);
        QTest::newRow("design") << QSize(819, 658);
        QTest::newRow("large") << QSize(1280, 977);
    }
    void recordingGroupLiesOverTheColumnButtonsAndLeavesTheViewListReachable() {
        QFETCH(QSize, client);
        SizedWindow w(client);
        TForm1& form = *w.form;
        form.ShowView(View::Recording);
        QGroupBox& group = form.Recording();
        QVERIFY(group.isVisible());
        QVERIFY(group.autoFillBackground());  // opaque over the bar chart
        QWidget* area = form.centralWidget();
        // Over the column's buttons it hides…
        const QRect save =
            form.Column().saveReportButton->geometry().translated(form.Column().pos());
        if (group.geometry().intersects(save)) {
            QWidget* top = area->childAt(group.geometry().intersected(save).center());
            QVERIFY(top == &group || group.isAncestorOf(top));
        }
        // …the view list below stays reachable.
        QListWidget* list = form.Column().viewList;
        const QPoint item =
            list->viewport()->mapTo(area, list->visualItemRect(list->item(0)).center());
        QVERIFY(!group.geometry().contains(item));
        QWidget* hit = area->childAt(item);
        QVERIFY(hit == list->viewport() || list->isAncestorOf(hit));
    }
};

QTEST_MAIN(WindowDisplayTest)
#include "test_window_display.moc"
