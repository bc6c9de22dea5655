#include "TestSupport.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/ColourMapping.h"
#include "display/LogoBox.h"
#include "display/MenuHost.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMediaPlayer>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtEndian>
#include <QtTest>

#include <array>

using namespace melvanta;

namespace {

int countPixels(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

int darkestLightness(const QImage& image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = qMin(darkest, image.pixelColor(x, y).lightness());
    return darkest;
}

// A picture in the sandbox's picture folder: `left` colour on the left half,
// `right` on the right half.
void writePicture(const TestSandbox& sandbox, const QString& name, const QSize& size, const QColor& left,
                  const QColor& right)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 2, size.height(), left);
    painter.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), right);
    painter.end();
    QDir().mkpath(sandbox.programFolder() + QStringLiteral("picture"));
    image.save(sandbox.programFolder() + QStringLiteral("picture/") + name, "PNG");
}

void appendU32(QByteArray& bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void appendU16(QByteArray& bytes, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

QByteArray riffChunk(const char* id, const QByteArray& data)
{
    QByteArray chunk(id, 4);
    appendU32(chunk, quint32(data.size()));
    chunk += data;
    if (data.size() % 2)
        chunk += '\0';
    return chunk;
}

QByteArray riffList(const char* type, const QByteArray& content)
{
    QByteArray list("LIST");
    appendU32(list, quint32(content.size() + 4));
    list += QByteArray(type, 4) + content;
    return list;
}

// A short uncompressed AVI video of one colour, ten frames a second.
QByteArray colourVideo(const QSize& size, int frames, const QColor& colour)
{
    const int rowBytes = (size.width() * 3 + 3) & ~3;
    const int frameBytes = rowBytes * size.height();
    QByteArray frame(frameBytes, 0);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            char* pixel = frame.data() + y * rowBytes + x * 3;
            pixel[0] = char(colour.blue());
            pixel[1] = char(colour.green());
            pixel[2] = char(colour.red());
        }
    }
    QByteArray avih;
    for (quint32 v : {100000u, quint32(frameBytes * 10), 0u, 0x10u, quint32(frames), 0u, 1u, quint32(frameBytes),
                      quint32(size.width()), quint32(size.height()), 0u, 0u, 0u, 0u})
        appendU32(avih, v);
    QByteArray strh("vids");
    for (quint32 v : {0u, 0u, 0u, 0u, 1u, 10u, 0u, quint32(frames), quint32(frameBytes), 0xFFFFFFFFu, 0u})
        appendU32(strh, v);
    for (quint16 v : {quint16(0), quint16(0), quint16(size.width()), quint16(size.height())})
        appendU16(strh, v);
    QByteArray strf;
    appendU32(strf, 40);
    appendU32(strf, quint32(size.width()));
    appendU32(strf, quint32(size.height()));
    appendU16(strf, 1);
    appendU16(strf, 24);
    for (quint32 v : {0u, quint32(frameBytes), 0u, 0u, 0u, 0u})
        appendU32(strf, v);
    const QByteArray header =
        riffList("hdrl", riffChunk("avih", avih) + riffList("strl", riffChunk("strh", strh) + riffChunk("strf", strf)));
    QByteArray movi;
    QByteArray index;
    for (int i = 0; i < frames; ++i) {
        index += "00db";
        appendU32(index, 0x10);
        appendU32(index, quint32(4 + movi.size()));
        appendU32(index, quint32(frameBytes));
        movi += riffChunk("00db", frame);
    }
    const QByteArray body = QByteArray("AVI ") + header + riffList("movi", movi) + riffChunk("idx1", index);
    QByteArray file("RIFF");
    appendU32(file, quint32(body.size()));
    return file + body;
}

QString accessibleName(QObject* object)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("<none>");
}

// The window filling the screen, as the program shows it.
void showOnScreen(ClockWindow& window)
{
    window.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.size(), window.screen()->availableSize());
}

} // namespace

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
    void textElementsFollowTheirTexts_data();
    void textElementsFollowTheirTexts();
    void overtimeClockHiddenAtEachRefresh();
    void timedLinesFollowTheStage_data();
    void timedLinesFollowTheStage();
    void storedPositionsPlaceTheElements();
    void centredElementsStayCentred();
    void phaseLooksArePainted_data();
    void phaseLooksArePainted();
    void phaseOutsideTheRangeChangesNothing();
    void backgroundPictureIsStretchedBehindTheClock();
    void clockDrawing();
    void restartDelayNotice();
    void logoTakesItsSize_data();
    void logoTakesItsSize();
    void logoHiddenWithoutAPicture_data();
    void logoHiddenWithoutAPicture();
    void logoVideoPlaysSilently();
    void buttonClicksRunTheirCommands_data();
    void buttonClicksRunTheirCommands();
    void rightPressOffersTheCommandMenu_data();
    void rightPressOffersTheCommandMenu();
    void commandStateOnTheButtons_data();
    void commandStateOnTheButtons();
    void buttonsRememberedHidden();
    void elementsReadTheirTextToScreenReaders();
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

