#include "TestSupport.h"
#include "WindowFixture.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/MarqueeStep.h"
#include "display/MenuHost.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "support/Choosers.h"

#include <QLabel>
#include <QMenu>
#include <QtTest>

using namespace melvanta;

namespace {

struct Screen
{
    explicit Screen(const QString& subtitle = QStringLiteral("副标题文字"), const char* checkthree = "011001")
    {
        StageSettings stage = StageSettings::defaults();
        stage.secondtext = subtitle;
        stage.logopicture = QStringLiteral("logo.png");
        stage.checkthree = QLatin1String(checkthree); // the titles stay where they are put
        window.setMenuHost(&host);
        window.applyStage(stage);
        window.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.size(), window.screen()->availableSize());
        window.showOvertimeText(QStringLiteral("00:12"));
    }
    MenuHost host;
    WindowFixture fixture;
    ClockWindow& window = fixture.window;
};

// A left-button drag by `by` in two moves; each event is aimed at where the widget stands by then.
void dragBy(ClockWindow& window, QWidget* widget, bool release, const QPoint& by)
{
    const QPoint start = widget->mapTo(&window, widget->rect().center());
    QTest::mousePress(widget, Qt::LeftButton, {}, widget->rect().center());
    for (const QPoint& step : {by / 2, by})
        QTest::mouseMove(widget, widget->mapFrom(&window, start + step));
    if (release)
        QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->mapFrom(&window, start + by));
}

} // namespace

class TestElementDrag : public QObject
{
    Q_OBJECT
    std::optional<TestSandbox> m_sandbox; // each test's own program folder

private slots:
    void init() { m_sandbox.emplace(); }
    void cleanup() { m_sandbox.reset(); }

    void marqueeSteps()
    {
        // Mode, left, new left, stop: a text 3000 twips wide in a box 1000 twips wide. Right to left:
        // one step, its right end still 100 inside, re-entering from the right; left to right: one
        // step, re-entering from the left, hidden; standing still: centred, then it stops.
        const std::tuple<int, double, double, bool> steps[] = {{1, 0, -100, false},     {1, -2900, -3000, false},
                                                               {1, -2950, 900, false},  {0, 1000, 1100, false},
                                                               {0, 1001, -3000, false}, {2, 40, -1000, true}};
        for (const auto& [mode, left, newLeft, stop] : steps) {
            const MarqueeMove move = marqueeStep(mode, left, 3000, 1000);
            QCOMPARE(move.left, newLeft);
            QCOMPARE(move.stop, stop);
        }
        for (const auto& [speed, interval] : {std::pair{0, 200}, {51, 200}, {990, 200}, {50, 20}, {3, 333}, {-10, 100}})
            QCOMPARE(marqueeInterval(speed), interval);
    }

    void marqueeInTheWindow()
    {
        ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
        for (const auto& [key, value] : {std::pair{"Mode", "1"}, {"MarQueespeed", " 50"}, {"Width", "3000"}})
            profile.write(QStringLiteral("Marquee"), QLatin1String(key), QLatin1String(value));
        Screen screen(QString(), "011111");
        ClockWindow& window = screen.window;
        StageSettings stage = window.stage();
        window.setDynamicText(QStringLiteral("欢迎各位来宾莅临指导"));
        window.refreshStage(QStringLiteral("05:00"));
        const TwipsScale scale = window.twipsScale();
        QCOMPARE(window.textBox(4)->width(), scale.xToPixels(3000));
        QCOMPARE(window.marqueeTimer()->interval(), 20);
        const int before = window.textLine(4)->x(); // moves 100 twips a step, right to left
        QTRY_VERIFY(window.textLine(4)->x() <= before - 2 * scale.xToPixels(100) + 1);

        stage.checkthree = QStringLiteral("010111"); // switched off: the next step hides the box and stops
        window.currentStage().replace(stage);
        window.refreshStage(QStringLiteral("05:00"));
        QTRY_VERIFY(!window.isMarqueeRunning());
        QVERIFY(window.textBox(4)->isHidden());
    }

