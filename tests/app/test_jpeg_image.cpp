// JPEG decoding through libjpeg: the shipped product picture, a greyscale
// picture, and damaged input that must fall back without a crash or a leak.
#include "app/jpeg_image.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvaron;

namespace {

// A 16 x 8 greyscale JPEG: the left half grey level 40, the right half 210.
const QByteArray kGreyJpeg = QByteArray(
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x01\x00\x60\x00\x60\x00\x00\xff\xdb\x00"
    "\x43"
    "\x00\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\xff\xc0\x00\x0b\x08\x00"
    "\x08"
    "\x00\x10\x01\x01\x11\x00\xff\xc4\x00\x1f\x00\x00\x01\x05\x01\x01\x01\x01\x01\x01\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\xff\xc4\x00\xb5\x10\x00\x02\x01"
    "\x03"
    "\x03\x02\x04\x03\x05\x05\x04\x04\x00\x00\x01\x7d\x01\x02\x03\x00\x04\x11\x05\x12\x21\x31\x41"
    "\x06"
    "\x13\x51\x61\x07\x22\x71\x14\x32\x81\x91\xa1\x08\x23\x42\xb1\xc1\x15\x52\xd1\xf0\x24\x33\x62"
    "\x72"
    "\x82\x09\x0a\x16\x17\x18\x19\x1a\x25\x26\x27\x28\x29\x2a\x34\x35\x36\x37\x38\x39\x3a\x43\x44"
    "\x45"
    "\x46\x47\x48\x49\x4a\x53\x54\x55\x56\x57\x58\x59\x5a\x63\x64\x65\x66\x67\x68\x69\x6a\x73\x74"
    "\x75"
    "\x76\x77\x78\x79\x7a\x83\x84\x85\x86\x87\x88\x89\x8a\x92\x93\x94\x95\x96\x97\x98\x99\x9a\xa2"
    "\xa3"
    "\xa4\xa5\xa6\xa7\xa8\xa9\xaa\xb2\xb3\xb4\xb5\xb6\xb7\xb8\xb9\xba\xc2\xc3\xc4\xc5\xc6\xc7\xc8"
    "\xc9"
    "\xca\xd2\xd3\xd4\xd5\xd6\xd7\xd8\xd9\xda\xe1\xe2\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xea\xf1\xf2\xf3"
    "\xf4"
    "\xf5\xf6\xf7\xf8\xf9\xfa\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00\xfe\x4f\xeb\xfd\x54\x2b\xff"
    "\xd9",
    336);

QByteArray ShippedPicture() {
    QFile file(QFINDTESTDATA("../../docs/station/produkt.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The offset of the first marker `code` (FF code) in a JPEG stream, -1 if none.
qsizetype MarkerOffset(const QByteArray& jpeg, unsigned char code) {
    for (qsizetype i = 2; i + 1 < jpeg.size(); ++i)
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF &&
            static_cast<unsigned char>(jpeg[i + 1]) == code)
            return i;
    return -1;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

}  // namespace

class JpegImageTest : public QObject {
    Q_OBJECT

private slots:
    void shippedPictureDecodesToItsSizeInRgbOrder() {
        const QByteArray jpeg = ShippedPicture();
        QVERIFY(!jpeg.isEmpty());
        QTemporaryDir dir;
        const std::optional<QImage> image = DecodeJpegFile(Write(dir, "produkt.jpg", jpeg));
        QVERIFY(image.has_value());
        QCOMPARE(image->size(), QSize(240, 180));
        QCOMPARE(image->format(), QImage::Format_RGB888);
        // The light source at the left end of the tube is red, the receiver at the
        // right end blue: swapped channels would show.
        const QColor left = image->pixelColor(19, 94);
        const QColor right = image->pixelColor(180, 94);
        QVERIFY2(left.red() > 150 && left.green() < 90 && left.blue() < 90,
                 qPrintable(left.name()));
        QVERIFY2(right.blue() > 140 && right.red() < 90, qPrintable(right.name()));
    }

    void greyscalePictureDecodesToGreyLevels() {
        const std::optional<QImage> image = DecodeJpeg(kGreyJpeg);
        QVERIFY(image.has_value());
        QCOMPARE(image->size(), QSize(16, 8));
        QCOMPARE(image->format(), QImage::Format_Grayscale8);
        for (int y = 0; y < 8; ++y) {
            QVERIFY(qAbs(image->scanLine(y)[2] - 40) <= 6);
            QVERIFY(qAbs(image->scanLine(y)[13] - 210) <= 6);
        }
    }

    // Every cut of the file: inside the header, inside the scan data (where the
    // picture is already half decoded), and just short of the end marker.
    void truncatedPictureFallsBack_data() {
        QTest::addColumn<int>("keep");
        const int size = static_cast<int>(ShippedPicture().size());
        QTest::newRow("2 bytes") << 2;
        QTest::newRow("inside the header") << 100;
        QTest::newRow("first scan bytes")
            << static_cast<int>(MarkerOffset(ShippedPicture(), 0xDA)) + 40;
        QTest::newRow("half") << size / 2;
        QTest::newRow("end marker missing") << size - 2;
    }
    void truncatedPictureFallsBack() {
        QFETCH(int, keep);
        QTemporaryDir dir;
        const QString path = Write(dir, "cut.jpg", ShippedPicture().left(keep));
        QVERIFY(!DecodeJpegFile(path).has_value());
    }

    void randomBytesFallBack_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("startOfImage");
        for (quint32 seed = 1; seed <= 20; ++seed) {
            QTest::addRow("noise %u", seed) << seed << false;
            QTest::addRow("noise after a start marker %u", seed) << seed << true;
        }
    }
    void randomBytesFallBack() {
        QFETCH(quint32, seed);
        QFETCH(bool, startOfImage);
        QRandomGenerator random(seed);
        QByteArray bytes(4096, '\0');
        for (char& b : bytes) b = static_cast<char>(random.bounded(256));
        if (startOfImage) bytes.replace(0, 4, QByteArray("\xFF\xD8\xFF\xDB", 4));
        QVERIFY(!DecodeJpeg(bytes).has_value());
    }

    // A header claiming a huge picture is refused before anything is allocated.
    void hugeDimensionsAreRefused() {
        QByteArray jpeg = ShippedPicture();
        const qsizetype sof = MarkerOffset(jpeg, 0xC0);
        QVERIFY(sof > 0);
        // FF C0, length (2), precision (1), height (2), width (2).
        jpeg[sof + 5] = static_cast<char>(0xEA);
        jpeg[sof + 6] = static_cast<char>(0x60);
        jpeg[sof + 7] = static_cast<char>(0xEA);
        jpeg[sof + 8] = static_cast<char>(0x60);
        QVERIFY(!DecodeJpeg(jpeg).has_value());
    }

    void missingOrEmptyFileFallsBack() {
        QTemporaryDir dir;
        QVERIFY(!DecodeJpegFile(dir.filePath("none.jpg")).has_value());
        QVERIFY(!DecodeJpegFile(Write(dir, "empty.jpg", {})).has_value());
        QVERIFY(!DecodeJpegFile(dir.path()).has_value());
    }
};

QTEST_MAIN(JpegImageTest)
#include "test_jpeg_image.moc"