void TestClockWindow::textElementsFollowTheirTexts_data()
{
    QTest::addColumn<QString>("firsttext");
    QTest::addColumn<QString>("secondtext");
    QTest::addColumn<QString>("checkthree");
    QTest::addColumn<QString>("dynamicText");
    QTest::addColumn<bool>("titleShown");
    QTest::addColumn<bool>("subtitleShown");
    QTest::addColumn<bool>("dynamicShown");

    QTest::newRow("first-run defaults") << "中层干部年终述职考评会"
                                        << ""
                                        << "011111"
                                        << "" << true << false << false;
    QTest::newRow("no main title") << ""
                                   << "副标题"
                                   << "011111"
                                   << "" << false << true << false;
    QTest::newRow("dynamic text shown") << "标题"
                                        << ""
                                        << "011111"
                                        << "欢迎各位" << true << false << true;
    QTest::newRow("dynamic text switched off") << "标题"
                                               << ""
                                               << "010111"
                                               << "欢迎各位" << true << false << false;
    QTest::newRow("markup stays text") << "<b>标题</b>"
                                       << "<i></i>"
                                       << "011111"
                                       << "" << true << true << false;
}

void TestClockWindow::textElementsFollowTheirTexts()
{
    QFETCH(QString, firsttext);
    QFETCH(QString, secondtext);
    QFETCH(QString, checkthree);
    QFETCH(QString, dynamicText);
    QFETCH(bool, titleShown);
    QFETCH(bool, subtitleShown);
    QFETCH(bool, dynamicShown);
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.firsttext = firsttext;
    stage.secondtext = secondtext;
    stage.checkthree = checkthree;
    ClockWindow window;
    window.setDynamicText(dynamicText);
    window.applyStage(stage);

    QCOMPARE(!window.textLine(0)->isHidden(), titleShown);
    QCOMPARE(!window.textBox(1)->isHidden(), subtitleShown);
    QCOMPARE(!window.textBox(4)->isHidden(), dynamicShown);
    QCOMPARE(window.textLine(1)->text(), secondtext);
    QCOMPARE(window.textLine(0)->textFormat(), Qt::PlainText);
    // The date line and the prompt start empty and hidden.
    QVERIFY(window.textBox(2)->isHidden());
    QVERIFY(window.textBox(3)->isHidden());
    // A box is as large as its text.
    if (subtitleShown)
        QCOMPARE(window.textBox(1)->size(), window.textLine(1)->sizeHint());

    // A refresh keeps the dynamic text of the stage.
    window.refreshStage(stage, QStringLiteral("02:00"));
    QCOMPARE(!window.textBox(4)->isHidden(), dynamicShown);
    QCOMPARE(window.textLine(4)->text(), dynamicText);
}

void TestClockWindow::overtimeClockHiddenAtEachRefresh()
{
    TestSandbox sandbox;
    const StageSettings stage = StageSettings::defaults();
    ClockWindow window;
    window.applyStage(stage);
    QVERIFY(!window.isOvertimeClockVisible());

    window.showOvertimeText(QStringLiteral("00:05"));
    QVERIFY(window.isOvertimeClockVisible());
    QCOMPARE(window.overtimeFace()->text(), QStringLiteral("00:05"));
    QVERIFY(window.overtimeFace()->height() > 100); // drawn at the clock size
    window.setOvertimeClockVisible(false);
    QVERIFY(!window.isOvertimeClockVisible());
    window.setOvertimeClockVisible(true);

    window.refreshStage(stage, QStringLiteral("02:00"));
    QVERIFY(!window.isOvertimeClockVisible());
    QCOMPARE(window.clockText(), QStringLiteral("02:00"));
    QVERIFY(window.isClockVisible());
}

void TestClockWindow::timedLinesFollowTheStage_data()
{
    QTest::addColumn<QString>("checkone");
    QTest::addColumn<QString>("checkthree");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("shownText"); // "<weekday>": today's weekday

    QTest::newRow("date line in long-term timing") << "1111111"
                                                   << "011111" << 2 << "12天" << true << "12天";
    QTest::newRow("date line without long-term timing") << "1111110"
                                                        << "011111" << 2 << "12天" << false << "12天";
    QTest::newRow("empty date line") << "1111111"
                                     << "011111" << 2 << "" << false << "";
    QTest::newRow("prompt") << "1111110"
                            << "011111" << 3 << "开始计时" << true << "开始计时";
    QTest::newRow("empty prompt") << "1111110"
                                  << "011111" << 3 << "" << false << "";
    QTest::newRow("weekday in long-term timing") << "1111111"
                                                 << "011111" << 3 << "开始计时" << true << "<weekday>";
    QTest::newRow("weekday switched off") << "1111111"
                                          << "001111" << 3 << "开始计时" << true << "开始计时";
}

