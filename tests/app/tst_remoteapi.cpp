#include "DataRows.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "remote/RemoteConfig.h"
#include "remote/RemoteServer.h"
#include "remote/RequestGuard.h"
#include "settings/SettingsDialog.h"
#include "storage/ProfileFile.h"
#include "storage/ProgramStores.h"
#include "storage/RegistryStore.h"
#include "support/MessageBox.h"
#include "timing/RunEngine.h"

#include <QCheckBox>
#include <QJsonDocument>
#include <QDialog>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QPushButton>
#include <QComboBox>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QWebSocket>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace melvanta;

// The clock driven and watched over the network, as a phone or a panel
// does it: the real program with its remote on a free port of this machine.
class TestRemoteApi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void commandsDriveTheRun();
    void refusedRequestsChangeNothing_data();
    void refusedRequestsChangeNothing();
    void webSocketWatchesAndCommands();
    void takenPortLeavesTheClockRunning();
    void settingsTurnTheRemoteOn();
    void joinWindowGivesTheLinksAndANewKey();
    void burstsLeaveTheClockOnTime();

private:
    struct Reply
    {
        int status = 0;
        QJsonObject json;
    };
    void startProgram(int port);
    Reply call(const QByteArray& method, const QString& path, const QList<QPair<QByteArray, QByteArray>>& headers = {},
               const QByteArray& body = QByteArray());
    QString key() const;

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<Application> m_app;
    QNetworkAccessManager m_network;
    int m_port = 0;
};

namespace {

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

void TestRemoteApi::init()
{
    MessageBox::setTestHook(true);
    MessageBox::takeRecordedBoxes();
    m_sandbox = std::make_unique<TestSandbox>();
    m_sandbox->installDataFiles();
    storeCurrentStage(60);
    RegistryStore().setNumber(QStringLiteral("Time_Record"), 1);
}

void TestRemoteApi::cleanup()
{
    m_app.reset();
    m_sandbox.reset();
}

void TestRemoteApi::startProgram(int port)
{
    m_port = port;
    ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
    profile.write(QStringLiteral("Remote"), QStringLiteral("enabled"), QStringLiteral("1"));
    profile.write(QStringLiteral("Remote"), QStringLiteral("port"), QString::number(port));
    profile.write(QStringLiteral("Remote"), QStringLiteral("listen"), QStringLiteral("loopback"));
    m_app = std::make_unique<Application>();
    QCOMPARE(m_app->start(), Application::Start::WindowsShown);
}

QString TestRemoteApi::key() const
{
    return RegistryStore().text(QStringLiteral("remotekey")).value_or(QString());
}

TestRemoteApi::Reply TestRemoteApi::call(const QByteArray& method, const QString& path,
                                         const QList<QPair<QByteArray, QByteArray>>& headers, const QByteArray& body)
{
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)));
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = m_network.sendCustomRequest(request, method, body);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    finished.wait(10000);
    Reply answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.json = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    return answer;
}

