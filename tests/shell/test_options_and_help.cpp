#include <QTest>

class OptionsAndHelpTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(OptionsAndHelpTest)
#include "test_options_and_help.moc"