void TestClockWindow::timedLinesFollowTheStage()
{
    QFETCH(QString, checkone);
    QFETCH(QString, checkthree);
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(QString, shownText);
    if (shownText == QLatin1String("<weekday>"))
        shownText = QLocale::system().toString(QDate::currentDate(), QStringLiteral("dddd"));
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.checkone = checkone;
    stage.checkthree = checkthree;
    ClockWindow window;
    window.applyStage(stage);
    if (line == 2)
        window.setDateLine(text);
    else
        window.setPromptText(text);
    QCOMPARE(!window.textBox(line)->isHidden(), shown);
    QCOMPARE(window.textLine(line)->text(), shownText);
    if (line == 3 && shown) {
        window.setPromptVisible(false);
        QVERIFY(window.textBox(3)->isHidden());
        window.setPromptVisible(true);
        QVERIFY(!window.textBox(3)->isHidden());
    }
}

void TestClockWindow::storedPositionsPlaceTheElements()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
    RegistryStore registry;
    const QString site = QStringLiteral("clocksite");
    profile.write(site, QStringLiteral("pictureleft5"), QStringLiteral("3000"));
    profile.write(site, QStringLiteral("picturetop5"), QStringLiteral("6000"));
    // The subtitle's profile entry is unknown: both coordinates come from the registry.
    profile.write(site, QStringLiteral("pictureleft1"), QStringLiteral("-100"));
    profile.write(site, QStringLiteral("picturetop1"), QStringLiteral("900"));
    registry.setNumber(QStringLiteral("pictureleft1"), 1500);
    registry.setNumber(QStringLiteral("picturetop1"), 1200);
    // The main title has a place but must stay centred.
    profile.write(site, QStringLiteral("pictureleft0"), QStringLiteral("450"));
    profile.write(site, QStringLiteral("picturetop0"), QStringLiteral("300"));
    // Button 2 stands beyond the screen: its default place.
    profile.write(site, QStringLiteral("pictureleft12"), QStringLiteral("99999"));
    profile.write(site, QStringLiteral("picturetop12"), QStringLiteral("600"));

    StageSettings stage = StageSettings::defaults();
    stage.secondtext = QStringLiteral("副标题");
    stage.checkthree = QStringLiteral("011101");
    ClockWindow window;
    window.applyStage(stage);
    const TwipsScale scale = window.twipsScale();
    const int screenWidth = window.screen()->availableSize().width();
    QCOMPARE(window.screenExtent(), scale.toTwips(window.screen()->availableSize()));

    QCOMPARE(window.clockFace()->pos(), scale.toPixels(QPoint(3000, 6000)));
    QCOMPARE(window.textBox(1)->pos(), scale.toPixels(QPoint(1500, 1200)));
    QLabel* title = window.mainTitle();
    QVERIFY(qAbs(title->x() + title->width() / 2 - screenWidth / 2) <= 1);
    QCOMPARE(title->y(), scale.yToPixels(300));
    QCOMPARE(window.button(2)->pos(), scale.toPixels(QPoint(4000, 600)));

    // Without the centring switch the title takes its stored place; a
    // garbage clock position falls back to the centre.
    stage.checkthree = QStringLiteral("011001");
    profile.write(site, QStringLiteral("pictureleft5"), QStringLiteral("abc"));
    window.refreshStage(stage, QStringLiteral("01:00"));
    QCOMPARE(title->pos(), scale.toPixels(QPoint(450, 300)));
    const QWidget* clock = window.clockFace();
    QVERIFY(qAbs(clock->x() + clock->width() / 2 - screenWidth / 2) <= 1);
    QCOMPARE(clock->y(), scale.yToPixels(6000));
}

void TestClockWindow::centredElementsStayCentred()
{
    TestSandbox sandbox;
    ClockWindow window;
    window.applyStage(StageSettings::defaults());
    const int middle = window.screen()->availableSize().width() / 2;
    auto centreOf = [](const QWidget* widget) { return widget->x() + widget->width() / 2; };

    window.setPromptText(QStringLiteral("开始"));
    QVERIFY(qAbs(centreOf(window.textBox(3)) - middle) <= 1);
    window.setPromptText(QStringLiteral("请各位代表注意发言时间"));
    QVERIFY(qAbs(centreOf(window.textBox(3)) - middle) <= 1);
    QCOMPARE(window.textBox(3)->width(), window.textLine(3)->width());

    window.showClockText(QStringLiteral("9:59"));
    QVERIFY(qAbs(centreOf(window.clockFace()) - middle) <= 1);
    window.showClockText(QStringLiteral("10:00:00"));
    QVERIFY(qAbs(centreOf(window.clockFace()) - middle) <= 1);
    window.showOvertimeText(QStringLiteral("00:00:01"));
    QVERIFY(qAbs(centreOf(window.overtimeFace()) - middle) <= 1);
}

