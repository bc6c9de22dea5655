#include "DataRows.h"
#include "TestSupport.h"
#include "settings/SettingsDialog.h"
#include "settings/StagePanel.h"
#include "stages/DatabaseSchema.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "support/Choosers.h"
#include "support/MessageBox.h"
#include "support/ShellOpen.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace melvanta;

namespace {

StageSettings stageOf(int minutes, int alarmMinutes)
{
    StageSettings stage = StageSettings::defaults(QDate(2026, 12, 7));
    stage.Time_all = QTime(0, minutes, 0);
    stage.Time_one = QTime(0, alarmMinutes, 0);
    stage.checkone = QStringLiteral("0100000");
    stage.combolist = QStringLiteral("201");
    return stage;
}

QString messages()
{
    QStringList texts;
    for (const MessageBox::Recorded& box : MessageBox::takeRecordedBoxes())
        texts << QStringLiteral("%1|%2|%3").arg(box.text, box.title).arg(box.milliseconds);
    return texts.join(QStringLiteral("; "));
}

} // namespace

// The stage list beside the settings dialog, on a real database: save from
// the dialog's boxes, load back, move, delete and export, each with its
// notices.
class TestStagePanel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        MessageBox::setTestHook(true);
        MessageBox::takeRecordedBoxes();
        ShellOpen::setTestHook(true);
        m_sandbox = std::make_unique<TestSandbox>();
        QVERIFY(DatabaseSchema::create(m_sandbox->filePath(QStringLiteral("DeskData.db"))));
        m_changes = 0;
        m_stored = stageOf(1, 0);
        m_stored.stagefont = QStringLiteral("楷体");
        m_stored.stagecolour = QStringLiteral("255");
        m_stored.sizethree = QStringLiteral("80/50/100/66/30/30/");
        SettingsDialog::Hooks hooks;
        hooks.apply = [](const SettingsEntries&) { return true; };
        hooks.databasePath = m_sandbox->filePath(QStringLiteral("DeskData.db"));
        hooks.storedStage = [this] { return m_stored; };
        hooks.stagesChanged = [this] { ++m_changes; };
        RegistryStore registry;
        m_dialog = std::make_unique<SettingsDialog>(
            fillEntries(stageOf(5, 1), ProfileFile(m_sandbox->filePath(QStringLiteral("TimeData.db"))), registry),
            std::move(hooks));
        m_dialog->show();
        m_dialog->stagePanelSwitch()->setChecked(true);
        m_panel = m_dialog->stagePanel();
        QVERIFY(m_panel->isVisible());
    }
    void cleanup()
    {
        m_dialog.reset();
        m_sandbox.reset();
        ShellOpen::takeOpened();
    }

    // A stage saved from the dialog comes back into it with the per-user
    // store's date line; names with quotes and "&" work.
    void saveAndLoadBack()
    {
        save(QStringLiteral("O'Brien & 张'三"), QStringLiteral("欢迎"));
        QCOMPARE(messages(), QString());
        QCOMPARE(rows(), QStringLiteral("001 O'Brien & 张'三 欢迎"));
        QCOMPARE(m_changes, 1);
        QVERIFY(m_panel->nameBox()->text().isEmpty() && m_panel->textBox()->text().isEmpty());

        m_dialog->fillsettings(withStage(m_dialog->entries(), stageOf(9, 2)));
        m_panel->list()->setCurrentItem(m_panel->list()->topLevelItem(0));
        m_panel->loadCurrent();
        const SettingsEntries loaded = m_dialog->entries();
        QCOMPARE(loaded.timeBoxes[2], QStringLiteral("5"));
        QCOMPARE(loaded.timeBoxes[4], QStringLiteral("1"));
        QCOMPARE(m_panel->nameBox()->text(), QStringLiteral("O'Brien & 张'三"));
        QCOMPARE(m_panel->textBox()->text(), QStringLiteral("欢迎"));
        QCOMPARE(loaded.stage.stagefont, QStringLiteral("楷体"));
        QCOMPARE(loaded.stage.size(SizeField::DateLine), 66);
        QCOMPARE(m_changes, 1); // loading stores nothing
    }

    void saveNotices_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("alarmMinutes");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("listed");
        const QString first = QStringLiteral("001 Speech ");
        addTestRow("empty", QStringLiteral("  "), 1, QStringLiteral("没有填写阶段名称|Melvanta|1500"), first);
        addTestRow("other case", QStringLiteral("sPEECH "), 1, QStringLiteral("阶段名称【sPEECH】已录入|录入提示|5000"),
                   first);
        addTestRow("wide name still saves", QStringLiteral("一二三四五六七八九十一二三四五"), 1,
                   QStringLiteral("建议阶段名称控制在14个字符以内|Melvanta|1500"),
                   first + QStringLiteral(", 002 一二三四五六七八九十一二三四五 "));
        addTestRow("15 ASCII letters", QStringLiteral("abcdefghijklmno"), 1, QString(),
                   first + QStringLiteral(", 002 abcdefghijklmno "));
        addTestRow("tab", QStringLiteral("a\tb"), 1, QStringLiteral("阶段名称不能包含制表符或换行|Melvanta|1500"),
                   first);
        addTestRow("alarm equals total", QStringLiteral("new"), 5,
                   QStringLiteral("计时时长和报警1提醒时间不能相同，请修改|Melvanta|0"), first);
    }
    void saveNotices()
    {
        QFETCH(QString, name);
        QFETCH(int, alarmMinutes);
        QFETCH(QString, said);
        QFETCH(QString, listed);
        save(QStringLiteral("Speech"), QString());
        messages();
        m_dialog->fillsettings(withStage(m_dialog->entries(), stageOf(5, alarmMinutes)));
        save(name, QString());
        QCOMPARE(messages(), said);
        QCOMPARE(rows(), listed);
    }

    void moveAndDelete_data()
    {
        QTest::addColumn<int>("stages");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("listed");
        addTestRow("up, empty", 0, QList<int>{}, QStringLiteral("Cmd_up"), true,
                   QStringLiteral("没有录入数据|Melvanta|800"), QString());
        addTestRow("down, empty", 0, QList<int>{}, QStringLiteral("Cmd_down"), true,
                   QStringLiteral("没有录入时钟名称|Melvanta|800"), QString());
        addTestRow("two selected", 3, QList<int>{0, 1}, QStringLiteral("Cmd_down"), true,
                   QStringLiteral("上下移动请只选中一行数据|Melvanta|1500"), QStringLiteral("abc"));
        addTestRow("none selected", 3, QList<int>{}, QStringLiteral("Cmd_up"), true,
                   QStringLiteral("请选中要移动的数据行|Melvanta|800"), QStringLiteral("abc"));
        addTestRow("first up", 3, QList<int>{0}, QStringLiteral("Cmd_up"), true,
                   QStringLiteral("已经是第一行了|Melvanta|800"), QStringLiteral("abc"));
        addTestRow("last down", 3, QList<int>{2}, QStringLiteral("Cmd_down"), true,
                   QStringLiteral("已经是最后一行了|Melvanta|800"), QStringLiteral("abc"));
        addTestRow("middle down", 3, QList<int>{1}, QStringLiteral("Cmd_down"), true, QString(), QStringLiteral("acb"));
        addTestRow("delete, empty", 0, QList<int>{}, QStringLiteral("Cmd_del"), true,
                   QStringLiteral("没有记录可删除|Melvanta|800"), QString());
        addTestRow("delete, none selected", 2, QList<int>{}, QStringLiteral("Cmd_del"), true,
                   QStringLiteral("请鼠标选中待删除的行\r\n同时按下shift按钮可连续多选\r\n同时按下Ctrl按钮可间隔多选|"
                                  "Melvanta|3000"),
                   QStringLiteral("ab"));
        addTestRow("delete, no", 5, QList<int>{1, 2}, QStringLiteral("Cmd_del"), false,
                   QStringLiteral("确定删除数据吗？|提示|0"), QStringLiteral("abcde"));
        addTestRow("delete rows 2 and 3", 5, QList<int>{1, 2}, QStringLiteral("Cmd_del"), true,
                   QStringLiteral("确定删除数据吗？|提示|0"), QStringLiteral("ade"));
    }
    void moveAndDelete()
    {
        QFETCH(int, stages);
        QFETCH(QList<int>, selected);
        QFETCH(QString, button);
        QFETCH(bool, yes);
        QFETCH(QString, said);
        QFETCH(QString, listed);
        for (int k = 0; k < stages; ++k)
            save(QString(QChar(u'a' + k)), QString());
        const int changes = m_changes;
        messages();
        QTreeWidget* list = m_panel->list();
        for (int row : selected)
            list->topLevelItem(row)->setSelected(true);
        MessageBox::setNextAnswer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        m_panel->findChild<QPushButton*>(button)->click();
        QCOMPARE(messages(), said);
        QString names;
        for (int k = 0; k < list->topLevelItemCount(); ++k) {
            QCOMPARE(list->topLevelItem(k)->text(0), QStringLiteral("%1").arg(k + 1, 3, 10, QLatin1Char('0')));
            QCOMPARE(list->topLevelItem(k)->data(0, Qt::UserRole).toInt(), k + 1);
            names += list->topLevelItem(k)->text(1);
        }
        QCOMPARE(names, listed);
        QCOMPARE(m_changes > changes, said.isEmpty() || (yes && button == QLatin1String("Cmd_del") && stages == 5));
    }

    void exportStages()
    {
        m_panel->dataout();
        QCOMPARE(messages(), QStringLiteral("没有记录可导出|Melvanta|800"));
        save(QStringLiteral("开场"), QString());
        const QString path = m_sandbox->filePath(QStringLiteral("stages"));
        Choosers::setNextSaveFile(path, 1); // the CSV filter, no extension typed
        m_panel->dataout();
        QVERIFY(QFile::exists(path + QStringLiteral(".csv")));
        QCOMPARE(messages(), QStringLiteral("已导出到 %1.csv|Melvanta|5000").arg(path));
        QCOMPARE(ShellOpen::takeOpened(), QStringList{QUrl::fromLocalFile(path + ".csv").toString()});
    }

    // A missing, damaged or locked database: a message that says so, no
    // crash, and nothing stored.
    void unusableDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("said");
        addTestRow("missing", QStringLiteral("missing"), QStringLiteral("DeskData.db文件不存在，请保存程序的完整性"));
        addTestRow("damaged", QStringLiteral("damaged"), QStringLiteral("无法读取阶段列表"));
        addTestRow("locked", QStringLiteral("locked"), QStringLiteral("无法读取阶段列表"));
    }
    void unusableDatabase()
    {
        QFETCH(QString, kind);
        QFETCH(QString, said);
        const QString path = m_sandbox->filePath(QStringLiteral("DeskData.db"));
        QSqlDatabase holder;
        if (kind == QLatin1String("missing"))
            QVERIFY(QFile::remove(path));
        else if (kind == QLatin1String("damaged"))
            m_sandbox->writeFile(QStringLiteral("DeskData.db"), QByteArray(8192, 'x'));
        else {
            holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            holder.setDatabaseName(path);
            QVERIFY(holder.open() && QSqlQuery(holder).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        }
        m_panel->listadd();
        save(QStringLiteral("新"), QString());
        const QList<MessageBox::Recorded> boxes = MessageBox::takeRecordedBoxes();
        QCOMPARE(boxes.size(), 2);
        // Each says what failed and, for a file that is there, the database's reason.
        for (const MessageBox::Recorded& box : boxes) {
            QVERIFY2(box.text.startsWith(said), qPrintable(box.text));
            QVERIFY(kind == QLatin1String("missing") || box.text.size() > said.size() + 5);
        }
        QCOMPARE(m_panel->list()->topLevelItemCount(), 0);
        QCOMPARE(m_changes, 0);
        if (holder.isOpen()) {
            holder.close();
            holder = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        }
    }

private:
    void save(const QString& name, const QString& text)
    {
        m_panel->nameBox()->setText(name);
        m_panel->textBox()->setText(text);
        m_panel->findChild<QPushButton*>(QStringLiteral("Cmd_save"))->click();
    }
    QString rows() const
    {
        QStringList shown;
        for (int k = 0; k < m_panel->list()->topLevelItemCount(); ++k) {
            const QTreeWidgetItem* item = m_panel->list()->topLevelItem(k);
            shown << QStringLiteral("%1 %2 %3").arg(item->text(0), item->text(1), item->text(2));
        }
        return shown.join(QStringLiteral(", "));
    }

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<SettingsDialog> m_dialog;
    StagePanel* m_panel = nullptr;
    StageSettings m_stored;
    int m_changes = 0;
};

QTEST_MAIN(TestStagePanel)
#include "tst_stagepanel.moc"
