#include "DataRows.h"
#include "TestSupport.h"
#include "remote/RemoteCommand.h"
#include "remote/RemoteConfig.h"
#include "remote/RemoteKey.h"
#include "remote/RemoteState.h"
#include "remote/RequestGuard.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QJsonDocument>
#include <QUrlQuery>
#include <QtTest>

using namespace melvanta;

// The network remote's rules without a network: which commands a request
// gives, whose key counts, which pages may command, and what is stored.
class TestRemoteCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void httpCommands_data();
    void httpCommands();
    void socketCommands_data();
    void socketCommands();
    void presentedKeys_data();
    void presentedKeys();
    void origins_data();
    void origins();
    void wrongKeysSlowDown();
    void doublePressCountsOnce();
    void floodsExceedTheBudget();
    void keyIsMadeOnceAndRenewed();
    void config_data();
    void config();
    void snapshotJson();
};

namespace {

// "kind number text flash screen" of a command, or "refused".
QString describe(const ParsedCommand& parsed)
{
    if (!parsed.command)
        return parsed.error.isEmpty() ? QStringLiteral("refused without a reason") : QStringLiteral("refused");
    const RemoteCommand& c = *parsed.command;
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(int(c.kind))
        .arg(c.number)
        .arg(c.text)
        .arg(int(c.flash))
        .arg(int(c.onScreen));
}

QString kind(RemoteCommand::Kind k, int number = 0, const QString& text = QString(), bool flash = false,
             bool screen = false)
{
    return describe({RemoteCommand{k, number, text, flash, screen}, QString()});
}

} // namespace

void TestRemoteCore::httpCommands_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    using K = RemoteCommand::Kind;
    addTestRow("start", QString("start"), QString(), kind(K::Start));
    addTestRow("toggle", QString("toggle"), QString(), kind(K::Toggle));
    addTestRow("previous", QString("previous"), QString(), kind(K::Previous));
    addTestRow("start takes nothing", QString("start/1"), QString(), QString("refused"));
    addTestRow("load 3", QString("load/3"), QString(), kind(K::Load, 3));
    addTestRow("load 0", QString("load/0"), QString(), QString("refused"));
    addTestRow("load a word", QString("load/two"), QString(), QString("refused"));
    addTestRow("load without number", QString("load"), QString(), QString("refused"));
    addTestRow("load overflowing", QString("load/99999999999"), QString(), QString("refused"));
    addTestRow("minus 30 s", QString("addtime/-30"), QString(), kind(K::AddTime, -30));
    addTestRow("plus 60 s", QString("addtime/+60"), QString(), kind(K::AddTime, 60));
    addTestRow("capped at an hour", QString("addtime/99999"), QString(), kind(K::AddTime, 3600));
    addTestRow("capped at minus an hour", QString("addtime/-7200"), QString(), kind(K::AddTime, -3600));
    addTestRow("half seconds", QString("addtime/1.5"), QString(), QString("refused"));
    addTestRow("message", QString("message"), QString("text=%E8%AF%B7%E6%94%B6%E5%B0%BE%20%3C1%3E&flash=1&screen=true"),
               kind(K::Message, 0, QString("请收尾 <1>"), true, true));
    addTestRow("empty message", QString("message"), QString(), kind(K::Message));
    addTestRow("too long a message", QString("message"), QString("text=") + QString(501, 'x'), QString("refused"));
    addTestRow("hide the message", QString("message/hide"), QString(), kind(K::HideMessage));
    addTestRow("unknown", QString("explode"), QString(), QString("refused"));
    addTestRow("nothing", QString(), QString(), QString("refused"));
    addTestRow("three segments", QString("load/1/2"), QString(), QString("refused"));
}

void TestRemoteCore::httpCommands()
{
    QFETCH(QString, path);
    QFETCH(QString, query);
    QFETCH(QString, expected);
    const QStringList segments = path.isEmpty() ? QStringList() : path.split(QLatin1Char('/'));
    QCOMPARE(describe(parseCommand(segments, QUrlQuery(query))), expected);
}

