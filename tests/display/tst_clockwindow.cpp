#include "TestSupport.h"
#include "WindowFixture.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/LogoBox.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

using namespace melvanta;

static int countPixels(const QImage& image, const QColor& colour)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32); // rows without padding
    const QRgb* pixels = reinterpret_cast<const QRgb*>(rgb.constBits());
    return int(std::count(pixels, pixels + rgb.width() * rgb.height(), colour.rgb()));
}

class TestClockWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialClockText_data();
    void initialClockText();
    void stageLookIsPainted();
    void elementsHiddenWithoutContent_data();
    void elementsHiddenWithoutContent();
    void storedPositionPlacesTheButton_data();
    void storedPositionPlacesTheButton();
    void buttonsFollowTheRunState_data();
    void buttonsFollowTheRunState();
};

void TestClockWindow::initialClockText_data()
{
    QTest::addColumn<QString>("combolist");
    QTest::addColumn<QTime>("duration");
    QTest::addColumn<QString>("expected"); // empty: the time of day

    QTest::newRow("countdown seconds") << "000" << QTime(0, 5, 0) << "300";
    QTest::newRow("countdown minutes past an hour") << "100" << QTime(1, 15, 30) << "75:30";
    QTest::newRow("countdown h:m:s") << "200" << QTime(1, 15, 30) << "01:15:30";
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
    WindowFixture screen;
    ClockWindow& window = screen.window;
    window.applyStage(stage);
    const QString text = window.clockText();
    const QTime shown = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
    QVERIFY2(expected.isEmpty() ? shown.isValid() && qAbs(shown.secsTo(QTime::currentTime())) <= 2 : text == expected,
             qPrintable(text));
}

void TestClockWindow::stageLookIsPainted()
{
    TestSandbox sandbox; // an empty program folder: "1.jpg" is missing
    StageSettings stage = StageSettings::defaults();
    stage.background = QStringLiteral("65280\\1.jpg");
    stage.clockFont = QStringLiteral("No Such Font 123"); // the digits must still be drawn
    stage.clockcolour = QStringLiteral("255");
    stage.highsetfour = QStringLiteral("0\\65535\\");
    WindowFixture screen;
    ClockWindow& window = screen.window;
    window.resize(1200, 800);
    auto expectLook = [&](const QColor& back, const QColor& digits) {
        const QImage image = window.grab().toImage();
        QCOMPARE(image.pixelColor(5, image.height() - 5), back);
        // The clock box shows the background around its digits.
        QCOMPARE(image.pixelColor(window.clockFace()->geometry().topLeft() + QPoint(1, 1)), back);
        QVERIFY2(countPixels(image.copy(window.clockFace()->geometry()), digits) > 100, qPrintable(digits.name()));
    };
    window.applyStage(stage);
    expectLook(QColor(0, 255, 0), QColor(255, 0, 0)); // without its picture, the background colour
    stage.checkthree = QStringLiteral("111111");      // phase looks on
    window.applyStage(stage);
    window.backgroundupdate(4);
    expectLook(QColor(255, 255, 0), QColor(0, 0, 0));
}

void TestClockWindow::elementsHiddenWithoutContent_data()
{
    QTest::addColumn<QString>("firsttext");
    QTest::addColumn<QString>("logopicture"); // anything but good.png hides the logo

    QTest::newRow("empty main title") << QString() << "good.png";
    QTest::newRow("missing logo") << "标题" << QString("gone.png");
    QTest::newRow("logo neither picture nor video") << "标题" << QString("notes.txt");
}

