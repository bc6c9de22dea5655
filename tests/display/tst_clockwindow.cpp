#include "TestSupport.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/ColourMapping.h"

#include <QLabel>
#include <QtTest>

using namespace melvanta;

class TestClockWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialClockText_data();
    void initialClockText();
    void systemColoursFollowThePalette_data();
    void systemColoursFollowThePalette();
    void emptyMainTitleIsHidden();
    void missingBackgroundPictureFallsBackToColour();
    void unknownFontStillDraws();
};

void TestClockWindow::initialClockText_data()
{
    QTest::addColumn<QString>("combolist");
    QTest::addColumn<QTime>("duration");
    QTest::addColumn<QString>("expected"); // empty: the current time is shown

    QTest::newRow("first-run defaults") << "100" << QTime(0, 1, 0) << "01:00";
    QTest::newRow("countdown seconds") << "000" << QTime(0, 5, 0) << "300";
    QTest::newRow("countdown h:m:s") << "200" << QTime(1, 15, 30) << "01:15:30";
    QTest::newRow("countdown minutes past an hour") << "100" << QTime(1, 15, 30) << "75:30";
    QTest::newRow("count-up starts at zero") << "210" << QTime(0, 10, 0) << "00:00:00";
    QTest::newRow("system time") << "020" << QTime(0, 10, 0) << "";
}

void TestClockWindow::initialClockText()
{
    QFETCH(QString, combolist);
    QFETCH(QTime, duration);
    QFETCH(QString, expected);
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.combolist = combolist;
    stage.Time_all = duration;
    ClockWindow window;
    window.applyStage(stage);
    if (expected.isEmpty()) {
        const QTime shown = QTime::fromString(window.clockText(), QStringLiteral("hh:mm:ss"));
        QVERIFY2(shown.isValid() && qAbs(shown.secsTo(QTime::currentTime())) <= 2, qPrintable(window.clockText()));
    } else {
        QCOMPARE(window.clockText(), expected);
    }
    QCOMPARE(window.clockFace()->accessibleName(), window.clockText());
}

void TestClockWindow::systemColoursFollowThePalette_data()
{
    QTest::addColumn<QString>("colourText");
    QTest::addColumn<int>("role"); // -1: plain RGB
    QTest::addColumn<QColor>("rgb");
    QTest::newRow("window text") << "-2147483640" << int(QPalette::WindowText) << QColor();
    QTest::newRow("window background") << "-2147483643" << int(QPalette::Window) << QColor();
    QTest::newRow("red") << "255" << -1 << QColor(255, 0, 0);
    QTest::newRow("yellow") << "65535" << -1 << QColor(255, 255, 0);
    QTest::newRow("blue") << "16711680" << -1 << QColor(0, 0, 255);
}

void TestClockWindow::systemColoursFollowThePalette()
{
    QFETCH(QString, colourText);
    QFETCH(int, role);
    QFETCH(QColor, rgb);
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(1, 2, 3));
    palette.setColor(QPalette::Window, QColor(4, 5, 6));
    const QColor expected = role < 0 ? rgb : palette.color(QPalette::ColorRole(role));
    QCOMPARE(toQColor(colourText, palette), expected);
}

void TestClockWindow::emptyMainTitleIsHidden()
{
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    ClockWindow window;
    window.applyStage(stage);
    window.show();
    QVERIFY(window.mainTitle()->isVisible());
    QCOMPARE(window.mainTitle()->text(), QStringLiteral("中层干部年终述职考评会"));
    stage.firsttext.clear();
    window.applyStage(stage);
    QVERIFY(!window.mainTitle()->isVisible());
}

void TestClockWindow::missingBackgroundPictureFallsBackToColour()
{
    TestSandbox sandbox; // an empty program folder: "1.jpg" is missing
    StageSettings stage = StageSettings::defaults();
    stage.background = QStringLiteral("255\\1.jpg");
    ClockWindow window;
    window.resize(400, 300);
    window.applyStage(stage);
    const QImage image = window.grab().toImage();
    QCOMPARE(image.pixelColor(5, image.height() - 5), QColor(255, 0, 0));
}

void TestClockWindow::unknownFontStillDraws()
{
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.clockFont = QStringLiteral("No Such Font 123");
    stage.clockcolour = QStringLiteral("255");
    ClockWindow window;
    window.resize(1200, 800);
    window.applyStage(stage);
    ClockFace* face = window.clockFace();
    QVERIFY(face->width() > 50 && face->height() > 50);
    // Some red digit pixels are really painted.
    const QImage image = face->grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            red += image.pixelColor(x, y) == QColor(255, 0, 0);
    QVERIFY(red > 100);
}

QTEST_MAIN(TestClockWindow)
#include "tst_clockwindow.moc"