    void dragStoresUnderTheElementIndex_data()
    {
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("menuTarget"); // -1: a button offers the command menu instead
        QTest::newRow("subtitle, by its text") << QStringLiteral("Label2_1") << 1 << 1;
        QTest::newRow("clock") << QStringLiteral("Picture1") << 5 << 5;
        QTest::newRow("overtime clock") << QStringLiteral("Picture4") << 7 << 6;
        QTest::newRow("logo") << QStringLiteral("Picture5") << 6 << 7;
        QTest::newRow("button 2") << QStringLiteral("Label9_2") << 12 << -1;
    }

    void dragStoresUnderTheElementIndex()
    {
        QFETCH(QString, pressed);
        QFETCH(int, index);
        QFETCH(int, menuTarget);
        m_sandbox->installDataFiles(); // its profile file holds places for some elements
        QVERIFY(
            QImage(m_sandbox->filePath("picture/1.jpg")).scaled(90, 60).save(m_sandbox->filePath("picture/logo.png")));
        const QString left = QStringLiteral("pictureleft%1").arg(index);
        auto moving = [&](const ClockWindow& w) { return index == 1 ? w.textBox(1) : w.findChild<QWidget*>(pressed); };
        QPoint moved;
        {
            Screen screen;
            ClockWindow& window = screen.window;
            QWidget* element = window.findChild<QWidget*>(pressed); // a text line moves with its box
            const QPoint start = moving(window)->pos();
            // The buttons stand at the foot of the screen: they are moved up.
            const QPoint by = index >= kFirstButtonElement ? QPoint(-60, -40) : QPoint(-60, 40);
            dragBy(window, element, true, by);
            QCOMPARE(moving(window)->pos(), start);
            if (menuTarget >= 0) { // a right press still offers the element menu
                QTest::mousePress(element, Qt::RightButton, {}, QPoint(3, 3));
                QTRY_COMPARE(QApplication::activePopupWidget(), screen.host.elementMenu());
                QCOMPARE(window.menuTarget(), menuTarget);
                screen.host.elementMenu()->close();
            }
            window.SetAdjustMode(1);
            dragBy(window, element, false, by);
            moved = start + by;
            QCOMPARE(moving(window)->pos(), moved);
            QCOMPARE(RegistryStore().contains(left), index != 6); // the logo is stored once let go
            QTest::mouseRelease(element, Qt::LeftButton, {}, QPoint(3, 3));
            QCOMPARE(ProfileFile(m_sandbox->filePath(QStringLiteral("TimeData.db")))
                         .readPart(QStringLiteral("clocksite"), QStringLiteral("picturetop%1").arg(index), {})
                         .toInt(),
                     qRound(moved.y() * window.twipsScale().perPixelY()));
            QCOMPARE(RegistryStore().number(left), qRound(moved.x() * window.twipsScale().perPixelX()));
        }
        Screen again; // after a restart the element comes back to where it was put
        QCOMPARE(moving(again.window)->pos(), moved);
    }

    // The boxes fit what they show: the clock box each new text, also one
    // just as long; empty lines their names while adjusting.
    void boxesFitWhatTheyShow()
    {
        Screen screen(QString(), "010111"); // no subtitle, dynamic text switched off
        ClockWindow& window = screen.window;
        window.showClockText(QStringLiteral("00:00"));
        const int digits = window.clockFace()->width();
        window.showEndText(QStringLiteral("时间已到！"));
        QVERIFY(window.clockFace()->width() > digits);
        QVERIFY(window.clockFace()->width() >=
                QFontMetrics(window.clockFace()->faceFont()).horizontalAdvance(QStringLiteral("时间已到！")));
        window.SetAdjustMode(1);
        const QStringList shown{StageSettings::defaults().firsttext, QStringLiteral("副标题"), QString(),
                                QStringLiteral("提示文字"), QStringLiteral("动态文本")};
        for (int line = 0; line < 5; ++line) {
            QCOMPARE(window.textLine(line)->text(), shown[line]);
            QCOMPARE(window.textBox(line)->isVisible(), line != 2); // the date line only in long-term timing
        }
        window.SetAdjustMode(0);
        for (int line = 1; line < 5; ++line)
            QVERIFY(window.textLine(line)->text().isEmpty() && window.textBox(line)->isHidden());
    }

