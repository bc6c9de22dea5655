#include "TestSupport.h"
#include "display/ElementLayout.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QtTest>

#include <limits>

using namespace melvanta;

namespace {

// A 1920 x 1080 screen at 96 dpi, in twips.
const QSize kScreen(28800, 16200);

} // namespace

class TestElementLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placement_data();
    void placement();
    void storedPositionSources_data();
    void storedPositionSources();
};

void TestElementLayout::placement_data()
{
    QTest::addColumn<int>("element");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alwaysCentred");
    QTest::addColumn<QPoint>("expected");

    const double unknown = kUnknownPosition;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QSize title(18000, 1800);
    const QSize box(3000, 600);

    // Defaults of every element.
    QTest::newRow("title default") << 0 << unknown << unknown << title << false << QPoint(5400, 100);
    QTest::newRow("subtitle default") << 1 << unknown << unknown << box << false << QPoint(12900, 400);
    QTest::newRow("date line default") << 2 << unknown << unknown << box << false << QPoint(12900, 700);
    QTest::newRow("prompt default") << 3 << unknown << unknown << box << false << QPoint(12900, 1000);
    QTest::newRow("dynamic text default") << 4 << unknown << unknown << box << false << QPoint(12900, 1300);
    QTest::newRow("clock default") << 5 << unknown << unknown << box << false << QPoint(12900, 1600);
    QTest::newRow("logo default: right edge") << 6 << unknown << unknown << box << false << QPoint(25800, 0);
    QTest::newRow("overtime default") << 7 << unknown << unknown << box << false << QPoint(12900, 4300);
    QTest::newRow("button 0 default") << 10 << unknown << unknown << box << false << QPoint(2000, 13200);
    QTest::newRow("button 4 default") << 14 << unknown << unknown << box << false << QPoint(6000, 13200);

    // Stored positions inside the limits are used.
    QTest::newRow("title stored") << 0 << 500.0 << 300.0 << title << false << QPoint(500, 300);
    QTest::newRow("title may stand beyond the right edge")
        << 0 << 30000.0 << 16500.0 << title << false << QPoint(30000, 16500);
    QTest::newRow("clock stored") << 5 << 1.0 << 16199.0 << box << false << QPoint(1, 16199);
    QTest::newRow("logo stored") << 6 << 100.0 << 200.0 << box << false << QPoint(100, 200);
    QTest::newRow("button stored") << 12 << 9000.0 << 15000.0 << box << false << QPoint(9000, 15000);

    // Outside the limits: the default.
    QTest::newRow("title beyond W + width") << 0 << 46800.0 << 300.0 << title << false << QPoint(5400, 300);
    QTest::newRow("title below H + height") << 0 << 500.0 << 18000.0 << title << false << QPoint(500, 100);
    QTest::newRow("subtitle left at W") << 1 << 28800.0 << 900.0 << box << false << QPoint(12900, 900);
    QTest::newRow("clock top at H") << 5 << 700.0 << 16200.0 << box << false << QPoint(700, 1600);
    QTest::newRow("clock left 0") << 5 << 0.0 << 2000.0 << box << false << QPoint(12900, 2000);
    QTest::newRow("clock negative") << 5 << -5.0 << -3000.0 << box << false << QPoint(12900, 1600);
    QTest::newRow("overtime huge") << 7 << 1e30 << 1e30 << box << false << QPoint(12900, 4300);
    QTest::newRow("not a number") << 5 << nan << nan << box << false << QPoint(12900, 1600);
    QTest::newRow("logo at W - width") << 6 << 25800.0 << 100.0 << box << false << QPoint(25800, 100);
    QTest::newRow("logo past W - width") << 6 << 26000.0 << 100.0 << box << false << QPoint(25800, 100);
    QTest::newRow("button left beyond W") << 11 << 30000.0 << 100.0 << box << false << QPoint(3000, 100);

    // Always centred titles keep their stored top.
    QTest::newRow("title centred") << 0 << 500.0 << 300.0 << title << true << QPoint(5400, 300);
    QTest::newRow("subtitle centred") << 1 << 500.0 << 900.0 << box << true << QPoint(12900, 900);

    QTest::newRow("index 9 holds no position") << 9 << 1.0 << 1.0 << box << false << QPoint(0, 0);
}

void TestElementLayout::placement()
{
    QFETCH(int, element);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(QSize, size);
    QFETCH(bool, alwaysCentred);
    QFETCH(QPoint, expected);
    QCOMPARE(placeElement(element, StoredPosition{left, top}, size, kScreen, alwaysCentred), expected);
}

void TestElementLayout::storedPositionSources_data()
{
    QTest::addColumn<QString>("profileLeft"); // empty: not written
    QTest::addColumn<QString>("profileTop");
    QTest::addColumn<QString>("registryLeft");
    QTest::addColumn<QString>("registryTop");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");

    QTest::newRow("profile") << "1200"
                             << "3400"
                             << "7"
                             << "8" << 1200.0 << 3400.0;
    QTest::newRow("profile left unknown: registry") << "-100"
                                                    << "3400"
                                                    << "7"
                                                    << "8" << 7.0 << 8.0;
    QTest::newRow("profile top unknown: registry") << "1200"
                                                   << "-100"
                                                   << "7"
                                                   << "8" << 7.0 << 8.0;
    QTest::newRow("profile missing: registry") << ""
                                               << ""
                                               << "7"
                                               << "8" << 7.0 << 8.0;
    QTest::newRow("nowhere") << ""
                             << ""
                             << ""
                             << "" << kUnknownPosition << kUnknownPosition;
    QTest::newRow("profile garbage reads 0") << "abc"
                                             << "12ab"
                                             << "7"
                                             << "8" << 0.0 << 12.0;
    QTest::newRow("registry garbage reads 0") << ""
                                              << ""
                                              << "x"
                                              << "-100" << 0.0 << kUnknownPosition;
}

void TestElementLayout::storedPositionSources()
{
    QFETCH(QString, profileLeft);
    QFETCH(QString, profileTop);
    QFETCH(QString, registryLeft);
    QFETCH(QString, registryTop);
    QFETCH(double, left);
    QFETCH(double, top);
    TestSandbox sandbox;
    ProfileFile profile(sandbox.writeFile(QStringLiteral("TimeData.db"), QByteArray()));
    RegistryStore registry;
    const QString section = QStringLiteral("clocksite");
    if (!profileLeft.isEmpty())
        profile.write(section, QStringLiteral("pictureleft3"), profileLeft);
    if (!profileTop.isEmpty())
        profile.write(section, QStringLiteral("picturetop3"), profileTop);
    if (!registryLeft.isEmpty())
        registry.setText(QStringLiteral("pictureleft3"), registryLeft);
    if (!registryTop.isEmpty())
        registry.setText(QStringLiteral("picturetop3"), registryTop);
    // Another element's values must not leak into this one.
    profile.write(section, QStringLiteral("pictureleft30"), QStringLiteral("999"));

    const StoredPosition stored = readStoredPosition(3, profile, registry);
    QCOMPARE(stored.left, left);
    QCOMPARE(stored.top, top);
}

QTEST_GUILESS_MAIN(TestElementLayout)
#include "tst_elementlayout.moc"