void TestRemoteApi::commandsDriveTheRun()
{
    startProgram(freePort());
    QCOMPARE(call("GET", "/api/v1/state").json.value("status").toString(), QStringLiteral("idle"));
    const QString token = QStringLiteral("?token=") + key();
    const Reply started = call("POST", "/api/v1/start" + token);
    QCOMPARE(started.status, 200);
    QCOMPARE(started.json.value("ok").toBool(), true);
    QCOMPARE(started.json.value("state").toObject().value("status").toString(), QStringLiteral("running"));
    QCOMPARE(m_app->engine()->status(), RunStatus::Running);
    QTRY_COMPARE_WITH_TIMEOUT(m_app->clockWindow()->clockText(), QStringLiteral("00:59"), 3000);
    const QJsonObject running = call("GET", "/api/v1/state").json;
    QCOMPARE(running.value("text").toString(), m_app->clockWindow()->clockText());
    QVERIFY(running.value("endsAt").toDouble() > running.value("serverNow").toDouble() + 50000);

    // A minute more on the running countdown.
    QCOMPARE(call("POST", "/api/v1/addtime/60" + token).status, 200);
    QVERIFY2(m_app->clockWindow()->clockText().startsWith(QLatin1String("01:5")),
             qPrintable(m_app->clockWindow()->clockText()));

    // A message for the speaker on the main screen's prompt line stays there
    // while the phases' prompts come and go, until it is hidden.
    QCOMPARE(call("POST", "/api/v1/message" + token + "&text=%E8%AF%B7%E6%94%B6%E5%B0%BE&screen=1").status, 200);
    QTest::qWait(1500);
    QCOMPARE(m_app->clockWindow()->textLine(3)->text(), QStringLiteral("请收尾"));
    QCOMPARE(call("POST", "/api/v1/message/hide" + token).status, 200);
    QVERIFY(m_app->clockWindow()->textLine(3)->text() != QStringLiteral("请收尾"));

    // Panels send GETs; the key can come in a header too.
    QCOMPARE(call("GET", "/api/v1/pause", {{"X-Api-Key", key().toLatin1()}}).status, 200);
    QCOMPARE(m_app->engine()->status(), RunStatus::Paused);
    QVERIFY(call("GET", "/api/v1/state").json.value("endsAt").isNull());
    QCOMPARE(call("POST", "/api/v1/resume", {{"Authorization", "Bearer " + key().toLatin1()}}).status, 200);
    QCOMPARE(m_app->engine()->status(), RunStatus::Running);
    QCOMPARE(call("POST", "/api/v1/stop" + token).json.value("state").toObject().value("status").toString(),
             QStringLiteral("stopped"));
    QCOMPARE(call("POST", "/api/v1/clear" + token).status, 200);
    QTRY_COMPARE(m_app->engine()->status(), RunStatus::Idle);
    // A message for the speaker, on the main screen's prompt line as well.
    QCOMPARE(call("POST", "/api/v1/message" + token + "&text=%E8%AF%B7%E6%94%B6%E5%B0%BE&screen=1").status, 200);
    QCOMPARE(call("GET", "/api/v1/state").json.value("message").toObject().value("text").toString(),
             QStringLiteral("请收尾"));
    QCOMPARE(m_app->clockWindow()->textLine(3)->text(), QStringLiteral("请收尾"));
    QCOMPARE(call("POST", "/api/v1/message/hide" + token).status, 200);
    QVERIFY(call("GET", "/api/v1/state").json.value("message").isNull());
}

void TestRemoteApi::refusedRequestsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<bool>("withKey");
    QTest::addColumn<int>("status");
    addTestRow("no key", QByteArray("POST"), QString("/api/v1/start"), QByteArray(), QByteArray(), 0, false, 401);
    addTestRow("wrong key", QByteArray("POST"), QString("/api/v1/start?token=AAAAAAAAAAAAAAAAAAAAAA"), QByteArray(),
               QByteArray(), 0, false, 401);
    addTestRow("another site's page", QByteArray("POST"), QString("/api/v1/start"), QByteArray("Origin"),
               QByteArray("http://evil.example"), 0, true, 403);
    addTestRow("a megabyte body", QByteArray("POST"), QString("/api/v1/start"), QByteArray(), QByteArray(), 1 << 20,
               true, 413);
    addTestRow("odd method", QByteArray("DELETE"), QString("/api/v1/start"), QByteArray(), QByteArray(), 0, true, 405);
    addTestRow("unknown stage", QByteArray("POST"), QString("/api/v1/load/99"), QByteArray(), QByteArray(), 0, true,
               409);
    addTestRow("more time while idle", QByteArray("POST"), QString("/api/v1/addtime/60"), QByteArray(), QByteArray(), 0,
               true, 409);
    addTestRow("unknown command", QByteArray("POST"), QString("/api/v1/explode"), QByteArray(), QByteArray(), 0, true,
               400);
    addTestRow("dots in the path", QByteArray("GET"), QString("/web/%2E%2E/%2E%2E/etc/passwd"), QByteArray(),
               QByteArray(), 0, false, 404);
    addTestRow("invalid UTF-8", QByteArray("POST"), QString("/api/v1/%FF%FE?text=%FF"), QByteArray(), QByteArray(), 0,
               true, 400);
    addTestRow("nothing there", QByteArray("GET"), QString("/nothing"), QByteArray(), QByteArray(), 0, false, 404);
}

void TestRemoteApi::refusedRequestsChangeNothing()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, value);
    QFETCH(int, bodySize);
    QFETCH(bool, withKey);
    QFETCH(int, status);
    startProgram(freePort());
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!header.isEmpty())
        headers << qMakePair(header, value);
    if (withKey)
        headers << qMakePair(QByteArray("X-Api-Key"), key().toLatin1());
    const Reply reply = call(method, path, headers, QByteArray(bodySize, 'x'));
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.json.value("ok").toBool(true), false);
    QCOMPARE(m_app->engine()->status(), RunStatus::Idle);
    // The server goes on answering.
    QCOMPARE(call("GET", "/api/v1/state").status, 200);
}

