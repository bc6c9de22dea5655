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
    std::optional<TestSandbox> m_sandbox; // each test's own, empty program folder

private Q_SLOTS:
    void init() { m_sandbox.emplace(); }
    void cleanup() { m_sandbox.reset(); }
    void initialClockText_data()
    {
        QTest::addColumn<QString>("combolist"); // the stage lasts 1:15:30
        QTest::addColumn<QString>("expected");  // empty: the time of day

        QTest::newRow("countdown seconds") << QStringLiteral("000") << "4530";
        QTest::newRow("countdown minutes past an hour") << QStringLiteral("100") << "75:30";
        QTest::newRow("countdown h:m:s") << QStringLiteral("200") << "01:15:30";
        QTest::newRow("count-up starts at zero") << QStringLiteral("210") << "00:00:00";
        QTest::newRow("system time") << QStringLiteral("020") << "";
    }

    void initialClockText()
    {
        QFETCH(QString, combolist);
        QFETCH(QString, expected);
        StageSettings stage = StageSettings::defaults();
        stage.combolist = combolist;
        stage.Time_all = QTime(1, 15, 30);
        WindowFixture screen;
        screen.window.applyStage(stage);
        const QString text = screen.window.clockText();
        const QTime shown = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
        QVERIFY2(expected.isEmpty() ? shown.isValid() && qAbs(shown.secsTo(QTime::currentTime())) <= 2
                                    : text == expected,
                 qPrintable(text));
    }

    void stageLookIsPainted()
    {
        // The program folder is empty: "1.jpg" is missing.
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

    void elementsHiddenWithoutContent_data()
    {
        QTest::addColumn<QString>("firsttext");
        QTest::addColumn<QString>("logopicture"); // anything but good.png hides the logo

        QTest::newRow("empty main title") << QString() << "good.png";
        QTest::newRow("missing logo") << "标题" << QString("gone.png");
        QTest::newRow("logo neither picture nor video") << "标题" << QString("notes.txt");
    }

    void elementsHiddenWithoutContent()
    {
        QFETCH(QString, firsttext);
        QFETCH(QString, logopicture);
        QVERIFY(QWidget().grab().save(m_sandbox->writeFile(QStringLiteral("picture/good.png"), QByteArray()), "PNG"));
        m_sandbox->writeFile(QStringLiteral("picture/notes.txt"), QByteArray("Agenda:\n1. Opening\n").repeated(50));
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

    void storedPositionPlacesTheButton_data()
    {
        QTest::addColumn<QString>("profile"); // "left top" in the profile file; the per-user store holds 1500 1200
        QTest::addColumn<QPoint>("expected"); // twips

        QTest::newRow("profile") << "3000 6000" << QPoint(3000, 6000);
        QTest::newRow("profile left unknown: both from the registry") << "-100 6000" << QPoint(1500, 1200);
        QTest::newRow("left beyond the screen: its place in the row") << "99999 6000" << QPoint(2000, 6000);
        QTest::newRow("garbage left: its place in the row") << "abc 6000" << QPoint(2000, 6000);
    }

    void storedPositionPlacesTheButton()
    {
        QFETCH(QString, profile);
        QFETCH(QPoint, expected);
        ProfileFile file(m_sandbox->writeFile(QStringLiteral("TimeData.db"), QByteArray()));
        for (int i = 0; i < 2; ++i) {
            const QString name = i == 0 ? QStringLiteral("pictureleft10") : QStringLiteral("picturetop10");
            file.write(QStringLiteral("clocksite"), name, profile.section(QLatin1Char(' '), i, i));
            RegistryStore().setNumber(name, i == 0 ? 1500 : 1200);
        }
        WindowFixture screen;
        screen.window.applyStage(StageSettings::defaults());
        QCOMPARE(screen.window.button(0)->pos(), screen.window.twipsScale().toPixels(expected));
    }

    void buttonsFollowTheRunState_data()
    {
        QTest::addColumn<QString>("captions");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("enabled"); // the buttons that are on

        QTest::newRow("idle") << " 开始 | 停止 | 暂停 | 设置 | 退出 " << int(RunStatus::Idle) << "034";
        QTest::newRow("running") << " 开始 | 停止 | 暂停 | 设置 | 退出 " << int(RunStatus::Running) << "12";
        QTest::newRow("paused") << " 开始 | 停止 | 继续 | 设置 | 退出 " << int(RunStatus::Paused) << "12";
        QTest::newRow("cleared") << " 清零 | 停止 | 暂停 | 设置 | 退出 " << int(RunStatus::Cleared) << "034";
    }

    void buttonsFollowTheRunState()
    {
        QFETCH(QString, captions);
        QFETCH(int, status);
        QFETCH(QString, enabled);
        WindowFixture screen;
        ClockWindow& window = screen.window;
        window.applyStage(StageSettings::defaults());
        // Come from the other side (paused before an idle or cleared window,
        // cleared before a running or paused one), so that every button has to change.
        window.setCommandState(CommandState::forStatus(enabled.contains('0') ? RunStatus::Paused : RunStatus::Cleared));
        window.setCommandState(CommandState::forStatus(RunStatus(status)));

        QString clicked;
        connect(&window, &ClockWindow::buttonClicked, this, [&](int index) { clicked += QString::number(index); });
        QSignalSpy menus(&window, &ClockWindow::commandMenuRequested);
        for (int i = 0; i < kButtonCount; ++i) {
            QLabel* button = window.button(i);
            QCOMPARE(button->text(), captions.section(QLatin1Char('|'), i, i));
            // Enabled captions are black, disabled ones grey.
            QCOMPARE(countPixels(button->grab().toImage(), Qt::black) > 0, enabled.contains(QString::number(i)));
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::mouseClick(button, Qt::RightButton, {}, QPoint(2, 2));
        }
        // A right press offers the menu on every button.
        QCOMPARE(menus.size(), kButtonCount);
        QCOMPARE(menus.last().at(0).toPoint(), window.button(4)->mapToGlobal(QPoint(2, 2)));
        // While adjusting every button is enabled, so that it can be moved, and runs nothing.
        window.SetAdjustMode(1);
        for (int i = 0; i < kButtonCount; ++i) {
            QVERIFY(window.button(i)->isEnabled());
            QTest::mouseClick(window.button(i), Qt::LeftButton);
        }
        window.SetAdjustMode(0);
        for (int i = 0; i < kButtonCount; ++i)
            QCOMPARE(window.button(i)->isEnabled(), enabled.contains(QString::number(i)));
        // Only buttons that are on run their command.
        QCOMPARE(clicked, enabled);
    }
};

// A logo that is no picture is tried as a video. Without OpenGL the video widget
// loads no GL driver, whose caches would look leaked to the sanitizer run at exit.
[[maybe_unused]] static const bool kNoOpenGl = qputenv("QT_XCB_GL_INTEGRATION", "none");
QTEST_MAIN(TestClockWindow)
#include "tst_clockwindow.moc"
