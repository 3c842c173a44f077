// The type lists of the report and chart dialogs are shown as the operator knows
// them, spaces and semicolons included; Qt's file dialog must still read the
// patterns out of them and show exactly the files of the selected type.
#include "report/report_files.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(kelvaron::FileDialog)

using namespace kelvaron;

namespace {

// The files Qt's own dialog lists with its present type.
QStringList Listed(QFileDialog& dialog) {
    const auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!view || !view->model()) return {QStringLiteral("<no list>")};
    const QAbstractItemModel* model = view->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        names << model->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

}  // namespace

class FileDialogTypesTest : public QObject {
    Q_OBJECT

private slots:
    void everyTypeShowsItsFiles_data() {
        QTest::addColumn<FileDialog>("description");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("listed");
        const QStringList text{"c.txt", "e.emf.txt"};
        QTest::newRow("open report") << OpenReportDialog({}) << 1 << text;
        QTest::newRow("save report") << SaveReportDialog({}, "r") << 1 << text;
        QTest::newRow("open chart, all pictures")
            << OpenChartDialog({}, 1) << 1 << QStringList{"a.emf", "b.bmp", "g.BMP"};
        QTest::newRow("open chart, bitmaps")
            << OpenChartDialog({}, 2) << 2 << QStringList{"b.bmp", "g.BMP"};
        QTest::newRow("open chart, metafiles")
            << OpenChartDialog({}, 3) << 3 << QStringList{"a.emf"};
        QTest::newRow("save chart, bitmap")
            << SaveChartDialog({}, "c", 1) << 1 << QStringList{"b.bmp", "g.BMP"};
        QTest::newRow("save chart, metafile")
            << SaveChartDialog({}, "c", 2) << 2 << QStringList{"a.emf"};
    }
    void everyTypeShowsItsFiles() {
        QFETCH(FileDialog, description);
        QFETCH(int, type);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char* name :
             {"a.emf", "b.bmp", "c.txt", "e.emf.txt", "f", "g.BMP", "h.emf.bak"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(description.type, type);

        QFileDialog dialog(nullptr, description.title, dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilters(description.types);
        dialog.selectNameFilter(description.types[type - 1]);
        QCOMPARE(dialog.selectedNameFilter(), description.types[type - 1]);
        // The directory is read in the background: wait until the listing settles.
        QTRY_COMPARE(Listed(dialog), listed);
    }
};

QTEST_MAIN(FileDialogTypesTest)
#include "test_file_dialog_types.moc"
