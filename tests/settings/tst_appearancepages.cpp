#include "DataRows.h"
#include "TestSupport.h"
#include "settings/ColourSwatch.h"
#include "settings/SettingsDialog.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "support/Choosers.h"
#include "support/FileDialog.h"
#include "support/MessageBox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace melvanta;

// The "界面" and "精准设置" pages and what reaches the other pages from
// them: imports through the file chooser, colours through the colour
// chooser, simple mode.
class TestAppearancePages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void imports_data();
    void imports();
    void colourChoice_data();
    void colourChoice();
    void simpleModeRoundTrip();
    void dateLineRowFollowsLongTerm();
    void previewPlaysTheChosenPhase_data();
    void previewPlaysTheChosenPhase();

private:
    SettingsDialog& open(const StageSettings& stage);
    template <typename T> T* control(const QString& name);

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<SettingsDialog> m_dialog;
    QTemporaryDir m_elsewhere;
    QStringList m_previewed;
};

namespace {

const QByteArray kSound = QByteArray("ID3\x03\x00", 5) + QByteArray(64, 'a');
const QByteArray kOtherSound = QByteArray("ID3\x03\x00", 5) + QByteArray(64, 'b');
const QByteArray kPicture = QByteArray("GIF89a") + QByteArray(32, 'p');

QString boxText(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return line->text();
    return qobject_cast<ColourSwatch*>(box)->picture();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Shown on its page, whichever page is in front: neither it nor a frame
// around it on the page is hidden.
bool shownOnPage(const QWidget* control)
{
    for (const QWidget* w = control; w && !qobject_cast<const QStackedWidget*>(w->parentWidget());
         w = w->parentWidget()) {
        if (w->isHidden())
            return false;
    }
    return true;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestAppearancePages::init()
{
    MessageBox::setTestHook(true);
    MessageBox::takeRecordedBoxes();
    m_sandbox = std::make_unique<TestSandbox>();
    m_sandbox->installDataFiles();
    m_previewed.clear();
}

void TestAppearancePages::cleanup()
{
    m_dialog.reset();
    m_sandbox.reset();
    Choosers::clearNextAnswer();
}

SettingsDialog& TestAppearancePages::open(const StageSettings& stage)
{
    ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
    RegistryStore registry;
    SettingsDialog::Hooks hooks;
    hooks.apply = [](const SettingsEntries&) { return true; };
    hooks.previewSound = [this](const QString& name) { m_previewed << name; };
    m_dialog = std::make_unique<SettingsDialog>(fillEntries(stage, profile, registry), hooks);
    m_dialog->show();
    return *m_dialog;
}

template <typename T> T* TestAppearancePages::control(const QString& name)
{
    T* found = m_dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

void TestAppearancePages::imports_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("chosen");   // file name in another folder; "" = cancelled
    QTest::addColumn<QByteArray>("bytes"); // of the chosen file
    QTest::addColumn<QByteArray>("there"); // of the same name in the folder; empty = none
    QTest::addColumn<QString>("expected"); // in the box afterwards
    QTest::addColumn<QString>("message");  // what the operator is told, "" = nothing

    addTestRow("new sound for 结束", QString("Command2_13"), QString("Text2_13"), QString("sounds"),
               QString("bell.mp3"), kSound, QByteArray(), QString("bell.mp3"), QString());
    addTestRow("another bell.mp3 already there", QString("Command2_13"), QString("Text2_13"), QString("sounds"),
               QString("bell.mp3"), kSound, kOtherSound, QString("bell (2).mp3"), QString());
    addTestRow("the same bell.mp3 already there", QString("Command2_7"), QString("Text2_7"), QString("sounds"),
               QString("bell.mp3"), kSound, kSound, QString("bell.mp3"), QString());
    addTestRow("quotes, blanks and Chinese", QString("Command2_8"), QString("Text2_8"), QString("sounds"),
               QString("O'Neil \"铃\" 1.mp3"), kSound, QByteArray(), QString("O'Neil \"铃\" 1.mp3"), QString());
    addTestRow("sound cancelled", QString("Command2_13"), QString("Text2_13"), QString("sounds"), QString(),
               QByteArray(), QByteArray(), QString("old.wav"), QString("没有选择文件"));
    addTestRow("not a sound", QString("Command2_13"), QString("Text2_13"), QString("sounds"), QString("bell.mp3"),
               QByteArray("hello"), QByteArray(), QString("old.wav"), QString("“bell.mp3”不是声音文件，未导入"));
    addTestRow("logo", QString("Command4"), QString("Text4_3"), QString("picture"), QString("logo.gif"), kPicture,
               QByteArray(), QString("logo.gif"), QString());
    addTestRow("logo cancelled", QString("Command4"), QString("Text4_3"), QString("picture"), QString(), QByteArray(),
               QByteArray(), QString("old.jpg"), QString("没有加载图片"));
    addTestRow("background", QString("Command5_14"), QString("Text5_14"), QString("picture"), QString("hall.gif"),
               kPicture, QByteArray(), QString("hall.gif"), QString());
    addTestRow("phase background", QString("Command5_13"), QString("Text5_13"), QString("picture"), QString("end.gif"),
               kPicture, QByteArray(), QString("end.gif"), QString());
    addTestRow("a sound is no picture", QString("Command5_9"), QString("Text5_9"), QString("picture"),
               QString("bell.mp3"), kSound, QByteArray(), QString("old.jpg"),
               QString("“bell.mp3”不是图片文件，未导入"));
}

void TestAppearancePages::imports()
{
    QFETCH(QString, button);
    QFETCH(QString, box);
    QFETCH(QString, folder);
    QFETCH(QString, chosen);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, there);
    QFETCH(QString, expected);
    QFETCH(QString, message);

    const QString target = m_sandbox->filePath(folder + QLatin1Char('/'));
    QDir(target).removeRecursively();
    if (!there.isEmpty())
        writeFile(target + chosen, there);
    open(StageSettings::defaults(QDate(2026, 12, 8)));
    if (chosen.isEmpty()) {
        setNextFileDialogAnswer(QString());
    } else {
        const QString source = m_elsewhere.filePath(chosen);
        writeFile(source, bytes);
        setNextFileDialogAnswer(source);
    }
    // What the box held before the import.
    QWidget* boxWidget = control<QWidget>(box);
    if (auto* line = qobject_cast<QLineEdit*>(boxWidget))
        line->setText(folder == QLatin1String("sounds") ? QStringLiteral("old.wav") : QStringLiteral("old.jpg"));
    else
        qobject_cast<ColourSwatch*>(boxWidget)->setPicture(QStringLiteral("old.jpg"));
    control<QPushButton>(button)->click();

    QCOMPARE(boxText(boxWidget), expected);
    QCOMPARE(lastFileDialogRequest().title, QStringLiteral("导入文件名称"));
    QCOMPARE(QDir(lastFileDialogRequest().initialPath).canonicalPath(), QDir(target).canonicalPath());
    const QList<MessageBox::Recorded> told = MessageBox::takeRecordedBoxes();
    if (message.isEmpty()) {
        QVERIFY2(told.isEmpty(), qPrintable(told.value(0).text));
        QCOMPARE(readFile(target + expected), bytes);
        if (!there.isEmpty())
            QCOMPARE(readFile(target + chosen), there); // never replaced
    } else {
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.at(0).text, message);
        QCOMPARE(told.at(0).icon, chosen.isEmpty() ? MessageBox::Icon::Question : MessageBox::Icon::Exclamation);
        QVERIFY(!QFile::exists(target + chosen) || chosen.isEmpty());
    }
}

void TestAppearancePages::colourChoice_data()
{
    QTest::addColumn<QString>("swatch");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("picture");

    addTestRow("phase background: the colour replaces the picture", QString("Text5_9"), false, QString("255"),
               QString());
    addTestRow("phase background cancelled", QString("Text5_9"), true, QString("65280"), QString("stage.jpg"));
    addTestRow("background", QString("Text5_14"), false, QString("255"), QString());
    addTestRow("main title colour", QString("Text3_0"), false, QString("255"), QString());
}

void TestAppearancePages::colourChoice()
{
    QFETCH(QString, swatch);
    QFETCH(bool, cancelled);
    QFETCH(QString, colour);
    QFETCH(QString, picture);

    StageSettings stage = StageSettings::defaults(QDate(2026, 12, 8));
    stage.highsettwo = QStringLiteral("0\\65280\\stage.jpg");
    stage.background = QStringLiteral("65280\\stage.jpg");
    stage.firstcolour = QStringLiteral("65280");
    open(stage);
    if (cancelled)
        Choosers::setNextCancelled();
    else
        Choosers::setNextColour(Qt::red);
    QColorDialog::setCustomColor(0, Qt::green); // left by another chooser
    auto* box = control<ColourSwatch>(swatch);
    box->click();
    QCOMPARE(box->colourText(), colour);
    QCOMPARE(box->picture(), picture);
    // Black custom colours each time: a colour chosen before never shows up there.
    QCOMPARE(QColorDialog::customColor(0), QColor(Qt::black));
}

void TestAppearancePages::simpleModeRoundTrip()
{
    // Everything simple mode hides, on every page.
    QStringList hidden{"Check1_0", "Check1_1", "Check1_2", "Check1_4", "Check1_5", "Text4_4"};
    for (int box : {4, 5, 6, 7, 10, 11, 12, 13}) {
        hidden << QStringLiteral("Text1_%1").arg(box) << QStringLiteral("VScrol1_%1").arg(box);
        hidden << QStringLiteral("Label1_%1").arg(box == 13 ? 17 : box);
    }
    for (int phase : {1, 2, 4, 5}) {
        hidden << QStringLiteral("Label2_%1").arg(phase) << QStringLiteral("Text2_%1").arg(phase)
               << QStringLiteral("Text2_%1").arg(phase + 7) << QStringLiteral("Command2_%1").arg(phase + 7);
        for (int effect = 0; effect < 3; ++effect)
            hidden << QStringLiteral("Check2_%1").arg(phase + 7 * effect);
    }
    for (int i = 0; i < 5; ++i)
        hidden << QStringLiteral("Check3_%1").arg(i);
    for (int row : {4, 5})
        hidden << QStringLiteral("Label3_%1").arg(row) << QStringLiteral("Combo6_%1").arg(row)
               << QStringLiteral("Combo7_%1").arg(row) << QStringLiteral("Text3_%1").arg(row);
    hidden << "Text4_3"
           << "Command4"
           << "Check4_3"
           << "Text4_7"
           << "Text4_8"
           << "Combo4"
           << "Text4_5"
           << "Text4_6"
           << "Text4_9"
           << "VScrol4_9"
           << "Label4_15"
           << "Check4_0"
           << "Check4_1"
           << "Check4_2";

    StageSettings stage = StageSettings::defaults(QDate(2026, 12, 8));
    stage.combolist = QStringLiteral("100"); // overtime counts: the overtime row is there
    stage.checkone = QStringLiteral("1111110");
    open(stage);
    QHash<QString, bool> before;
    for (const QString& name : hidden)
        before[name] = shownOnPage(control<QWidget>(name));
    QVERIFY(before.value("Text1_12") && before.value("Check1_5") && before.value("Check3_0"));
    auto* simple = control<QCheckBox>("Check5");
    auto* tabs = m_dialog->tabs();
    auto* combo8 = control<QComboBox>("Combo8");

    simple->click();
    for (const QString& name : hidden)
        QVERIFY2(!shownOnPage(control<QWidget>(name)), qPrintable(name));
    QVERIFY(!tabs->isTabVisible(4));
    QCOMPARE(control<QCheckBox>("Check1_3")->text(), QStringLiteral("报警1 剩余"));
    QCOMPARE(control<QLabel>("Label2_3")->text(), QStringLiteral("报警1"));
    QCOMPARE(combo8->count(), 4);
    QCOMPARE(combo8->itemText(2), QStringLiteral("超时"));
    for (const char* kept : {"Check1_3", "Text1_8", "Text2_0", "Text2_13", "Combo6_0", "Check3_5", "Check8", "Check5"})
        QVERIFY2(shownOnPage(control<QWidget>(kept)), kept);
    // The hidden switches take their fixed values on apply.
    const SettingsEntries simpleEntries = m_dialog->entries();
    QCOMPARE(simpleEntries.checkone.left(6), QStringLiteral("000100"));
    QCOMPARE(simpleEntries.checkthree.left(5), QStringLiteral("00011"));
    QCOMPARE(simpleEntries.checkfour.left(3), QStringLiteral("011"));

    simple->click();
    for (const QString& name : hidden)
        QVERIFY2(shownOnPage(control<QWidget>(name)) == before.value(name), qPrintable(name));
    QVERIFY(tabs->isTabVisible(4));
    QCOMPARE(control<QCheckBox>("Check1_3")->text(), QStringLiteral("报警3 剩余"));
    QCOMPARE(control<QLabel>("Label2_3")->text(), QStringLiteral("报警3"));
    QCOMPARE(combo8->count(), 7);
}

void TestAppearancePages::dateLineRowFollowsLongTerm()
{
    open(StageSettings::defaults(QDate(2026, 12, 8)));
    auto* longTerm = control<QCheckBox>("Check1_6");
    QVERIFY(!control<QWidget>("Combo6_3")->isEnabled());
    longTerm->click();
    for (const char* name : {"Label3_3", "Combo6_3", "Combo7_3", "Text3_3"})
        QVERIFY2(control<QWidget>(name)->isEnabled(), name);
    longTerm->click();
    QVERIFY(!control<QWidget>("Text3_3")->isEnabled());
}

void TestAppearancePages::previewPlaysTheChosenPhase_data()
{
    QTest::addColumn<bool>("simple");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("sound");
    addTestRow("报警2 of seven", false, 2, QString("two.wav"));
    addTestRow("结束 of seven", false, 6, QString("end.wav"));
    addTestRow("报警1 of four is alarm 3", true, 1, QString("three.wav"));
    addTestRow("超时 of four", true, 2, QString("over.wav"));
}

void TestAppearancePages::previewPlaysTheChosenPhase()
{
    QFETCH(bool, simple);
    QFETCH(int, entry);
    QFETCH(QString, sound);
    RegistryStore().setNumber(QStringLiteral("simple"), simple ? 1 : 0);
    open(StageSettings::defaults(QDate(2026, 12, 8)));
    const char* const sounds[] = {"start.wav", "one.wav", "two.wav", "three.wav", "final.wav", "over.wav", "end.wav"};
    for (int phase = 0; phase < 7; ++phase)
        control<QLineEdit>(QStringLiteral("Text2_%1").arg(7 + phase))->setText(QString::fromLatin1(sounds[phase]));
    auto* combo8 = control<QComboBox>("Combo8");
    combo8->setCurrentIndex(entry);
    Q_EMIT combo8->activated(entry);
    QCOMPARE(m_previewed, QStringList{sound});
}

QTEST_MAIN(TestAppearancePages)
#include "tst_appearancepages.moc"
