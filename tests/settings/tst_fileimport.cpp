#include "DataRows.h"
#include "TestSupport.h"
#include "Unwritable.h"
#include "settings/AppearanceChoices.h"
#include "settings/FileImport.h"

#include <QtTest>

using namespace melvanta;

// Files brought into the program's folders, and the size and font lists of
// the appearance page.
class TestFileImport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void importsUnderAFreeName_data();
    void importsUnderAFreeName();
    void refusesWhatItCannotUse_data();
    void refusesWhatItCannotUse();
    void sizeSteps_data();
    void sizeSteps();
    void fontLists();
};

namespace {

const QByteArray kMp3 = QByteArray("ID3\x03\x00", 5) + QByteArray(64, '\x11');
const QByteArray kOtherMp3 = QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(64, '\x22');
const QByteArray kWave = QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16) + QByteArray(32, '\x00');

QString writeAt(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestFileImport::importsUnderAFreeName_data()
{
    QTest::addColumn<QString>("chosenName");
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QList<QByteArray>>("alreadyThere"); // "bell.mp3", "bell (2).mp3" …
    QTest::addColumn<QString>("expected");
    addTestRow("new file", QStringLiteral("bell.mp3"), kMp3, QList<QByteArray>{}, QStringLiteral("bell.mp3"));
    addTestRow("identical file reused", QStringLiteral("bell.mp3"), kMp3, QList<QByteArray>{kMp3},
               QStringLiteral("bell.mp3"));
    addTestRow("other content", QStringLiteral("bell.mp3"), kMp3, QList<QByteArray>{kOtherMp3},
               QStringLiteral("bell (2).mp3"));
    addTestRow("two taken", QStringLiteral("bell.mp3"), kMp3, QList<QByteArray>{kOtherMp3, kWave},
               QStringLiteral("bell (3).mp3"));
    addTestRow("blanks, quotes, Chinese", QStringLiteral("O'Brien \"铃\" 1.wav"), kWave, QList<QByteArray>{},
               QStringLiteral("O'Brien \"铃\" 1.wav"));
}

void TestFileImport::importsUnderAFreeName()
{
    QFETCH(QString, chosenName);
    QFETCH(QByteArray, chosen);
    QFETCH(QList<QByteArray>, alreadyThere);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("prog/sounds"));
    const QFileInfo name(chosenName);
    for (int i = 0; i < alreadyThere.size(); ++i) {
        const QString taken =
            i == 0 ? chosenName
                   : QStringLiteral("%1 (%2).%3").arg(name.completeBaseName()).arg(i + 1).arg(name.suffix());
        writeAt(folder + QLatin1Char('/') + taken, alreadyThere[i]);
    }
    const QString source = writeAt(dir.filePath(QStringLiteral("elsewhere/") + chosenName), chosen);

    const ImportOutcome outcome = importFile(source, folder, ImportKind::Sound);
    QCOMPARE(int(outcome.result), int(ImportOutcome::Result::Imported));
    QCOMPARE(outcome.name, expected);
    QCOMPARE(contents(folder + QLatin1Char('/') + expected), chosen);
    // Nothing that was there is replaced, and no partial copy is left.
    if (!alreadyThere.isEmpty())
        QCOMPARE(contents(folder + QLatin1Char('/') + chosenName), alreadyThere[0]);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(),
             qMax(1, int(alreadyThere.size()) + (expected == chosenName ? 0 : 1)));
}

void TestFileImport::refusesWhatItCannotUse_data()
{
    QTest::addColumn<QString>("chosenName");
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    const int refused = int(ImportOutcome::Result::Refused);
    addTestRow("text named mp3", QStringLiteral("bell.mp3"), QByteArray("not a sound at all"), int(ImportKind::Sound),
               refused, QStringLiteral("“bell.mp3”不是声音文件，未导入"));
    addTestRow("sound named jpg", QStringLiteral("logo.jpg"), kWave, int(ImportKind::Picture), refused,
               QStringLiteral("“logo.jpg”不是图片文件，未导入"));
    addTestRow("shortcut", QStringLiteral("bell.lnk"), kMp3, int(ImportKind::Sound),
               int(ImportOutcome::Result::Ignored), QString());
    addTestRow("desktop entry", QStringLiteral("bell.desktop"), kMp3, int(ImportKind::Sound),
               int(ImportOutcome::Result::Ignored), QString());
}

void TestFileImport::refusesWhatItCannotUse()
{
    QFETCH(QString, chosenName);
    QFETCH(QByteArray, chosen);
    QFETCH(int, kind);
    QFETCH(int, result);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("target"));
    const ImportOutcome outcome = importFile(writeAt(dir.filePath(chosenName), chosen), folder, ImportKind(kind));
    QCOMPARE(int(outcome.result), result);
    QCOMPARE(outcome.message, message);
    QVERIFY(outcome.name.isEmpty());
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
}

void TestFileImport::sizeSteps_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("expected");
    addTestRow("title up", 0, 90, 1, 95);
    addTestRow("title top holds", 0, 230, 1, 230);
    addTestRow("clock down", 2, 150, -1, 140);
    addTestRow("clock bottom holds", 2, 100, -1, 100);
    addTestRow("typed between, up", 2, 155, 1, 160);
    addTestRow("typed between, down", 2, 155, -1, 150);
    addTestRow("typed above the list", 4, 500, -1, 120);
    addTestRow("prompt up", 4, 30, 1, 35);
}

void TestFileImport::sizeSteps()
{
    QFETCH(int, row);
    QFETCH(int, current);
    QFETCH(int, step);
    QFETCH(int, expected);
    QCOMPARE(steppedSize(row, current, step), expected);
}

void TestFileImport::fontLists()
{
    const QStringList installed{QStringLiteral("DejaVu Sans"), QStringLiteral("@Noto Sans CJK"),
                                QStringLiteral("Noto Sans CJK SC")};
    const QStringList plain{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")};
    for (int row = 0; row < kAppearanceRows; ++row) {
        QCOMPARE(fontChoices(row, true, installed), preferredFonts());
        QCOMPARE(fontChoices(row, false, installed), row == kDateLineRow ? preferredFonts() : plain);
    }
    QCOMPARE(sizeChoices(2).size(), 36);
    QCOMPARE(sizeChoices(0).constFirst(), QStringLiteral("50"));
    QCOMPARE(sizeChoices(5).constLast(), QStringLiteral("120"));
}

QTEST_GUILESS_MAIN(TestFileImport)
#include "tst_fileimport.moc"