    void elementMenuLooks_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("chosen");    // a font family, "colour"; after "-" the chooser is cancelled
        QTest::addColumn<bool>("stored");       // the per-user store holds a whole stage beforehand
        QTest::addColumn<QStringList>("saved"); // name=value that the per-user store holds beyond the defaults
        const QString magenta = QStringLiteral("colour=16711935"); // R | G << 8 | B << 16
        QTest::newRow("font cancelled") << 5 << "-宋体" << true << QStringList();
        QTest::newRow("colour cancelled") << 2 << "-colour" << true << QStringList();
        QTest::newRow("clock colour") << 5 << "colour" << true << QStringList{"clock" + magenta};
        QTest::newRow("clock font, unknown family")
            << 5 << "NoSuchFamily" << true
            << QStringList{"clockFont=宋体", "clock" + magenta, "sizethree=90/80/77/100/30/30/"};
        QTest::newRow("date line colour") << 2 << "colour" << true << QStringList{"stagefont=宋体", "stage" + magenta};
        QTest::newRow("date line font") << 2 << "宋体" << true
                                        << QStringList{"stagefont=宋体", "stage" + magenta,
                                                       "sizethree=90/80/150/77/30/30/"};
        QTest::newRow("subtitle font, on screen only") << 1 << "Sans" << true << QStringList();
        // A fresh installation: the look goes in with the whole current stage.
        QTest::newRow("clock colour, fresh store")
            << 5 << "colour" << false
            << QStringList{"secondtext=副标题文字", "clock" + magenta, "checkthree=011001", "logopicture=logo.png"};
    }

    void elementMenuLooks()
    {
        QFETCH(int, target);
        QFETCH(QString, chosen);
        QFETCH(bool, stored);
        QFETCH(QStringList, saved);
        const StageSettings defaults = StageSettings::defaults();
        RegistryStore registry;
        if (stored)
            SaveStageSettings(registry, defaults);
        Screen screen;
        ClockWindow& window = screen.window;
        const QColor before = window.targetColour(target);
        const bool cancelled = chosen.startsWith(QLatin1Char('-'));
        const bool font = !chosen.endsWith(QLatin1String("colour"));
        cancelled ? Choosers::setNextCancelled() : Choosers::setNextFont(QFont(chosen, 77), Qt::magenta);
        window.setMenuTarget(target);
        screen.host.elementItem(font ? MenuHost::SetFont : MenuHost::SetColour)->trigger();

        QCOMPARE(window.targetColour(target), cancelled ? before : QColor(Qt::magenta));
        QCOMPARE(window.targetFont(target).pointSize() == 77, !cancelled && font);
        // Whatever the store holds, the next start shows; it differs from the defaults in `saved` only.
        const StageSettings kept = LoadStageSettings(registry);
        QCOMPARE(kept.clockcolour, window.stage().clockcolour);
        QCOMPARE(kept.sizethree, window.stage().sizethree);
        QStringList changed;
        for (const StageField& field : stageFields()) {
            if (fieldText(kept, field) != fieldText(defaults, field))
                changed << QString::fromLatin1(field.name) + QLatin1Char('=') + fieldText(kept, field);
        }
        QCOMPARE(changed, saved);
    }
};

QTEST_MAIN(TestElementDrag)
#include "tst_elementdrag.moc"
