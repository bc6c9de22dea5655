#include "app/Application.h"
#include "display/ClockWindow.h"
#include "platform/DisplayProbe.h"
#include "platform/ProcessStats.h"

#include <QApplication>
#include <QTimer>
#include <QFont>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

namespace {

// For the start-up benchmark: report the first paint and end.
void reportFirstPaint(melvanta::ClockWindow* window)
{
    QObject::connect(window, &melvanta::ClockWindow::firstPainted, window, [] {
        QTextStream(stdout) << "first-paint " << melvanta::peakResidentKb() << Qt::endl;
        QTimer::singleShot(0, qApp, &QApplication::quit);
    });
}

} // namespace

int main(int argc, char** argv)
{
    QString reason;
    if (!melvanta::displayAvailable(&reason)) {
        QTextStream(stderr) << "melvanta: " << reason << "\n";
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Melvanta"));
    QApplication::setDesktopFileName(QStringLiteral("melvanta"));

    // Standard buttons of message boxes and dialogs in Chinese, like the rest.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // The stage's fonts are Windows names; map them to the Chinese fonts here.
    for (const char* family : {"新宋体", "宋体"})
        QFont::insertSubstitutions(QString::fromUtf8(family),
                                   {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});

    melvanta::Application melvantaApp;
    const melvanta::Application::Start started = melvantaApp.start();
    if (started == melvanta::Application::Start::AlreadyRunning)
        QTextStream(stderr)
            << "melvanta: already running for this program folder; its window was brought to the front\n";
    if (started != melvanta::Application::Start::WindowsShown)
        return 0;
    if (qEnvironmentVariableIsSet("MELVANTA_REPORT_FIRST_PAINT"))
        reportFirstPaint(melvantaApp.clockWindow());
    const int code = QApplication::exec();
    melvantaApp.shutdown();
    return code;
}