void TestClockWindow::phaseLooksArePainted_data()
{
    QTest::addColumn<QString>("checkthree");
    QTest::addColumn<int>("phase");
    QTest::addColumn<QString>("look"); // the phase's field; empty: its first-run value
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("clockcolour");
    QTest::addColumn<QColor>("expectedBackground");
    QTest::addColumn<QColor>("expectedDigits");

    const QColor yellow(255, 255, 0);
    const QColor red(255, 0, 0);
    const QColor black(0, 0, 0);
    const QPalette system = QGuiApplication::palette();
    QTest::newRow("final seconds: yellow, black digits") << "111111" << 4 << ""
                                                         << "16711680\\"
                                                         << "255" << yellow << black;
    QTest::newRow("overtime: yellow") << "111111" << 5 << ""
                                      << "16711680\\"
                                      << "255" << yellow << black;
    QTest::newRow("end: red") << "111111" << 6 << ""
                              << "16711680\\"
                              << "65280" << red << black;
    QTest::newRow("alarm 1: white on navy") << "111111" << 1 << "16777215\\8388608\\"
                                            << "255\\"
                                            << "255" << QColor(0, 0, 128) << QColor(255, 255, 255);
    QTest::newRow("system colours") << "111111" << 0 << "-2147483640\\-2147483643\\"
                                    << "255\\"
                                    << "255" << system.color(QPalette::Window) << system.color(QPalette::WindowText);
    QTest::newRow("switch off: the background field") << "011111" << 4 << ""
                                                      << "65280\\"
                                                      << "255" << QColor(0, 255, 0) << red;
    QTest::newRow("missing phase picture: its colour") << "111111" << 2 << "255\\16711680\\nosuch.jpg"
                                                       << "65280\\"
                                                       << "0" << QColor(0, 0, 255) << red;
}

void TestClockWindow::phaseLooksArePainted()
{
    QFETCH(QString, checkthree);
    QFETCH(int, phase);
    QFETCH(QString, look);
    QFETCH(QString, background);
    QFETCH(QString, clockcolour);
    QFETCH(QColor, expectedBackground);
    QFETCH(QColor, expectedDigits);
    static const std::array<QString StageSettings::*, 7> looks{
        &StageSettings::highsetstart, &StageSettings::highsetone,  &StageSettings::highsettwo,
        &StageSettings::highsetthree, &StageSettings::highsetfour, &StageSettings::highsetfive,
        &StageSettings::highsetend};
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.checkthree = checkthree;
    stage.background = background;
    stage.clockcolour = clockcolour;
    if (!look.isEmpty())
        stage.*looks[phase] = look;
    ClockWindow window;
    window.resize(1920, 1080);
    window.applyStage(stage);
    window.backgroundupdate(phase);

    const QImage image = window.grab().toImage();
    QCOMPARE(image.pixelColor(5, 540), expectedBackground);
    // The clock box shows the background around its digits.
    const QRect clock = window.clockFace()->geometry();
    QCOMPARE(image.pixelColor(clock.topLeft() + QPoint(1, 1)), expectedBackground);
    QVERIFY2(countPixels(image, clock, expectedDigits) > 500, qPrintable(expectedDigits.name()));
    QVERIFY(!window.hasBackgroundPicture());
}

void TestClockWindow::phaseOutsideTheRangeChangesNothing()
{
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.checkthree = QStringLiteral("111111");
    stage.background = QStringLiteral("255\\");
    ClockWindow window;
    window.resize(800, 600);
    window.applyStage(stage);
    window.applyPhaseLook(4);
    for (int phase : {7, -1, 100})
        window.applyPhaseLook(phase);
    QCOMPARE(window.grab().toImage().pixelColor(5, 300), QColor(255, 255, 0));
    QCOMPARE(window.clockFace()->textColour(), QColor(0, 0, 0));
    window.applyPhaseLook(6);
    QCOMPARE(window.grab().toImage().pixelColor(5, 300), QColor(255, 0, 0));
}