void TestClockWindow::elementsHiddenWithoutContent()
{
    QFETCH(QString, firsttext);
    QFETCH(QString, logopicture);
    TestSandbox sandbox;
    QVERIFY(QWidget().grab().save(sandbox.writeFile(QStringLiteral("picture/good.png"), QByteArray()), "PNG"));
    sandbox.writeFile(QStringLiteral("picture/notes.txt"), QByteArray("Agenda:\n1. Opening\n").repeated(50));
    StageSettings stage = StageSettings::defaults();
    stage.logopicture = QStringLiteral("good.png");
    WindowFixture screen;
    ClockWindow& window = screen.window;
    window.applyStage(stage);
    QVERIFY(!window.mainTitle()->isHidden() && !window.logoBox()->isHidden());

    stage.firsttext = firsttext;
    stage.logopicture = logopicture;
    window.applyStage(stage);
    QCOMPARE(window.mainTitle()->isHidden(), firsttext.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(window.logoBox()->isHidden(), logopicture != QLatin1String("good.png"), 15000);
}

void TestClockWindow::storedPositionPlacesTheButton_data()
{
    QTest::addColumn<QString>("profile"); // "left top" in the profile file; the per-user store holds 1500 1200
    QTest::addColumn<QPoint>("expected"); // twips

    QTest::newRow("profile") << "3000 6000" << QPoint(3000, 6000);
    QTest::newRow("profile left unknown: both from the registry") << "-100 6000" << QPoint(1500, 1200);
    QTest::newRow("left beyond the screen: its place in the row") << "99999 6000" << QPoint(2000, 6000);
    QTest::newRow("garbage left: its place in the row") << "abc 6000" << QPoint(2000, 6000);
}

void TestClockWindow::storedPositionPlacesTheButton()
{
    QFETCH(QString, profile);
    QFETCH(QPoint, expected);
    TestSandbox sandbox;
    ProfileFile file(sandbox.writeFile(QStringLiteral("TimeData.db"), QByteArray()));
    file.write(QStringLiteral("clocksite"), QStringLiteral("pictureleft10"), profile.section(QLatin1Char(' '), 0, 0));
    file.write(QStringLiteral("clocksite"), QStringLiteral("picturetop10"), profile.section(QLatin1Char(' '), 1, 1));
    RegistryStore().setNumber(QStringLiteral("pictureleft10"), 1500);
    RegistryStore().setNumber(QStringLiteral("picturetop10"), 1200);
    WindowFixture screen;
    ClockWindow& window = screen.window;
    window.applyStage(StageSettings::defaults());
    QCOMPARE(window.button(0)->pos(), window.twipsScale().toPixels(expected));
}

void TestClockWindow::buttonsFollowTheRunState_data()
{
    QTest::addColumn<QString>("captions");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("enabled"); // the buttons that are on

    QTest::newRow("idle") << " 开始 | 停止 | 暂停 | 设置 | 退出 " << int(RunStatus::Idle) << "034";
    QTest::newRow("running") << " 开始 | 停止 | 暂停 | 设置 | 退出 " << int(RunStatus::Running) << "12";
    QTest::newRow("paused") << " 开始 | 停止 | 继续 | 设置 | 退出 " << int(RunStatus::Paused) << "12";
    QTest::newRow("cleared") << " 清零 | 停止 | 暂停 | 设置 | 退出 " << int(RunStatus::Cleared) << "034";
}

void TestClockWindow::buttonsFollowTheRunState()
{
    QFETCH(QString, captions);
    QFETCH(int, status);
    QFETCH(QString, enabled);
    TestSandbox sandbox;
    WindowFixture screen;
    ClockWindow& window = screen.window;
    window.applyStage(StageSettings::defaults());
    // Come from the other side, so that every button has to change.
    window.setCommandState(CommandState::forStatus(
        status == int(RunStatus::Idle) || status == int(RunStatus::Cleared) ? RunStatus::Paused : RunStatus::Cleared));
    window.setCommandState(CommandState::forStatus(RunStatus(status)));

    QString clicked;
    connect(&window, &ClockWindow::buttonClicked, this, [&](int index) { clicked += QString::number(index); });
    QSignalSpy menus(&window, &ClockWindow::commandMenuRequested);
    for (int i = 0; i < kButtonCount; ++i) {
        QLabel* button = window.button(i);
        const bool on = enabled.contains(QString::number(i));
        QCOMPARE(button->text(), captions.section(QLatin1Char('|'), i, i));
        // Enabled captions are black, disabled ones grey.
        QCOMPARE(countPixels(button->grab().toImage(), Qt::black) > 0, on);
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::RightButton, {}, QPoint(2, 2));
    }
    // Only buttons that are on run their command; a right press offers the menu on every one.
    QCOMPARE(clicked, enabled);
    QCOMPARE(menus.size(), kButtonCount);
    QCOMPARE(menus.last().at(0).toPoint(), window.button(4)->mapToGlobal(QPoint(2, 2)));
}

// A logo that is no picture is tried as a video. Without OpenGL the video widget
// loads no GL driver, whose caches would look leaked to the sanitizer run at exit.
[[maybe_unused]] static const bool kNoOpenGl = qputenv("QT_XCB_GL_INTEGRATION", "none");
QTEST_MAIN(TestClockWindow)
#include "tst_clockwindow.moc"
