#include "TestSupport.h"
#include "WindowFixture.h"
#include "display/ClockFace.h"
#include "settings/BackgroundWindow.h"
#include "support/Choosers.h"
#include "support/FileDialog.h"
#include "support/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <optional>

using namespace melvanta;

namespace {

const QColor kStageGreen(0, 255, 0);

// A one-colour picture saved at `path`.
bool savePicture(const QString& path, const QColor& colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

// The profile's `Marquee` entries that the window reads and writes.
ProfileFile profile()
{
    return ProfileFile(ProgramFolder::file(QLatin1String(kProfileFileName)));
}
QString stored(const char* key)
{
    return profile().readPart(QStringLiteral("Marquee"), QLatin1String(key), QString());
}

} // namespace

class TestBackgroundWindow : public QObject
{
    Q_OBJECT
    std::optional<TestSandbox> m_sandbox;
    std::optional<WindowFixture> m_screen;
    BackgroundWindow* m_window = nullptr;

    // The clock window on a green stage (with a blue picture when `picture`),
    // and the background window over it, shown.
    void open(const QString& picture = QString())
    {
        StageSettings stage = StageSettings::defaults();
        stage.background = QStringLiteral("65280\\") + picture;
        stage.clockcolour = QStringLiteral("16776960"); // cyan digits
        stage.secondtext = QStringLiteral("副标题");
        m_screen.emplace();
        m_screen->window.resize(1000, 700);
        m_screen->window.applyStage(stage);
        m_window = new BackgroundWindow(m_screen->window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    template <typename T> T* control(const char* name) { return m_window->findChild<T*>(QLatin1String(name)); }
    void press(const char* name) { control<QAbstractButton>(name)->click(); }
    // The colours of the window's corner, the clock box's corner and the subtitle box's corner.
    QList<QColor> windowColours()
    {
        ClockWindow& clock = m_screen->window;
        const QImage image = clock.grab().toImage();
        return {image.pixelColor(4, image.height() - 4), image.pixelColor(clock.clockFace()->pos() + QPoint(1, 1)),
                image.pixelColor(clock.textBox(1)->pos() + QPoint(1, 1))};
    }

private Q_SLOTS:
    void init()
    {
        m_sandbox.emplace();
        MessageBox::setTestHook(true);
        QVERIFY(QDir().mkpath(ProgramFolder::path() + QLatin1String(kPictureFolderName)));
        QVERIFY(savePicture(ProgramFolder::picture(QStringLiteral("blue.png")), Qt::blue));
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        m_screen.reset();
        m_sandbox.reset();
        Choosers::clearNextAnswer();
        MessageBox::takeRecordedBoxes();
        QApplication::setPalette(QPalette());
    }

    void colourModePaintsEverything_data()
    {
        QTest::addColumn<QString>("storedName"); // a stored name opens in picture mode
        QTest::newRow("opens in colour mode") << QString();
        QTest::newRow("stored picture, colour ticked") << QStringLiteral("blue.png");
    }
    void colourModePaintsEverything()
    {
        QFETCH(QString, storedName);
        profile().write(QStringLiteral("Marquee"), QStringLiteral("backgroundText"), storedName);
        open(QStringLiteral("blue.png")); // the stage's picture must go too
        QCOMPARE(control<QCheckBox>("Check1")->isChecked(), storedName.isEmpty());
        if (!storedName.isEmpty())
            press("Check1");
        QVERIFY(control<QWidget>("Text1")->isVisible() && !control<QWidget>("Image1")->isVisible());
        Choosers::setNextColour(Qt::red);
        press("Text1");
        press("Command1");
        QCOMPARE(windowColours(), QList<QColor>(3, Qt::red));
        QVERIFY(!m_screen->window.hasBackgroundPicture());
        // The digits are drawn on the new colour.
        const QImage clock = m_screen->window.grab(m_screen->window.clockFace()->geometry())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(clock.constBits());
        QVERIFY(std::count(pixels, pixels + clock.width() * clock.height(), QColor(Qt::cyan).rgb()) > 100);
        QCOMPARE(stored("backgroundColor"), QStringLiteral("255"));
        QCOMPARE(stored("backgroundText"), QString());
    }

    void storedColourInTheSwatch_data()
    {
        QTest::addColumn<QString>("storedColour");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("red") << "255" << QColor(Qt::red);
        QTest::newRow("system window colour") << "-2147483643" << QColor(10, 120, 200); // the palette's, below
    }
    void storedColourInTheSwatch()
    {
        QFETCH(QString, storedColour);
        QFETCH(QColor, expected);
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, QColor(10, 120, 200));
        QApplication::setPalette(palette);
        profile().write(QStringLiteral("Marquee"), QStringLiteral("backgroundColor"), storedColour);
        open();
        QCOMPARE(control<QWidget>("Text1")->grab().toImage().pixelColor(6, 6), expected);
    }

    void pictureModeWithoutNameKeepsTheWindow()
    {
        open(QStringLiteral("blue.png"));
        const QList<QColor> before = windowColours();
        QCOMPARE(before.first(), QColor(Qt::blue));
        press("Check1");
        // Nothing chosen: the preview shows the stage's picture.
        QVERIFY(!control<QWidget>("Text1")->isVisible());
        QVERIFY(!control<QToolButton>("Image1")->icon().isNull());
        press("Command1");
        QCOMPARE(windowColours(), before);
        QCOMPARE(stored("backgroundColor"), QStringLiteral("0"));
        QCOMPARE(stored("backgroundText"), QString());
    }

    void importedPictureGoesOnTheWindow()
    {
        open();
        QCOMPARE(windowColours().first(), kStageGreen);
        press("Check1");
        QVERIFY(control<QToolButton>("Image1")->icon().isNull());
        QTemporaryDir elsewhere;
        const QString source = elsewhere.filePath(QStringLiteral("舞台 red.png"));
        QVERIFY(savePicture(source, Qt::red));
        setNextFileDialogAnswer(source);
        press("Image1");
        QCOMPARE(control<QPushButton>("Text1")->text(), QStringLiteral("舞台 red.png"));
        QVERIFY(!control<QToolButton>("Image1")->icon().isNull());
        press("Command1");
        QCOMPARE(windowColours().first(), QColor(Qt::red));
        QCOMPARE(stored("backgroundText"), QStringLiteral("舞台 red.png"));

        const StageSettings stage = m_screen->window.stage();
        m_screen->window.applyStage(stage);
        QCOMPARE(windowColours().first(), kStageGreen);
    }
};

QTEST_MAIN(TestBackgroundWindow)
#include "tst_backgroundwindow.moc"