void TestClockWindow::backgroundPictureIsStretchedBehindTheClock()
{
    TestSandbox sandbox;
    const QColor green(0, 255, 0);
    const QColor blue(0, 0, 255);
    writePicture(sandbox, QStringLiteral("small.png"), QSize(20, 10), green, blue);
    writePicture(sandbox, QStringLiteral("large.png"), QSize(3000, 2000), green, blue);
    StageSettings stage = StageSettings::defaults();
    stage.background = QStringLiteral("255\\small.png");
    ClockWindow window;
    window.resize(1920, 1080);
    window.applyStage(stage);
    QVERIFY(window.hasBackgroundPicture());
    QImage image = window.grab().toImage();
    QCOMPARE(image.pixelColor(100, 540), green);
    QCOMPARE(image.pixelColor(1800, 540), blue);
    QCOMPARE(image.pixelColor(1919, 1079), blue);
    // Behind the digits the box shows the piece of the picture it covers.
    const QRect clock = window.clockFace()->geometry();
    QVERIFY(clock.left() < 960 && clock.right() > 960);
    QCOMPARE(image.pixelColor(clock.left() + 1, clock.top() + 1), green);
    QCOMPARE(image.pixelColor(clock.right() - 1, clock.top() + 1), blue);

    // A picture larger than the window keeps its own size.
    stage.background = QStringLiteral("255\\large.png");
    window.refreshStage(stage, QStringLiteral("01:00"));
    image = window.grab().toImage();
    QCOMPARE(image.pixelColor(100, 540), green);
    QCOMPARE(image.pixelColor(1400, 540), green);
    QCOMPARE(image.pixelColor(1600, 540), blue);

    // A phase without a picture shows its colour.
    stage.checkthree = QStringLiteral("111111");
    window.refreshStage(stage, QStringLiteral("01:00"));
    window.backgroundupdate(6);
    QVERIFY(!window.hasBackgroundPicture());
    QCOMPARE(window.grab().toImage().pixelColor(1800, 540), QColor(255, 0, 0));
}

void TestClockWindow::clockDrawing()
{
    TestSandbox sandbox;
    ProfileFile profile(sandbox.writeFile(QStringLiteral("TimeData.db"), QByteArray()));
    profile.write(QStringLiteral("clocksite"), QStringLiteral("pictureleft5"), QStringLiteral("1500"));
    profile.write(QStringLiteral("clocksite"), QStringLiteral("picturetop5"), QStringLiteral("3000"));
    ClockWindow window;
    window.applyStage(StageSettings::defaults());
    ClockFace* clock = window.clockFace();
    const QRect stored = clock->geometry();
    QCOMPARE(stored.topLeft(), window.twipsScale().toPixels(QPoint(1500, 3000)));

    window.ShowStatue(QString(), 20);
    QCOMPARE(window.clockText(), QStringLiteral("01:00"));
    QCOMPARE(clock->geometry(), stored);

    // Drawing the clock shows its box again after a flash hid it.
    window.setClockVisible(false);
    QVERIFY(!window.isClockVisible());
    window.showClockText(QStringLiteral("00:59"));
    QVERIFY(window.isClockVisible());
    QCOMPARE(window.clockText(), QStringLiteral("00:59"));

    // The end text stands centred on the screen, at the clock's height.
    window.showEndText(QStringLiteral("时间到"));
    QCOMPARE(window.clockText(), QStringLiteral("时间到"));
    const int middle = window.screen()->availableSize().width() / 2;
    QVERIFY(qAbs(clock->x() + clock->width() / 2 - middle) <= 1);
    QCOMPARE(clock->y(), stored.y());
    QVERIFY(clock->height() > 150);

    // The next digits go back to the clock's own place.
    window.showClockText(QStringLiteral("01:00"));
    QCOMPARE(clock->geometry(), stored);
}

void TestClockWindow::restartDelayNotice()
{
    TestSandbox sandbox;
    ClockWindow window;
    window.applyStage(StageSettings::defaults());
    QVERIFY(window.restartNotice()->isHidden());

    window.showRestartDelay(5);
    QLabel* notice = window.restartNotice();
    QVERIFY(!notice->isHidden());
    QCOMPARE(notice->text(), QStringLiteral("5 秒后重新开始"));
    const QRect clock = window.clockFace()->geometry();
    QVERIFY(notice->y() > clock.bottom());
    QVERIFY(qAbs(notice->geometry().center().x() - clock.center().x()) <= 1);

    window.showRestartDelay(0);
    QVERIFY(notice->isHidden());
    window.showRestartDelay(3);
    QCOMPARE(notice->text(), QStringLiteral("3 秒后重新开始"));
    window.showRestartDelay(-2);
    QVERIFY(notice->isHidden());
}

void TestClockWindow::logoTakesItsSize_data()
{
    QTest::addColumn<QString>("option"); // empty: not written
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QSize>("twips"); // empty: the picture's own size

    QTest::newRow("own size") << "0"
                              << "300"
                              << "200" << QSize();
    QTest::newRow("nothing stored: own size") << ""
                                              << ""
                                              << "" << QSize();
    QTest::newRow("custom size") << "1"
                                 << "300"
                                 << "200" << QSize(3000, 2000);
    QTest::newRow("custom, default size") << "1"
                                          << ""
                                          << "" << QSize(8000, 6000);
}