void TestRemoteApi::webSocketWatchesAndCommands()
{
    startProgram(freePort());
    auto receive = [](QWebSocket& socket) {
        QSignalSpy message(&socket, &QWebSocket::textMessageReceived);
        if (!message.wait(5000))
            return QJsonObject();
        return QJsonDocument::fromJson(message.at(0).at(0).toString().toUtf8()).object();
    };
    QWebSocket watcher;
    watcher.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(m_port)));
    const QJsonObject first = receive(watcher);
    QCOMPARE(first.value("type").toString(), QStringLiteral("state"));
    QCOMPARE(first.value("state").toObject().value("status").toString(), QStringLiteral("idle"));
    watcher.sendTextMessage(QStringLiteral(R"({"cmd":"ping","id":7})"));
    const QJsonObject pong = receive(watcher);
    QCOMPARE(pong.value("type").toString(), QStringLiteral("pong"));
    QCOMPARE(pong.value("id").toInt(), 7);
    // A view without the key may watch, not command.
    QSignalSpy closed(&watcher, &QWebSocket::disconnected);
    watcher.sendTextMessage(QStringLiteral(R"({"cmd":"start"})"));
    QVERIFY(closed.wait(5000));
    QCOMPARE(watcher.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    QCOMPARE(m_app->engine()->status(), RunStatus::Idle);

    QWebSocket operatorPhone;
    operatorPhone.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?token=%2").arg(m_port).arg(key())));
    QCOMPARE(receive(operatorPhone).value("type").toString(), QStringLiteral("state"));
    operatorPhone.sendTextMessage(QStringLiteral(R"({"cmd":"start","id":1})"));
    QJsonObject answer;
    for (int i = 0; i < 5 && answer.value("type").toString() != QLatin1String("result"); ++i)
        answer = receive(operatorPhone);
    QCOMPARE(answer.value("ok").toBool(), true);
    QTRY_COMPARE(m_app->engine()->status(), RunStatus::Running);
    // Another site's page may not open one at all.
    QWebSocket foreign;
    QNetworkRequest foreignRequest(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?token=%2").arg(m_port).arg(key())));
    foreignRequest.setRawHeader("Origin", "http://evil.example");
    QSignalSpy foreignClosed(&foreign, &QWebSocket::disconnected);
    foreign.open(foreignRequest);
    QVERIFY(foreignClosed.wait(5000));
    QCOMPARE(foreign.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    // Garbage from a commander is answered, not acted on.
    operatorPhone.sendBinaryMessage(QByteArray("\xff\xfe{"));
    operatorPhone.sendTextMessage(QStringLiteral("{not json"));
    // A flood of messages from a view ends that view, and nothing else.
    QWebSocket flooder;
    flooder.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(m_port)));
    QCOMPARE(receive(flooder).value("type").toString(), QStringLiteral("state"));
    QSignalSpy flooderClosed(&flooder, &QWebSocket::disconnected);
    for (int i = 0; i < 500; ++i)
        flooder.sendTextMessage(QStringLiteral(R"({"cmd":"ping","id":%1})").arg(i));
    QVERIFY(flooderClosed.wait(5000));
    QCOMPARE(m_app->engine()->status(), RunStatus::Running);
    // Every shown second reaches the views.
    QJsonObject pushed;
    for (int i = 0; i < 20 && pushed.value("state").toObject().value("text").toString() != QLatin1String("00:59"); ++i)
        pushed = receive(operatorPhone);
    QCOMPARE(pushed.value("state").toObject().value("text").toString(), QStringLiteral("00:59"));
}

void TestRemoteApi::takenPortLeavesTheClockRunning()
{
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::Any, 0));
    startProgram(holder.serverPort());
    QVERIFY(!m_app->remoteServer());
    const QStringList told = MessageBox::takeRecordedMessages();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.at(0).contains(QString::number(holder.serverPort())), qPrintable(told.at(0)));
    QVERIFY(m_app->clockWindow()->isVisible());
}

void TestRemoteApi::settingsTurnTheRemoteOn()
{
    m_app = std::make_unique<Application>();
    QCOMPARE(m_app->start(), Application::Start::WindowsShown);
    QVERIFY(!m_app->remoteServer()); // off until the operator turns it on
    m_app->runCommand(MenuHost::Settings);
    SettingsDialog* dialog = m_app->settingsDialog();
    QVERIFY(dialog);
    dialog->findChild<QCheckBox*>(QStringLiteral("Check10"))->setChecked(true);
    auto* port = dialog->findChild<QLineEdit*>(QStringLiteral("Text4_10"));
    port->setText(QStringLiteral("80"));
    QVERIFY(!dialog->applyEntries());
    QCOMPARE(MessageBox::takeRecordedMessages(),
             QStringList{QStringLiteral("网络遥控的端口要在1024到65535之间，请修改")});
    QVERIFY(!m_app->remoteServer());
    m_port = freePort();
    port->setText(QString::number(m_port));
    QVERIFY(dialog->applyEntries());
    QVERIFY(m_app->remoteServer());
    QCOMPARE(call("GET", "/api/v1/state").status, 200);
    dialog->findChild<QCheckBox*>(QStringLiteral("Check10"))->setChecked(false);
    QVERIFY(dialog->applyEntries());
    QVERIFY(!m_app->remoteServer());
    QCOMPARE(RemoteConfig::read(m_app->stores()->profile()).port, m_port);
}

