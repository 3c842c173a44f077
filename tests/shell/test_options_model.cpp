#include <QTest>

class OptionsModelTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(OptionsModelTest)
#include "test_options_model.moc"