void TestClockWindow::logoTakesItsSize()
{
    QFETCH(QString, option);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QSize, twips);
    TestSandbox sandbox;
    const QColor red(255, 0, 0);
    writePicture(sandbox, QStringLiteral("logo.png"), QSize(40, 30), red, red);
    ProfileFile profile(sandbox.writeFile(QStringLiteral("TimeData.db"), QByteArray()));
    const QString section = QStringLiteral("pictureset");
    if (!option.isEmpty())
        profile.write(section, QStringLiteral("Option"), option);
    if (!width.isEmpty())
        profile.write(section, QStringLiteral("Width"), width);
    if (!height.isEmpty())
        profile.write(section, QStringLiteral("Height"), height);
    StageSettings stage = StageSettings::defaults();
    stage.logopicture = QStringLiteral("logo.png");
    ClockWindow window;
    window.applyStage(stage);

    LogoBox* logo = window.logoBox();
    QVERIFY(!logo->isHidden());
    QVERIFY(logo->hasPicture());
    const QSize expected = twips.isEmpty() ? QSize(40, 30)
                                           : QSize(window.twipsScale().xToPixels(twips.width()),
                                                   window.twipsScale().yToPixels(twips.height()));
    QCOMPARE(logo->size(), expected);
    // At the right edge of the screen, at the top.
    QVERIFY(qAbs(logo->geometry().right() + 1 - window.screen()->availableSize().width()) <= 1);
    QCOMPARE(logo->y(), 0);
    // The picture fills the whole box.
    const QImage image = logo->grab().toImage();
    QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), red);
    QCOMPARE(accessibleName(logo), QStringLiteral("logo.png"));
}

void TestClockWindow::logoHiddenWithoutAPicture_data()
{
    QTest::addColumn<QString>("logopicture");
    QTest::addColumn<QString>("file"); // the file written under that name: "", "picture" or "text"

    QTest::newRow("no logo") << ""
                             << "";
    QTest::newRow("blanks") << "      "
                            << "";
    QTest::newRow("missing file") << "gone.png"
                                  << "";
    QTest::newRow("name of three characters") << "a.b"
                                              << "picture";
    QTest::newRow("neither picture nor video") << "notes.txt"
                                               << "text";
}

void TestClockWindow::logoHiddenWithoutAPicture()
{
    QFETCH(QString, logopicture);
    QFETCH(QString, file);
    TestSandbox sandbox;
    writePicture(sandbox, QStringLiteral("good.png"), QSize(40, 30), Qt::red, Qt::red);
    if (file == QLatin1String("picture"))
        writePicture(sandbox, logopicture, QSize(40, 30), Qt::red, Qt::red);
    else if (file == QLatin1String("text"))
        sandbox.writeFile(QStringLiteral("picture/") + logopicture, QByteArray("Agenda:\n1. Opening\n").repeated(50));
    StageSettings stage = StageSettings::defaults();
    stage.logopicture = QStringLiteral("good.png");
    ClockWindow window;
    window.applyStage(stage);
    QVERIFY(!window.logoBox()->isHidden());

    stage.logopicture = logopicture;
    window.refreshStage(stage, QStringLiteral("01:00"));
    QTRY_VERIFY_WITH_TIMEOUT(window.logoBox()->isHidden(), 15000);
    QVERIFY(!window.logoBox()->hasPicture());
    QTRY_VERIFY_WITH_TIMEOUT(!window.logoBox()->hasVideo(), 15000);
    // The window goes on as before.
    window.showClockText(QStringLiteral("00:42"));
    QCOMPARE(window.clockText(), QStringLiteral("00:42"));
}

