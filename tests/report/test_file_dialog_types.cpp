// The type lists of the report and chart dialogs are shown as the operator knows
// them, spaces and semicolons included; the program's file dialog must still read
// the patterns out of them and show exactly the files of the selected type, and
// tell a file's type by its name alone, never by reading it (a file of /proc can
// block a reader for good).
#include "app/widget_interaction.h"
#include "report/report_files.h"

#include <QAbstractFileIconProvider>
#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        QTest::addColumn<bool>("save");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("listed");
        const QStringList text{"c.txt", "e.emf.txt"};
        QTest::newRow("open report") << OpenReportDialog({}) << false << 1 << text;
        QTest::newRow("save report") << SaveReportDialog({}, "r") << true << 1 << text;
        QTest::newRow("open chart, all pictures")
            << OpenChartDialog({}, 1) << false << 1 << QStringList{"a.emf", "b.bmp", "g.BMP"};
        QTest::newRow("open chart, bitmaps")
            << OpenChartDialog({}, 2) << false << 2 << QStringList{"b.bmp", "g.BMP"};
        QTest::newRow("open chart, metafiles")
            << OpenChartDialog({}, 3) << false << 3 << QStringList{"a.emf"};
        QTest::newRow("save chart, bitmap")
            << SaveChartDialog({}, "c", 1) << true << 1 << QStringList{"b.bmp", "g.BMP"};
        QTest::newRow("save chart, metafile")
            << SaveChartDialog({}, "c", 2) << true << 2 << QStringList{"a.emf"};
    }
    void everyTypeShowsItsFiles() {
        QFETCH(FileDialog, description);
        QFETCH(bool, save);
        QFETCH(int, type);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char* name :
             {"a.emf", "b.bmp", "c.txt", "e.emf.txt", "f", "g.BMP", "h.emf.bak"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile picture(dir.filePath("picture"));  // a PNG by its contents, not its name
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"));
        picture.close();
        QCOMPARE(description.type, type);
        description.folder = dir.path();

        // The program's dialog, looked at once its listing (read in the background)
        // settles, then cancelled.
        QStringList seen;
        QString pictureType;
        QTimer poll;
        int waited = 0;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || ((seen = Listed(*dialog)) != listed && ++waited < 500)) return;
            poll.stop();
            const auto* model = dialog->findChild<QFileSystemModel*>();
            pictureType = model->iconProvider()->type(QFileInfo(picture));
            dialog->reject();
        });
        poll.start(10);
        WidgetInteraction ui(nullptr);
        QVERIFY(!(save ? ui.SaveFile(description) : ui.OpenFile(description)));
        QCOMPARE(seen, listed);
        QVERIFY2(!pictureType.contains("PNG"), qPrintable(pictureType));
    }
};

QTEST_MAIN(FileDialogTypesTest)
#include "test_file_dialog_types.moc"
