#include "DataRows.h"
#include "TestSupport.h"
#include "support/FileDialog.h"
#include "support/MessageBox.h"

#include <QFileDialog>
#include <QtTest>

using namespace melvanta;

class TestFileDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::setTestHook(true); }
    void cleanup() { MessageBox::setTestHook(false); }

    void fileNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        addTestRow("Windows path", QStringLiteral("C:\\sounds\\bell.mp3"), QStringLiteral("bell.mp3"));
        addTestRow("Unix path", QStringLiteral("/home/op/声音/铃 声.wav"), QStringLiteral("铃 声.wav"));
        addTestRow("mixed", QStringLiteral("D:/a\\b/c.jpg"), QStringLiteral("c.jpg"));
        addTestRow("no separator", QStringLiteral("bell.mp3"), QStringLiteral("bell.mp3"));
        addTestRow("ends in a separator", QStringLiteral("C:\\sounds\\"), QString());
        addTestRow("empty", QString(), QString());
    }
    void fileNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(FileNameOfPath(path), name);
    }

    void filters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addRow("two pairs") << "声音文件(*.wav;*.mp3)|*.wav;*.mp3|所有文件|*.*"
                                   << QStringList{"声音文件(*.wav;*.mp3) (*.wav *.mp3)", "所有文件 (*.*)"};
        QTest::addRow("one pair") << "图片|*.jpg;*.bmp;*.gif;" << QStringList{"图片 (*.jpg *.bmp *.gif)"};
        QTest::addRow("description without patterns") << "图片|*.jpg|残缺" << QStringList{"图片 (*.jpg)"};
        QTest::addRow("empty") << "" << QStringList();
    }
    void filters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QCOMPARE(qtNameFilters(filter), nameFilters);
    }

    void overlongInitialName_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("refused");
        QTest::addRow("260") << 260 << false;
        QTest::addRow("261") << 261 << true;
    }
    void overlongInitialName()
    {
        QFETCH(int, length);
        QFETCH(bool, refused);
        setNextFileDialogAnswer(QStringLiteral("/tmp/x.wav"));
        const QString chosen = FileDialog(false, QStringLiteral("导入声音"), QStringLiteral("声音|*.wav"),
                                          QString(length, QLatin1Char('a')), QStringLiteral("wav"), QString());
        const QList<MessageBox::Recorded> boxes = MessageBox::takeRecordedBoxes();
        QCOMPARE(chosen.isEmpty(), refused);
        QCOMPARE(boxes.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(boxes.at(0).text, QStringLiteral("Filename Length Overflow"));
            QCOMPARE(boxes.at(0).title, QStringLiteral("Melvanta - FileDialog Function"));
            QCOMPARE(boxes.at(0).icon, MessageBox::Icon::Exclamation);
            setNextFileDialogAnswer(QString()); // not taken by the refused call
            FileDialog(false, QString(), QString(), QString(), QString(), QString());
        }
    }

    // The real chooser: what it is asked, what a choice and a cancel give.
    void realChooser_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addRow("chosen") << true;
        QTest::addRow("cancelled") << false;
    }
    void realChooser()
    {
        QFETCH(bool, accept);
        TestSandbox sandbox;
        const QString bell = sandbox.writeFile(QStringLiteral("铃 声.wav"), "RIFF");
        QString title;
        QStringList shownFilters;
        QTimer::singleShot(300, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            shownFilters = dialog->nameFilters();
            if (accept)
                QMetaObject::invokeMethod(dialog, "accept");
            else
                dialog->reject();
        });
        const QString chosen = FileDialog(false, QStringLiteral("导入声音 结束"), QStringLiteral("声音|*.wav;*.mp3"),
                                          QStringLiteral("铃 声.wav"), QStringLiteral("wav"), sandbox.programFolder());
        QCOMPARE(title, QStringLiteral("导入声音 结束"));
        QCOMPARE(shownFilters, QStringList{"声音 (*.wav *.mp3)"});
        QCOMPARE(chosen, accept ? bell : QString());
        QCOMPARE(lastFileDialogRequest().initialPath, bell);
    }
};

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
