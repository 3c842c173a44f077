// Picture files: the BMP and the EMF on disk, and what a failed save leaves.
#include "base/safe_file.h"
#include "emf_reader.h"
#include "report/metafile/picture_files.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using kelvaron::PictureType;

Q_DECLARE_METATYPE(kelvaron::PictureType)

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Left half red, right half blue, a green square in the top-left corner.
void PaintHalves(QPainter& painter, QSize size) {
    const int half = size.width() / 2;
    painter.fillRect(QRect(0, 0, half, size.height()), QColor(255, 0, 0));
    painter.fillRect(QRect(half, 0, size.width() - half, size.height()), QColor(0, 0, 255));
    painter.fillRect(QRect(0, 0, 4, 4), QColor(0, 255, 0));
}

}  // namespace

class PictureFilesTest : public QObject {
    Q_OBJECT

private slots:
    void bmpHasTheAskedSizeAndColours_data();
    void bmpHasTheAskedSizeAndColours();
    void emfFileHoldsThePaintedPicture();
    void failedWriteLeavesNoFile_data();
    void failedWriteLeavesNoFile();
    void existingFileSurvivesAFailedOverwrite_data();
    void existingFileSurvivesAFailedOverwrite();
};

void PictureFilesTest::bmpHasTheAskedSizeAndColours_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("chart") << QSize(900, 560);
    QTest::newRow("odd width, rows padded") << QSize(37, 11);
    QTest::newRow("tall") << QSize(8, 700);
}

void PictureFilesTest::bmpHasTheAskedSizeAndColours() {
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart.bmp"));
    QVERIFY(kelvaron::WriteBmpPicture(path, size,
                                      [&](QPainter& painter) { PaintHalves(painter, size); }));
    const QByteArray bytes = ReadAll(path);
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 2), quint32(bytes.size()));
    QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 18), size.width());
    QCOMPARE(std::abs(qFromLittleEndian<qint32>(bytes.constData() + 22)), size.height());

    const QImage image(path, "BMP");
    QCOMPARE(image.size(), size);
    QCOMPARE(image.pixelColor(1, 1), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(1, size.height() - 1), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(size.width() - 1, 0), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(size.width() - 1, size.height() - 1), QColor(0, 0, 255));
    QVERIFY(!QFile::exists(kelvaron::TemporaryPathFor(path)));
}

void PictureFilesTest::emfFileHoldsThePaintedPicture() {
    const QSize size(300, 200);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Измерение 1.emf"));
    const auto paint = [&](QPainter& painter) { PaintHalves(painter, size); };
    QVERIFY(kelvaron::WriteEmfPicture(path, size, paint));
    const QByteArray bytes = ReadAll(path);
    QCOMPARE(bytes, kelvaron::EmfPictureBytes(size, paint));
    const emftest::Picture picture = emftest::Play(emftest::Parse(bytes));
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.shapes.size(), 3);
    QCOMPARE(picture.shapes[2].brush.color, QColor(0, 255, 0));
    QVERIFY(!QFile::exists(kelvaron::TemporaryPathFor(path)));
}

void PictureFilesTest::failedWriteLeavesNoFile_data() {
    QTest::addColumn<PictureType>("type");
    QTest::newRow("bmp") << PictureType::Bmp;
    QTest::newRow("emf") << PictureType::Emf;
}

void PictureFilesTest::failedWriteLeavesNoFile() {
    QFETCH(PictureType, type);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Graph"));  // never made
    const QString path = folder + QStringLiteral("/probe") + kelvaron::PictureExtension(type);
    const QSize size(100, 80);
    QVERIFY(!kelvaron::WritePicture(path, type, size,
                                    [&](QPainter& painter) { PaintHalves(painter, size); }));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!QFile::exists(kelvaron::TemporaryPathFor(path)));
    QVERIFY(!QDir(folder).exists());
}

void PictureFilesTest::existingFileSurvivesAFailedOverwrite_data() {
    QTest::addColumn<PictureType>("type");
    QTest::addColumn<bool>("readOnly");  // else: a picture of no size, which cannot be made
    QTest::newRow("bmp over a read-only file") << PictureType::Bmp << true;
    QTest::newRow("emf over a read-only file") << PictureType::Emf << true;
    QTest::newRow("bmp of no size") << PictureType::Bmp << false;
    QTest::newRow("emf of no size") << PictureType::Emf << false;
}

void PictureFilesTest::existingFileSurvivesAFailedOverwrite() {
    QFETCH(PictureType, type);
    QFETCH(bool, readOnly);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe") + kelvaron::PictureExtension(type));
    const QByteArray old("the picture saved before");
    WriteAll(path, old);
    if (readOnly) QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser));
    const QSize size = readOnly ? QSize(50, 40) : QSize(0, 40);
    QVERIFY(!kelvaron::WritePicture(path, type, size,
                                    [&](QPainter& painter) { PaintHalves(painter, size); }));
    QCOMPARE(ReadAll(path), old);
    QVERIFY(!QFile::exists(kelvaron::TemporaryPathFor(path)));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

QTEST_MAIN(PictureFilesTest)
#include "test_picture_files.moc"
