#include "DataRows.h"
#include "TestSupport.h"
#include "records/RecordChart.h"
#include "records/RecordsWindow.h"
#include "stages/DatabaseSchema.h"
#include "storage/RegistryStore.h"
#include "support/Choosers.h"
#include "support/MessageBox.h"
#include "support/ShellOpen.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

using namespace melvanta;

namespace {

// Adds `count` records; record k ran k seconds over a 5-minute stage when `overtime` holds k.
void addRecords(const QString& path, int count, const QList<int>& overtime = {})
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO timesum (set_time, use_time, out_time, pause_time, filename) "
                                     "VALUES ('00:05:00', ?, ?, '00:00:10', ?)"));
        for (int k = 0; k < count; ++k) {
            const bool over = overtime.contains(k);
            query.addBindValue(over ? QStringLiteral("00:07:00") : QStringLiteral("00:04:00"));
            query.addBindValue(over ? QStringLiteral("00:02:00") : QStringLiteral("00:00:00"));
            query.addBindValue(QStringLiteral("阶段%1").arg(k + 1));
            query.exec();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

// How many pixels of `colour` the widget paints.
int pixelsOf(QWidget* widget, const QColor& colour)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

QString boxes()
{
    QStringList texts;
    for (const MessageBox::Recorded& box : MessageBox::takeRecordedBoxes())
        texts << QStringLiteral("%1|%2").arg(box.text).arg(box.milliseconds);
    return texts.join(QStringLiteral("; "));
}

} // namespace

// The records window on a real database: the rows and their gap, deleting
// with the selection that follows, the collection switch and the chart.
class TestRecordsWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        MessageBox::setTestHook(true);
        MessageBox::takeRecordedBoxes();
        ShellOpen::setTestHook(true);
        m_sandbox = std::make_unique<TestSandbox>();
        m_path = m_sandbox->filePath(QStringLiteral("DeskData.db"));
        QVERIFY(DatabaseSchema::create(m_path));
        m_registry = std::make_unique<RegistryStore>();
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_sandbox.reset();
        ShellOpen::takeOpened();
    }

    void noRecords()
    {
        open();
        QCOMPARE(m_window->list()->count(), 0);
        m_window->Command1_Click();
        QCOMPARE(boxes(), QStringLiteral("没有记录导出|800"));
        m_window->Command3_Click();
        QCOMPARE(boxes(), QStringLiteral("没有记录可删除|800"));
    }

    // A damaged file opens an empty window that says why.
    void damagedDatabase()
    {
        m_sandbox->writeFile(QStringLiteral("DeskData.db"), QByteArray(8192, 'x'));
        open();
        QCOMPARE(m_window->list()->count(), 0);
        QVERIFY(boxes().startsWith(QStringLiteral("无法读取计时记录：")));
    }

    void rowsWithTheirGap()
    {
        addRecords(m_path, 2);
        open();
        const int gap = m_window->columnGapWidth();
        QVERIFY(gap >= 1 && gap <= 50);
        const QString g(gap, QLatin1Char(' '));
        QCOMPARE(m_window->list()->item(1)->text(),
                 QStringList({"002", "00:05:00", "00:04:00", "0:00:00", "0:00:10", "阶段2"}).join(g));
        QCOMPARE(m_window->list()->item(1)->data(Qt::UserRole).toLongLong(), m_window->rows().at(1).idAuto);
    }

    void deleteSelects_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("selectedAfter");
        addTestRow("rows 4-6 of ten", 10, QList<int>{4, 5, 6}, true, 7, 3);
        addTestRow("the only record", 1, QList<int>{0}, true, 0, -1);
        addTestRow("answer no", 3, QList<int>{1}, false, 3, 1);
    }
    void deleteSelects()
    {
        QFETCH(int, records);
        QFETCH(QList<int>, selected);
        QFETCH(bool, yes);
        QFETCH(int, left);
        QFETCH(int, selectedAfter);
        addRecords(m_path, records);
        open();
        for (int row : selected)
            m_window->list()->item(row)->setSelected(true);
        MessageBox::setNextAnswer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        m_window->Command3_Click();
        QCOMPARE(boxes(), QStringLiteral("确定删除数据吗？|0"));
        QCOMPARE(m_window->list()->count(), left);
        QCOMPARE(m_window->rows().size(), left);
        QCOMPARE(RecordTable(m_path).read()->size(), left);
        const QList<QListWidgetItem*> now = m_window->list()->selectedItems();
        QCOMPARE(now.isEmpty() ? -1 : m_window->list()->row(now.first()), selectedAfter);
        // Remaining rows keep their numbers until the window opens again.
        if (left == 7)
            QVERIFY(m_window->list()->item(4)->text().startsWith(QStringLiteral("008")));
    }

    void collectionSwitch_data()
    {
        QTest::addColumn<int>("stored"); // -1: missing
        QTest::addColumn<bool>("checked");
        addTestRow("missing", -1, false);
        addTestRow("off", 0, false);
        addTestRow("on", 1, true);
        addTestRow("garbage", 7, false);
    }
    void collectionSwitch()
    {
        QFETCH(int, stored);
        QFETCH(bool, checked);
        if (stored >= 0)
            m_registry->setNumber(QStringLiteral("Time_Record"), stored);
        open();
        QCOMPARE(m_window->collectSwitch()->isChecked(), checked);
        QCOMPARE(m_window->notice()->isVisible(), !checked);
        m_window->collectSwitch()->click();
        QCOMPARE(RegistryStore().number(QStringLiteral("Time_Record"), -1), checked ? 0 : 1);
        QCOMPARE(m_window->notice()->isVisible(), checked);
        // The notice goes 3 s after the click.
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->notice()->isVisible(), 5000);
    }

    // Red marks overtime: it is drawn for a selected record that ran over
    // and not for one that did not; with no selection every record is drawn.
    void chartFollowsTheSelection()
    {
        addRecords(m_path, 3, {1});
        open();
        RecordChart* chart = m_window->chart();
        QCOMPARE(chart->records().size(), 3);
        QVERIFY(pixelsOf(chart, RecordChart::overtimeColour()) > 50);
        m_window->list()->item(0)->setSelected(true);
        QCOMPARE(chart->records().size(), 1);
        QCOMPARE(pixelsOf(chart, RecordChart::overtimeColour()), 0);
        QVERIFY(pixelsOf(chart, chart->usedColour()) > 50);
        m_window->list()->item(1)->setSelected(true);
        QCOMPARE(chart->records().size(), 2);
        QVERIFY(pixelsOf(chart, RecordChart::overtimeColour()) > 50);
    }

    void exportsEveryRecord()
    {
        addRecords(m_path, 3);
        open();
        const QString path = m_sandbox->filePath(QStringLiteral("records.xlsx"));
        Choosers::setNextSaveFile(path);
        m_window->Command1_Click();
        QVERIFY(QFileInfo(path).size() > 0);
        QCOMPARE(boxes(), QStringLiteral("已导出到 %1|5000").arg(path));
    }

private:
    void open()
    {
        m_window = std::make_unique<RecordsWindow>(m_path, *m_registry);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<RecordsWindow> m_window;
    QString m_path;
};

QTEST_MAIN(TestRecordsWindow)
#include "tst_recordswindow.moc"
