#include "settings/HotkeyCaptureBox.h"
#include "settings/SettingsEntries.h"
#include "settings/SystemPage.h"
#include "support/MessageBox.h"

#include <QtTest>

using namespace melvanta;

// The capture boxes of the system page: keys pressed into them, one after
// the other, and what each box then says.
namespace {

struct Press
{
    int box;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

} // namespace

Q_DECLARE_METATYPE(QList<Press>)

class TestHotkeyCapture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::setTestHook(true); }
    void cleanup() { MessageBox::setTestHook(false); }

    void captured_data()
    {
        QTest::addColumn<QList<Press>>("presses");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("notice");
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        QTest::addRow("Shift+F3 gives F3")
            << QList<Press>{{0, Qt::Key_F3, Qt::ShiftModifier}} << QStringList{"F3", "F10", "无"} << "";
        QTest::addRow("Ctrl alone gives none")
            << QList<Press>{{1, Qt::Key_Control, none}} << QStringList{"F9", "无", "无"} << "";
        QTest::addRow("Ctrl+Alt+Q") << QList<Press>{{2, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier}}
                                    << QStringList{"F9", "F10", "Ctrl+Alt+Q"} << "";
        QTest::addRow("Shift+Ctrl with a shifted digit")
            << QList<Press>{{2, Qt::Key_Percent, Qt::ShiftModifier | Qt::ControlModifier}}
            << QStringList{"F9", "F10", "Shift+Ctrl+5"} << "";
        QTest::addRow("keypad digit without NumLock")
            << QList<Press>{{2, Qt::Key_End, Qt::ControlModifier | Qt::KeypadModifier}}
            << QStringList{"F9", "F10", "Ctrl+Num 1"} << "";
        QTest::addRow("start may equal stop")
            << QList<Press>{{1, Qt::Key_F9, none}} << QStringList{"F9", "F9", "无"} << "";
        QTest::addRow("pause key into start") << QList<Press>{{2, Qt::Key_F7, none}, {0, Qt::Key_F7, none}}
                                              << QStringList{"无", "F10", "F7"} << "热键设置不能相同";
        QTest::addRow("start key into pause")
            << QList<Press>{{2, Qt::Key_F9, none}} << QStringList{"F9", "F10", "无"} << "热键设置不能相同";
        QTest::addRow("stop key into pause")
            << QList<Press>{{2, Qt::Key_F10, none}} << QStringList{"F9", "F10", "无"} << "热键设置不能相同";
        QTest::addRow("bare letter refused") << QList<Press>{{0, Qt::Key_Q, none}} << QStringList{"F9", "F10", "无"}
                                             << "单独的字母或数字键会使其他程序无法输入该键，请同时按下 Ctrl 或 Alt";
        QTest::addRow("Escape clears") << QList<Press>{{0, Qt::Key_Escape, none}} << QStringList{"无", "F10", "无"}
                                       << "";
    }
    void captured()
    {
        QFETCH(QList<Press>, presses);
        QFETCH(QStringList, texts);
        QFETCH(QString, notice);
        SystemPage page;
        SettingsEntries entries = SettingsEntries();
        entries.checkfour = QStringLiteral("0000");
        entries.hotkeyStart = QStringLiteral("F9");
        entries.hotkeyStop = QStringLiteral("F10");
        entries.hotkeyPause = QStringLiteral("无");
        page.fill(entries);
        for (const Press& press : presses) {
            QTest::keyPress(page.hotkeys[press.box], press.key, press.modifiers);
            QTest::keyRelease(page.hotkeys[press.box], press.key, press.modifiers);
        }
        for (int i = 0; i < 3; ++i)
            QCOMPARE(page.hotkeys[i]->text(), texts.at(i));
        const QList<MessageBox::Recorded> boxes = MessageBox::takeRecordedBoxes();
        QCOMPARE(boxes.isEmpty() ? QString() : boxes.last().text, notice);
        if (notice == QStringLiteral("热键设置不能相同")) {
            QCOMPARE(boxes.last().milliseconds, 800);
            QCOMPARE(boxes.last().title, QStringLiteral("Melvanta"));
        }
    }
};

QTEST_MAIN(TestHotkeyCapture)
#include "tst_hotkeycapture.moc"
