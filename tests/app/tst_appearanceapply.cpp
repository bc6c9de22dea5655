#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/ElementLayout.h"
#include "display/MenuHost.h"
#include "settings/AdjustmentPanel.h"
#include "settings/SettingsDialog.h"
#include "storage/ProfileFile.h"
#include "timing/RunEngine.h"
#include "storage/ProgramStores.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "support/Choosers.h"
#include "support/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

using namespace melvanta;

// The appearance pages applied to the running program, and the adjustment
// tool moving the elements of the clock window.
class TestAppearanceApply : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void applyShowsEveryAppearanceField();
    void centreKeepsTheHeight();
    void nothingChosenTellsOnceAndStops();
    void heldButtonRepeats();
    void sizingStepsTheSizeList();
    void closingHidesThePlaceholders();
    void autoCycleChoosesTheCheckedStageAgain_data();
    void autoCycleChoosesTheCheckedStageAgain();

private:
    SettingsDialog* openSettings();
    template <typename T> T* control(const char* name);

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<Application> m_app;
};

namespace {

int countPixels(const QImage& image, const QColor& colour)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            count += rgb.pixelColor(x, y) == colour;
    return count;
}

// Two stored stages, as the stage list saves them.
void storeTwoStages(const QString& databasePath)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stages"));
        db.setDatabaseName(databasePath);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(
            QStringLiteral("INSERT INTO deskclock (ID, clockname, movetext, Time_all, combolist) "
                           "VALUES (1, '开场', '', '00:03:00', '201'), (2, '报告', '', '00:07:00', '201')")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("stages"));
}

} // namespace

void TestAppearanceApply::init()
{
    MessageBox::setTestHook(true);
    MessageBox::takeRecordedBoxes();
    m_sandbox = std::make_unique<TestSandbox>();
    m_sandbox->installDataFiles();
    storeCurrentStage(60);
    RegistryStore().setNumber(QStringLiteral("Time_Record"), 1); // asked and answered at an earlier start
    m_app = std::make_unique<Application>();
    const Application::Start started = m_app->start();
    const QStringList told = MessageBox::takeRecordedMessages();
    QVERIFY2(started == Application::Start::WindowsShown, qPrintable(told.join('|')));
}

void TestAppearanceApply::cleanup()
{
    m_app.reset();
    m_sandbox.reset();
    Choosers::clearNextAnswer();
}

SettingsDialog* TestAppearanceApply::openSettings()
{
    m_app->runCommand(MenuHost::Settings);
    SettingsDialog* dialog = m_app->settingsDialog();
    if (!dialog)
        qFatal("no settings dialog");
    return dialog;
}