void TestClockWindow::logoVideoPlaysSilently()
{
    TestSandbox sandbox;
    sandbox.writeFile(QStringLiteral("picture/clip.avi"), colourVideo(QSize(32, 24), 10, QColor(0, 0, 255)));
    StageSettings stage = StageSettings::defaults();
    stage.logopicture = QStringLiteral("clip.avi");
    ClockWindow window;
    window.applyStage(stage);

    LogoBox* logo = window.logoBox();
    QVERIFY(logo->hasVideo());
    QVERIFY(!logo->hasPicture());
    QMediaPlayer* player = logo->player();
    QVERIFY(!player->audioOutput()); // nothing to hear
    QVideoSink* sink = player->videoSink();
    QVERIFY(sink);
    int frames = 0;
    QImage lastFrame;
    connect(sink, &QVideoSink::videoFrameChanged, this, [&](const QVideoFrame& frame) {
        ++frames;
        lastFrame = frame.toImage();
    });
    // Ten frames in the clip: more than that means it started over.
    QTRY_VERIFY_WITH_TIMEOUT(frames > 15, 20000);
    QCOMPARE(player->error(), QMediaPlayer::NoError);
    const QColor pixel = lastFrame.pixelColor(lastFrame.width() / 2, lastFrame.height() / 2);
    QVERIFY2(pixel.blue() > 200 && pixel.red() < 60 && pixel.green() < 60, qPrintable(pixel.name()));
    // Without a custom size the box takes the video's own size, at the right edge.
    QTRY_COMPARE(logo->size(), QSize(32, 24));
    QVERIFY(!logo->isHidden());
    QVERIFY(qAbs(logo->geometry().right() + 1 - window.screen()->availableSize().width()) <= 1);

    // A stage without a logo stops the video.
    stage.logopicture.clear();
    window.refreshStage(stage, QStringLiteral("01:00"));
    QVERIFY(logo->isHidden());
    QVERIFY(!logo->hasVideo());
}

void TestClockWindow::buttonClicksRunTheirCommands_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("adjusting");
    QTest::addColumn<int>("emitted"); // -1: nothing

    QTest::newRow("开始") << 0 << int(RunStatus::Idle) << false << 0;
    QTest::newRow("设置") << 3 << int(RunStatus::Idle) << false << 3;
    QTest::newRow("退出") << 4 << int(RunStatus::Cleared) << false << 4;
    QTest::newRow("停止 while running") << 1 << int(RunStatus::Running) << false << 1;
    QTest::newRow("继续 while paused") << 2 << int(RunStatus::Paused) << false << 2;
    QTest::newRow("停止 is off while idle") << 1 << int(RunStatus::Idle) << false << -1;
    QTest::newRow("开始 is off while running") << 0 << int(RunStatus::Running) << false << -1;
    QTest::newRow("adjusting") << 0 << int(RunStatus::Idle) << true << -1;
}

void TestClockWindow::buttonClicksRunTheirCommands()
{
    QFETCH(int, button);
    QFETCH(int, status);
    QFETCH(bool, adjusting);
    QFETCH(int, emitted);
    TestSandbox sandbox;
    ClockWindow window;
    window.applyStage(StageSettings::defaults());
    window.setCommandState(CommandState::forStatus(static_cast<RunStatus>(status)));
    window.setAdjusting(adjusting);
    showOnScreen(window);
    QVERIFY(window.button(button)->isVisible());

    QSignalSpy clicks(&window, &ClockWindow::buttonClicked);
    QSignalSpy menus(&window, &ClockWindow::commandMenuRequested);
    QTest::mouseClick(window.button(button), Qt::LeftButton);
    QCOMPARE(clicks.count(), emitted < 0 ? 0 : 1);
    if (emitted >= 0)
        QCOMPARE(clicks.at(0).at(0).toInt(), emitted);
    QCOMPARE(menus.count(), 0);

    // Adjusting ends with the next start.
    window.endAdjusting();
    QVERIFY(!window.isAdjusting());
}

void TestClockWindow::rightPressOffersTheCommandMenu_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("offered");
    QTest::newRow("button 开始") << "Label9_0" << true;
    QTest::newRow("disabled button 停止") << "Label9_1" << true;
    QTest::newRow("background") << "" << true;
    QTest::newRow("clock: an element") << "Picture1" << false;
    QTest::newRow("main title: an element") << "Label2_0" << false;
}

void TestClockWindow::rightPressOffersTheCommandMenu()
{
    QFETCH(QString, target);
    QFETCH(bool, offered);
    TestSandbox sandbox;
    ClockWindow window;
    window.applyStage(StageSettings::defaults());
    showOnScreen(window);
    QWidget* widget = target.isEmpty() ? &window : window.findChild<QWidget*>(target);
    QVERIFY(widget);
    const QPoint point = target.isEmpty() ? QPoint(5, window.height() / 2) : widget->rect().center();

    QSignalSpy menus(&window, &ClockWindow::commandMenuRequested);
    QSignalSpy clicks(&window, &ClockWindow::buttonClicked);
    QTest::mousePress(widget, Qt::RightButton, {}, point);
    QTest::mouseRelease(widget, Qt::RightButton, {}, point);
    QCOMPARE(menus.count(), offered ? 1 : 0);
    if (offered)
        QCOMPARE(menus.at(0).at(0).toPoint(), widget->mapToGlobal(point));
    QCOMPARE(clicks.count(), 0);
}

