#include "display/ElementLayout.h"

#include <QtTest>

using namespace melvanta;

class TestElementLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placement_data();
    void placement();
    void firstRunArrangement_data();
    void firstRunArrangement();
};

void TestElementLayout::placement_data()
{
    QTest::addColumn<int>("element");
    QTest::addColumn<QPointF>("stored"); // left, top in twips
    QTest::addColumn<bool>("alwaysCentred");
    QTest::addColumn<QPoint>("expected");

    const QPointF unknown(kUnknownPosition, kUnknownPosition);
    // Nothing stored: the default place.
    QTest::newRow("title default: centred") << 0 << unknown << false << QPoint(5400, 100);
    QTest::newRow("subtitle default") << 1 << unknown << false << QPoint(12900, 400);
    QTest::newRow("clock default") << 5 << unknown << false << QPoint(12900, 1600);
    QTest::newRow("logo default: right edge") << 6 << unknown << false << QPoint(25800, 0);
    QTest::newRow("overtime default") << 7 << unknown << false << QPoint(12900, 4300);
    QTest::newRow("button 0 default") << 10 << unknown << false << QPoint(2000, 13200);
    // Inside the limits the stored place counts; each coordinate on its own.
    QTest::newRow("title stored") << 0 << QPointF(500, 300) << false << QPoint(500, 300);
    QTest::newRow("title may stand beyond the edge") << 0 << QPointF(30000, 16500) << false << QPoint(30000, 16500);
    QTest::newRow("clock at the limits") << 5 << QPointF(1, 16199) << false << QPoint(1, 16199);
    QTest::newRow("title beyond W + width") << 0 << QPointF(46800, 300) << false << QPoint(5400, 300);
    QTest::newRow("title below H + height") << 0 << QPointF(500, 18000) << false << QPoint(500, 100);
    QTest::newRow("subtitle left at W") << 1 << QPointF(28800, 900) << false << QPoint(12900, 900);
    QTest::newRow("clock top at H") << 5 << QPointF(700, 16200) << false << QPoint(700, 1600);
    QTest::newRow("clock left 0") << 5 << QPointF(0, 2000) << false << QPoint(12900, 2000);
    QTest::newRow("clock negative") << 5 << QPointF(-5, -3000) << false << QPoint(12900, 1600);
    QTest::newRow("not a number") << 5 << QPointF(qQNaN(), qQNaN()) << false << QPoint(12900, 1600);
    QTest::newRow("logo at W - width") << 6 << QPointF(25800, 100) << false << QPoint(25800, 100);
    QTest::newRow("logo past W - width") << 6 << QPointF(26000, 100) << false << QPoint(25800, 100);
    QTest::newRow("button 1 beyond W: its place in the row") << 11 << QPointF(30000, 100) << false << QPoint(3000, 100);
    QTest::newRow("title centred keeps its top") << 0 << QPointF(500, 300) << true << QPoint(5400, 300);
    QTest::newRow("index 9 holds no position") << 9 << QPointF(1, 1) << false << QPoint(0, 0);
}

void TestElementLayout::placement()
{
    QFETCH(int, element);
    QFETCH(QPointF, stored);
    QFETCH(bool, alwaysCentred);
    QFETCH(QPoint, expected);
    // The title 18000 x 1800, everything else 3000 x 600, on 1920 x 1080 at 96 dpi.
    const QSize size = element == 0 ? QSize(18000, 1800) : QSize(3000, 600);
    QCOMPARE(placeElement(element, {stored.x(), stored.y()}, size, QSize(28800, 16200), alwaysCentred), expected);
}

void TestElementLayout::firstRunArrangement_data()
{
    QTest::addColumn<int>("screenHeight");
    QTest::addColumn<bool>("withDateLine");
    QTest::newRow("1080 lines") << 16200 << false;
    QTest::newRow("768 lines, long-term") << 11520 << true;
    QTest::newRow("too small to fit") << 3000 << true;
}

void TestElementLayout::firstRunArrangement()
{
    QFETCH(int, screenHeight);
    QFETCH(bool, withDateLine);
    std::array<int, kElementSlots> heights{};
    heights[kMainTitleElement] = 2280;
    heights[kSubtitleElement] = 2025;
    heights[kDateLineElement] = withDateLine ? 2500 : 0;
    heights[kPromptElement] = 765;
    heights[kClockElement] = heights[kOvertimeClockElement] = 3525;
    heights[kDynamicTextElement] = 765;
    for (int i = kFirstButtonElement; i < kElementSlots; ++i)
        heights[i] = 405;
    const std::array<double, kElementSlots> tops = firstRunTops(heights, screenHeight);
    // One above the other, in this order, with room between them.
    const int order[] = {kMainTitleElement, kSubtitleElement,      kDateLineElement,   kPromptElement,
                         kClockElement,     kOvertimeClockElement, kDynamicTextElement};
    double bottom = 0;
    for (int element : order) {
        if (heights[element] == 0)
            continue;
        QVERIFY2(tops[element] >= bottom + kArrangementGapTwips, qPrintable(QString::number(element)));
        bottom = tops[element] + heights[element];
    }
    // The buttons in a row at the foot, below the rest when there is room for it.
    for (int i = kFirstButtonElement; i < kElementSlots; ++i)
        QCOMPARE(tops[i], double(screenHeight - 405 - kArrangementGapTwips));
    QCOMPARE(bottom + kArrangementGapTwips <= tops[kFirstButtonElement], screenHeight > 12000);
    QCOMPARE(tops[kLogoElement], 0.0);
}

QTEST_GUILESS_MAIN(TestElementLayout)
#include "tst_elementlayout.moc"