template <typename T> T* TestAppearanceApply::control(const char* name)
{
    T* found = m_app->settingsDialog()->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void TestAppearanceApply::applyShowsEveryAppearanceField()
{
    openSettings();
    auto typeInto = [this](const char* name, const QString& text) { control<QComboBox>(name)->setCurrentText(text); };
    auto chooseColour = [this](const char* swatch, const QColor& colour) {
        Choosers::setNextColour(colour);
        control<QPushButton>(swatch)->click();
    };
    typeInto("Combo6_0", QStringLiteral("DejaVu Sans"));
    typeInto("Combo6_4", QStringLiteral("No Such Font 字体"));
    const char* const sizes[] = {"60", "55", "120", "50", "35", "40"};
    for (int row = 0; row < 6; ++row)
        typeInto(qPrintable(QStringLiteral("Combo7_%1").arg(row)), QString::fromLatin1(sizes[row]));
    control<QLineEdit>("Text3_6")->setText(QStringLiteral("年会 \"2026\""));
    control<QLineEdit>("Text3_7")->setText(QStringLiteral("第二场"));
    chooseColour("Text3_0", QColor(0, 0, 255));
    chooseColour("Text3_1", QColor(1, 2, 3));
    control<QCheckBox>("Check3_0")->setChecked(true);
    control<QCheckBox>("Check3_3")->setChecked(true);
    chooseColour("Text5_0", QColor(255, 0, 0));  // the start's clock colour
    chooseColour("Text5_7", QColor(0, 255, 0));  // the start's background
    chooseColour("Text5_13", QColor(0, 0, 128)); // the end's background
    control<QPushButton>("Command1")->click();
    const QStringList told = MessageBox::takeRecordedMessages();
    QVERIFY2(told.isEmpty(), qPrintable(told.join('|')));

    const StageSettings stored = LoadStageSettings(m_app->stores()->registry());
    QCOMPARE(stored.firstfont, QStringLiteral("DejaVu Sans"));
    QCOMPARE(stored.textfont, QStringLiteral("No Such Font 字体"));
    QCOMPARE(stored.sizethree, QStringLiteral("60/55/120/50/35/40/"));
    QCOMPARE(stored.firsttext, QStringLiteral("年会 \"2026\""));
    QCOMPARE(stored.secondtext, QStringLiteral("第二场"));
    QCOMPARE(stored.firstcolour, QStringLiteral("16711680"));
    QCOMPARE(stored.secondcolour, QString::number(3 * 65536 + 2 * 256 + 1));
    QCOMPARE(stored.checkthree.at(0), QLatin1Char('1'));
    QCOMPARE(stored.checkthree.at(3), QLatin1Char('1'));
    QCOMPARE(stored.highsetstart, QStringLiteral("255\\65280\\"));
    QVERIFY2(stored.highsetend.startsWith(QStringLiteral("\\")) == false, qPrintable(stored.highsetend));
    QVERIFY(stored.highsetend.endsWith(QStringLiteral("\\8388608\\")));

    // The window shows them: the start's background and clock colour, the titles.
    ClockWindow* window = m_app->clockWindow();
    QTRY_COMPARE(window->mainTitle()->text(), QStringLiteral("年会 \"2026\""));
    QCOMPARE(window->textLine(1)->text(), QStringLiteral("第二场"));
    QCOMPARE(window->mainTitle()->font().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(window->mainTitle()->font().pointSize(), 60);
    QCOMPARE(window->clockFace()->faceFont().pointSize(), 120);
    const QImage image = window->grab().toImage();
    QCOMPARE(image.pixelColor(3, image.height() - 3), QColor(0, 255, 0));
    QVERIFY(countPixels(window->clockFace()->grab().toImage(), QColor(255, 0, 0)) > 50);
    QVERIFY(countPixels(window->mainTitle()->grab().toImage(), QColor(0, 0, 255)) > 20);
    // The end phase brings its own background.
    window->backgroundupdate(6);
    const QImage end = window->grab().toImage();
    QCOMPARE(end.pixelColor(3, end.height() - 3), QColor(0, 0, 128));
}

void TestAppearanceApply::centreKeepsTheHeight()
{
    openSettings();
    ClockWindow* window = m_app->clockWindow();
    QWidget* title = window->elementWidget(kMainTitleElement);
    auto* chooser = control<QComboBox>("Combo5");
    chooser->setCurrentIndex(0);
    Q_EMIT chooser->activated(0);
    QTRY_VERIFY(title->isVisible());
    title->move(7, title->y() + 20);
    const int top = title->y();
    QTest::mouseClick(control<QPushButton>("Command7_0"), Qt::LeftButton);
    const int screenWidth = window->twipsScale().xToPixels(window->screenExtent().width());
    QVERIFY(qAbs(title->x() - (screenWidth - title->width()) / 2) <= 1);
    QCOMPARE(title->y(), top);
    // Stored as a drag stores it.
    const StoredPosition stored =
        readStoredPosition(kMainTitleElement, m_app->stores()->profile(), m_app->stores()->registry());
    QVERIFY(qAbs(stored.left - title->x() * window->twipsScale().perPixelX()) < 1);
    QVERIFY(qAbs(stored.top - top * window->twipsScale().perPixelY()) < 1);
}

void TestAppearanceApply::nothingChosenTellsOnceAndStops()
{
    openSettings();
    auto* up = control<QPushButton>("Command7_1");
    QTest::mousePress(up, Qt::LeftButton);
    QTest::qWait(350);
    QVERIFY(!control<QTimer>("Timer2")->isActive());
    QTest::mouseRelease(up, Qt::LeftButton);
    QCOMPARE(MessageBox::takeRecordedMessages(), QStringList{QStringLiteral("请选择调整对象")});
}

void TestAppearanceApply::heldButtonRepeats()
{
    openSettings();
    ClockWindow* window = m_app->clockWindow();
    auto* chooser = control<QComboBox>("Combo5");
    chooser->setCurrentIndex(2);
    Q_EMIT chooser->activated(2);
    QWidget* clock = window->elementWidget(kClockElement);
    const QPoint before = clock->pos();
    auto* right = control<QPushButton>("Command7_3");
    QTest::mouseClick(right, Qt::LeftButton);
    const int oneStep = clock->x() - before.x();
    QVERIFY(oneStep >= 1); // one click is one step of 50 twips
    QCOMPARE(clock->y(), before.y());
    QTest::mousePress(right, Qt::LeftButton);
    QTest::qWait(AdjustmentPanel::kRepeatMilliseconds * 5);
    QTest::mouseRelease(right, Qt::LeftButton);
    const int held = clock->x();
    QVERIFY2(held - before.x() >= 3 * oneStep, qPrintable(QString::number(held - before.x())));
    QTest::qWait(300);
    QCOMPARE(clock->x(), held); // released: no more steps
}

void TestAppearanceApply::sizingStepsTheSizeList()
{
    openSettings();
    auto* chooser = control<QComboBox>("Combo5");
    chooser->setCurrentIndex(6); // the end text
    Q_EMIT chooser->activated(6);
    control<QLineEdit>("Text2_6")->setText(QString());
    auto* sizing = control<QCheckBox>("Check7");
    sizing->setChecked(true);
    QCOMPARE(control<QPushButton>("Command7_1")->text(), QStringLiteral("增大"));
    QCOMPARE(control<QPushButton>("Command7_4")->text(), QStringLiteral("缩小"));
    ClockFace* clock = m_app->clockWindow()->clockFace();
    QCOMPARE(clock->text(), QStringLiteral("时间到"));
    auto* size = control<QComboBox>("Combo7_2");
    size->setCurrentText(QStringLiteral("445")); // typed between two entries
    QTest::mouseClick(control<QPushButton>("Command7_1"), Qt::LeftButton);
    QCOMPARE(size->currentText(), QStringLiteral("450"));
    QCOMPARE(clock->faceFont().pointSize(), 450);
    QTest::mouseClick(control<QPushButton>("Command7_1"), Qt::LeftButton);
    QCOMPARE(size->currentText(), QStringLiteral("450")); // the end of the list holds
    QTest::mouseClick(control<QPushButton>("Command7_4"), Qt::LeftButton);
    QCOMPARE(size->currentText(), QStringLiteral("440"));
    sizing->setChecked(false);
    QCOMPARE(control<QPushButton>("Command7_1")->text(), QStringLiteral("上移"));
    QCOMPARE(clock->text(), m_app->clockWindow()->clockText());
    QVERIFY(clock->text() != QStringLiteral("时间到"));
}

void TestAppearanceApply::closingHidesThePlaceholders()
{
    openSettings();
    ClockWindow* window = m_app->clockWindow();
    auto* chooser = control<QComboBox>("Combo5");
    for (int target : {1, 3}) { // subtitle, prompt: both empty
        chooser->setCurrentIndex(target);
        Q_EMIT chooser->activated(target);
    }
    QVERIFY(window->textBox(kSubtitleElement)->isVisible());
    QVERIFY(window->textBox(kPromptElement)->isVisible());
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    QTRY_VERIFY(!m_app->settingsDialog());
    QVERIFY(!window->textBox(kSubtitleElement)->isVisible());
    QVERIFY(!window->textBox(kPromptElement)->isVisible());
    QVERIFY(window->textLine(kSubtitleElement)->text().isEmpty());
}

void TestAppearanceApply::autoCycleChoosesTheCheckedStageAgain_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("idle: the stage is chosen again") << false;
    QTest::newRow("a run under way is not ended for it") << true;
}

void TestAppearanceApply::autoCycleChoosesTheCheckedStageAgain()
{
    QFETCH(bool, running);
    m_app.reset(); // the stages go in before the start reads the list
    storeTwoStages(m_sandbox->filePath(QStringLiteral("DeskData.db")));
    m_app = std::make_unique<Application>();
    QCOMPARE(m_app->start(), Application::Start::WindowsShown);
    m_app->menuHost()->stageMenu()->actions().at(0)->trigger();
    QTRY_COMPARE(m_app->clockWindow()->clockText(), QStringLiteral("00:03:00"));
    ProfileFile& profile = m_app->stores()->profile();
    profile.deletePart(QStringLiteral("Marquee"), QStringLiteral("currentrow"));
    if (running) {
        m_app->runCommand(MenuHost::Start);
        QTRY_COMPARE(m_app->engine()->status(), RunStatus::Running);
    }
    openSettings();
    control<QCheckBox>("Check8")->click();
    QCOMPARE(profile.readPart(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QString()), QStringLiteral("1"));
    const QString row = profile.readPart(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QString());
    // Chosen again: its place is remembered once more (a stage that stops hands over to none).
    QCOMPARE(row, running ? QString() : QStringLiteral("11"));
    QCOMPARE(m_app->engine()->status(), running ? RunStatus::Running : RunStatus::Idle);
}

QTEST_MAIN(TestAppearanceApply)
#include "tst_appearanceapply.moc"