void TestRemoteCore::socketCommands_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("expected");
    using K = RemoteCommand::Kind;
    addTestRow("pause", QByteArray(R"({"cmd":"pause"})"), kind(K::Pause));
    addTestRow("load 2", QByteArray(R"({"cmd":"load","n":2})"), kind(K::Load, 2));
    addTestRow("load as text", QByteArray(R"({"cmd":"load","n":"2"})"), QString("refused"));
    addTestRow("addtime", QByteArray(R"({"cmd":"addtime","seconds":-60})"), kind(K::AddTime, -60));
    addTestRow("addtime fraction", QByteArray(R"({"cmd":"addtime","seconds":0.5})"), QString("refused"));
    addTestRow("addtime huge", QByteArray(R"({"cmd":"addtime","seconds":1e300})"), QString("refused"));
    addTestRow("message", QByteArray(R"({"cmd":"message","text":"O'Brien \"快\"","flash":true})"),
               kind(K::Message, 0, QString("O'Brien \"快\""), true, false));
    addTestRow("hide", QByteArray(R"({"cmd":"message","hide":true})"), kind(K::HideMessage));
    addTestRow("no cmd", QByteArray(R"({"n":1})"), QString("refused"));
    addTestRow("cmd not text", QByteArray(R"({"cmd":7})"), QString("refused"));
}

void TestRemoteCore::socketCommands()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseCommand(QJsonDocument::fromJson(json).object())), expected);
}

void TestRemoteCore::presentedKeys_data()
{
    QTest::addColumn<QByteArray>("authorization");
    QTest::addColumn<QByteArray>("apiKey");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    addTestRow("bearer", QByteArray("Bearer abc"), QByteArray(), QString(), QString("abc"));
    addTestRow("bearer, any case", QByteArray("bearer  abc "), QByteArray(), QString(), QString("abc"));
    addTestRow("api key header", QByteArray(), QByteArray("k-1_"), QString(), QString("k-1_"));
    addTestRow("token in the link", QByteArray(), QByteArray(), QString("token=a%2Db&x=1"), QString("a-b"));
    addTestRow("basic is no key", QByteArray("Basic abc"), QByteArray(), QString(), QString());
    addTestRow("none", QByteArray(), QByteArray(), QString(), QString());
}

void TestRemoteCore::presentedKeys()
{
    QFETCH(QByteArray, authorization);
    QFETCH(QByteArray, apiKey);
    QFETCH(QString, query);
    QFETCH(QString, expected);
    QCOMPARE(presentedKey(authorization, apiKey, QUrlQuery(query)), expected);
}

void TestRemoteCore::origins_data()
{
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("allowed");
    addTestRow("a panel sends none", QByteArray(), QByteArray("10.0.0.5:4080"), true);
    addTestRow("our own page", QByteArray("http://10.0.0.5:4080"), QByteArray("10.0.0.5:4080"), true);
    addTestRow("host in capitals", QByteArray("http://Clock.local:4080"), QByteArray("clock.LOCAL:4080"), true);
    addTestRow("another site", QByteArray("http://evil.example"), QByteArray("10.0.0.5:4080"), false);
    addTestRow("another port", QByteArray("http://10.0.0.5:8080"), QByteArray("10.0.0.5:4080"), false);
    addTestRow("https page", QByteArray("https://10.0.0.5:4080"), QByteArray("10.0.0.5:4080"), false);
    addTestRow("a sandboxed page", QByteArray("null"), QByteArray("10.0.0.5:4080"), false);
    addTestRow("no host", QByteArray("http://10.0.0.5:4080"), QByteArray(), false);
    addTestRow("ipv6 loopback", QByteArray("http://[::1]:4080"), QByteArray("[::1]:4080"), true);
}

void TestRemoteCore::origins()
{
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, host);
    QFETCH(bool, allowed);
    QCOMPARE(originAllowed(origin, host), allowed);
}

void TestRemoteCore::wrongKeysSlowDown()
{
    FailureThrottle throttle;
    const QString panel = QStringLiteral("10.0.0.9");
    QList<int> delays;
    for (int i = 0; i < 8; ++i) {
        delays << throttle.delayMs(panel, 1000 + i);
        throttle.failed(panel, 1000 + i);
    }
    QCOMPARE(delays, (QList<int>{0, 250, 500, 1000, 2000, 4000, 5000, 5000}));
    QCOMPARE(throttle.delayMs(QStringLiteral("10.0.0.10"), 2000), 0); // another address is not held back
    QCOMPARE(throttle.delayMs(panel, 1008 + FailureThrottle::kForgivenAfterMs + 1), 0);
    throttle.failed(panel, 1008 + FailureThrottle::kForgivenAfterMs + 2);
    QCOMPARE(throttle.delayMs(panel, 1008 + FailureThrottle::kForgivenAfterMs + 3), 250);
    throttle.succeeded(panel);
    QCOMPARE(throttle.delayMs(panel, 1008 + FailureThrottle::kForgivenAfterMs + 4), 0);
}

void TestRemoteCore::doublePressCountsOnce()
{
    DoublePressFilter filter;
    QVERIFY(filter.accept(QStringLiteral("panel"), 10000));
    QVERIFY(!filter.accept(QStringLiteral("panel"), 10300));
    QVERIFY(filter.accept(QStringLiteral("phone"), 10300));
    QVERIFY(filter.accept(QStringLiteral("panel"), 10501));
}

