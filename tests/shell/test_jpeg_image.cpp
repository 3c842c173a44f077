#include <QTest>

class JpegImageTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(JpegImageTest)
#include "test_jpeg_image.moc"
