#include "stages/DatabaseSchema.h"

#include "TestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace melvanta;

// The stage table's own three columns, then the stage fields in their stored order.
static const char kDeskclock[] =
    "ID clockname movetext Time_all Time_one Time_two Time_three Time_four Time_five time_date checkone checktwo "
    "textstart textone texttwo textthree textfour textfive textend musicstart musicone musictwo musicthree musicfour "
    "musicfive musicend firstfont firstcolour firsttext secondfont secondcolour secondtext clockFont clockcolour "
    "background stagefont stagecolour textfont textcolour rollfont rollcolour sizethree checkthree checkfour combolist "
    "logopicture tixingtime highsetstart highsetone highsettwo highsetthree highsetfour highsetfive highsetend";

class TestDatabaseSchema : public QObject
{
    Q_OBJECT

private slots:
    void createdTables()
    {
        TestSandbox sandbox;
        // Runs one statement on the default connection with `values` bound; gives
        // the first column of every row, or just "failed".
        const auto run = [](const QString& sql, const QVariantList& values = {}) {
            QSqlQuery query(QSqlDatabase::database());
            bool ok = query.prepare(sql);
            for (const QVariant& value : values)
                query.addBindValue(value);
            QStringList rows;
            for (ok = ok && query.exec(); ok && query.next();)
                rows << query.value(0).toString();
            return ok ? rows : QStringList(QStringLiteral("failed"));
        };
        QVERIFY(DatabaseSchema::create(sandbox.filePath("DeskData.db")));
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE")).setDatabaseName(sandbox.filePath("DeskData.db"));
        QCOMPARE(run("SELECT name FROM pragma_table_info('deskclock')"), QString(kDeskclock).split(' '));
        QCOMPARE(run("SELECT name FROM pragma_table_info('timesum')"),
                 QString("ID set_time use_time out_time pause_time filename ID_auto").split(' '));
        // Stage names are unique: only the second O'Brien is refused.
        const QString insert = QStringLiteral("INSERT INTO deskclock (clockname) VALUES (?)");
        const QList<QStringList> inserted{run(insert, {"O'Brien"}), run(insert, {"O'Brien"}), run(insert, {"开场"})};
        QCOMPARE(inserted, (QList<QStringList>{{}, {"failed"}, {}}));
        // Creating again keeps the rows.
        QVERIFY(DatabaseSchema::create(sandbox.filePath("DeskData.db")));
        QCOMPARE(run("SELECT clockname FROM deskclock ORDER BY rowid"), (QStringList{"O'Brien", "开场"}));
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));

        // A file that is no database is refused and left as it was; a missing folder is refused.
        const QByteArray junk = QByteArray("this is no database\n").repeated(200);
        QString error;
        QVERIFY(!DatabaseSchema::create(sandbox.writeFile("junk.db", junk), &error) && !error.isEmpty());
        QVERIFY(!DatabaseSchema::create(sandbox.filePath("no/such/folder/DeskData.db")));
        QFile kept(sandbox.filePath("junk.db"));
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == junk);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseSchema)
#include "tst_databaseschema.moc"