void TestRemoteApi::joinWindowGivesTheLinksAndANewKey()
{
    startProgram(freePort());
    m_app->runCommand(MenuHost::RemoteJoin);
    QDialog* window = nullptr;
    QTRY_VERIFY((window = m_app->clockWindow()->findChild<QDialog*>(QStringLiteral("Frm_remote"))));
    auto* address = window->findChild<QComboBox*>(QStringLiteral("Combo_address"));
    QCOMPARE(address->currentText(), QStringLiteral("127.0.0.1")); // it listens on this machine only
    const QString oldKey = key();
    auto* control = window->findChild<QLineEdit*>(QStringLiteral("Text_control"));
    QCOMPARE(control->text(), QStringLiteral("http://127.0.0.1:%1/control?token=%2").arg(m_port).arg(oldKey));
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text_view"))->text(),
             QStringLiteral("http://127.0.0.1:%1/view").arg(m_port));
    // What a phone's camera reads from the code is the link itself.
    QTemporaryDir scans;
    const QString png = scans.filePath(QStringLiteral("control.png"));
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("Image_control"))->pixmap().save(png));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), png});
    QVERIFY(zbar.waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), control->text());

    window->findChild<QPushButton*>(QStringLiteral("Command_renew"))->click();
    QVERIFY(key() != oldKey);
    QVERIFY(control->text().endsWith(key()));
    QCOMPARE(call("POST", "/api/v1/start?token=" + oldKey).status, 401); // the old key stops at once
    // Right after a wrong key this address waits, even with the right one.
    QCOMPARE(call("POST", "/api/v1/start?token=" + key()).status, 429);
    QTest::qWait(FailureThrottle::kFirstDelayMs + 50);
    QCOMPARE(call("POST", "/api/v1/start?token=" + key()).status, 200);
}

void TestRemoteApi::burstsLeaveTheClockOnTime()
{
    storeCurrentStage(30);
    startProgram(freePort());
    m_app->runCommand(MenuHost::Start);
    QTRY_COMPARE(m_app->engine()->status(), RunStatus::Running);
    // When each shown second appeared.
    QList<qint64> flips;
    QElapsedTimer clock;
    clock.start();
    QString shown = m_app->clockWindow()->clockText();
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (m_app->clockWindow()->clockText() != shown) {
            shown = m_app->clockWindow()->clockText();
            flips << clock.elapsed();
        }
    });
    watch.start(5);

    // A thousand commands and a hundred viewers that come and go, all at once.
    const QString token = QStringLiteral("?token=") + key();
    QList<QNetworkReply*> replies;
    for (int i = 0; i < 1000; ++i) {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/api/v1/%2%3")
                                         .arg(m_port)
                                         .arg(i % 2 ? QStringLiteral("start") : QStringLiteral("state"))
                                         .arg(token)));
        replies << m_network.get(request);
    }
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < 100; ++i) {
        viewers.push_back(std::make_unique<QWebSocket>());
        viewers.back()->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(m_port)));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(replies.cbegin(), replies.cend(), [](QNetworkReply* r) { return r->isFinished(); }), 20000);
    for (auto& viewer : viewers)
        viewer->abort();
    QTest::qWait(3500);
    watch.stop();
    qDeleteAll(replies);

    QCOMPARE(m_app->engine()->status(), RunStatus::Running); // start while running is no stop
    QVERIFY2(flips.size() >= 3, qPrintable(QString::number(flips.size())));
    for (int i = 1; i < flips.size(); ++i) {
        const qint64 gap = flips.at(i) - flips.at(i - 1);
        QVERIFY2(gap > 800 && gap < 1200, qPrintable(QStringLiteral("a second of %1 ms").arg(gap)));
    }
    QCOMPARE(call("GET", "/api/v1/state").status, 200);
}

QTEST_MAIN(TestRemoteApi)
#include "tst_remoteapi.moc"