void TestClockWindow::commandStateOnTheButtons_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("pause");
    QTest::addColumn<QString>("enabled");

    QTest::newRow("idle") << int(RunStatus::Idle) << " 开始 "
                          << " 暂停 "
                          << "10011";
    QTest::newRow("running") << int(RunStatus::Running) << " 开始 "
                             << " 暂停 "
                             << "01100";
    QTest::newRow("paused") << int(RunStatus::Paused) << " 开始 "
                            << " 继续 "
                            << "01100";
    QTest::newRow("cleared") << int(RunStatus::Cleared) << " 清零 "
                             << " 暂停 "
                             << "10011";
}

void TestClockWindow::commandStateOnTheButtons()
{
    QFETCH(int, status);
    QFETCH(QString, first);
    QFETCH(QString, pause);
    QFETCH(QString, enabled);
    TestSandbox sandbox;
    MenuHost host;
    ClockWindow window;
    window.setMenuHost(&host);
    window.applyStage(StageSettings::defaults());
    window.setCommandState(
        CommandState::forStatus(status == int(RunStatus::Running) ? RunStatus::Cleared : RunStatus::Paused));
    window.setCommandState(CommandState::forStatus(static_cast<RunStatus>(status)));

    QCOMPARE(window.button(0)->text(), first);
    QCOMPARE(window.button(1)->text(), QStringLiteral(" 停止 "));
    QCOMPARE(window.button(2)->text(), pause);
    QCOMPARE(window.button(3)->text(), QStringLiteral(" 设置 "));
    QCOMPARE(window.button(4)->text(), QStringLiteral(" 退出 "));
    for (int i = 0; i < kButtonCount; ++i) {
        QLabel* button = window.button(i);
        const bool on = enabled.at(i) == QLatin1Char('1');
        QCOMPARE(button->isEnabled(), on);
        QCOMPARE(accessibleName(button), button->text());
        QCOMPARE(button->toolTip(), QStringLiteral("右键更多选项…"));
        // Enabled captions are black, disabled ones a light grey.
        const int darkest = darkestLightness(button->grab().toImage());
        QVERIFY2(on ? darkest < 40 : darkest > 100, qPrintable(QString::number(darkest)));
    }
    // The menu host follows.
    QCOMPARE(host.commandItem(MenuHost::Start)->text(), first.trimmed());
    QCOMPARE(host.commandItem(MenuHost::Pause)->text(), pause.trimmed());
    QCOMPARE(host.commandItem(MenuHost::Stop)->isEnabled(), enabled.at(1) == QLatin1Char('1'));
}

void TestClockWindow::buttonsRememberedHidden()
{
    for (const QString& state : {QStringLiteral("2"), QStringLiteral("1"), QString()}) {
        TestSandbox sandbox;
        ProfileFile profile(sandbox.writeFile(QStringLiteral("TimeData.db"), QByteArray()));
        if (!state.isEmpty())
            profile.write(QStringLiteral("clocksite"), QStringLiteral("pictureleft9"), state);
        MenuHost host;
        ClockWindow window;
        window.applyStage(StageSettings::defaults());
        window.setMenuHost(&host);
        const bool shown = state != QLatin1String("2");
        QCOMPARE(window.buttonsShown(), shown);
        for (int i = 0; i < kButtonCount; ++i)
            QCOMPARE(window.button(i)->isHidden(), !shown);
        QCOMPARE(host.commandItem(MenuHost::Buttons)->isChecked(), shown);
    }
}

void TestClockWindow::elementsReadTheirTextToScreenReaders()
{
    TestSandbox sandbox;
    StageSettings stage = StageSettings::defaults();
    stage.secondtext = QStringLiteral("副标题");
    ClockWindow window;
    window.applyStage(stage);
    window.setPromptText(QStringLiteral("开始计时"));
    window.showOvertimeText(QStringLiteral("00:03"));
    window.showRestartDelay(2);

    QCOMPARE(accessibleName(window.textLine(0)), stage.firsttext);
    QCOMPARE(accessibleName(window.textLine(1)), QStringLiteral("副标题"));
    QCOMPARE(accessibleName(window.textLine(3)), QStringLiteral("开始计时"));
    QCOMPARE(accessibleName(window.clockFace()), QStringLiteral("01:00"));
    QCOMPARE(accessibleName(window.overtimeFace()), QStringLiteral("00:03"));
    QCOMPARE(accessibleName(window.restartNotice()), QStringLiteral("2 秒后重新开始"));
    QCOMPARE(accessibleName(window.button(0)), QStringLiteral(" 开始 "));
    window.showClockText(QStringLiteral("00:59"));
    QCOMPARE(accessibleName(window.clockFace()), QStringLiteral("00:59"));
}

// The logo video is checked through its video sink, so nothing needs OpenGL
// here. Without it the video widget loads no GL driver, whose caches would
// otherwise look leaked to the sanitizer run once the driver is unloaded at exit.
int main(int argc, char** argv)
{
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    TestClockWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_clockwindow.moc"
