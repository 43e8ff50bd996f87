#include <QTest>

class Placeholder : public QObject
{
    Q_OBJECT
private slots:
    void nothingYet() {}
};

QTEST_GUILESS_MAIN(Placeholder)
#include "phrase_list_test.moc"