void TestRemoteCore::floodsExceedTheBudget()
{
    MessageBudget budget;
    int taken = 0;
    for (int i = 0; i < 100; ++i)
        taken += budget.take(5000 + i); // a hundred within a tenth of a second
    QCOMPARE(taken, MessageBudget::kMostPerSecond);
    QVERIFY(budget.take(6000)); // the next second starts afresh
}

void TestRemoteCore::keyIsMadeOnceAndRenewed()
{
    TestSandbox sandbox;
    RegistryStore store;
    store.setText(QStringLiteral("remotekey"), QStringLiteral("short'; DROP"));
    const QString key = RemoteKey::current(store);
    QVERIFY2(RemoteKey::isWellFormed(key), qPrintable(key));
    QCOMPARE(RemoteKey::current(store), key);
    QCOMPARE(RegistryStore().text(QStringLiteral("remotekey")).value_or(QString()), key);
    QVERIFY(RemoteKey::matches(key, key));
    QVERIFY(!RemoteKey::matches(key, key.left(21)));
    QVERIFY(!RemoteKey::matches(key, key + QLatin1Char('x')));
    QVERIFY(!RemoteKey::matches(QString(), QString()));
    const QString renewed = RemoteKey::renew(store);
    QVERIFY(renewed != key && RemoteKey::isWellFormed(renewed));
    QVERIFY(!RemoteKey::matches(renewed, key));
}

void TestRemoteCore::config_data()
{
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("listen");
    QTest::addColumn<QString>("expected"); // enabled port loopback
    addTestRow("nothing stored", QString(), QString(), QString(), QString("0 4080 0"));
    addTestRow("on, own port, loopback", QString("1"), QString("5000"), QString("loopback"), QString("1 5000 1"));
    addTestRow("a port below 1024", QString("1"), QString("80"), QString("all"), QString("1 4080 0"));
    addTestRow("a port beyond 65535", QString("1"), QString("70000"), QString("all"), QString("1 4080 0"));
    addTestRow("garbage", QString("yes"), QString("40a0"), QString("everywhere"), QString("0 4080 0"));
}

void TestRemoteCore::config()
{
    QFETCH(QString, enabled);
    QFETCH(QString, port);
    QFETCH(QString, listen);
    QFETCH(QString, expected);
    TestSandbox sandbox;
    ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
    const QString section = QStringLiteral("Remote");
    profile.write(section, QStringLiteral("enabled"), enabled);
    profile.write(section, QStringLiteral("port"), port);
    profile.write(section, QStringLiteral("listen"), listen);
    const RemoteConfig read = RemoteConfig::read(profile);
    QCOMPARE(QStringLiteral("%1 %2 %3").arg(int(read.enabled)).arg(read.port).arg(int(read.loopbackOnly)), expected);
    QVERIFY(read.write(profile));
    const RemoteConfig again = RemoteConfig::read(profile);
    QCOMPARE(again.port, read.port);
    QCOMPARE(again.enabled, read.enabled);
    QCOMPARE(again.loopbackOnly, read.loopbackOnly);
}

void TestRemoteCore::snapshotJson()
{
    RemoteSnapshot s;
    s.status = RemoteSnapshot::Status::Paused;
    s.stageIndex = 1;
    s.stageName = QStringLiteral("报告 <b>");
    s.remainingMs = 90500;
    s.serverNow = 1765000000000;
    const QJsonObject paused = toJson(s);
    QCOMPARE(paused.value("status").toString(), QStringLiteral("paused"));
    QVERIFY(paused.value("endsAt").isNull());
    QVERIFY(paused.value("next").isNull());
    QVERIFY(paused.value("phase").isNull());
    QVERIFY(paused.value("message").isNull());
    QCOMPARE(paused.value("stage").toObject().value("name").toString(), s.stageName);
    QCOMPARE(paused.value("remainingMs").toDouble(), 90500.0);
    QCOMPARE(paused.value("serverNow").toDouble(), 1765000000000.0); // beyond 32 bits, exact

    s.status = RemoteSnapshot::Status::Running;
    s.endsAt = s.serverNow + s.remainingMs;
    s.phase = 0;
    s.message = QStringLiteral("还有两分钟");
    const QJsonObject running = toJson(s);
    QCOMPARE(running.value("endsAt").toDouble(), 1765000090500.0);
    QCOMPARE(running.value("phase").toInt(-1), 0);
    QCOMPARE(running.value("message").toObject().value("text").toString(), s.message);
}

QTEST_MAIN(TestRemoteCore)
#include "tst_remotecore.moc"
