// Start-up benchmark: starts the real program several times in a fresh
// program folder and measures the time from process start to the first
// paint of the clock window, and the peak resident memory at that moment;
// then the same with a stage whose logo is 200 MB of zeros named .jpg.
// Needs a display (tools/with-display.sh). Prints medians.
#include "core/StageSettings.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

void copyProgramFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(path, target);
    }
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Starts the program `runs` times with `env` and prints the figures under `label`.
bool measure(const QString& label, const QString& programDir, const QProcessEnvironment& env, int runs)
{
    QTextStream out(stdout);
    out << label << Qt::endl;
    std::vector<qint64> millis;
    std::vector<qint64> peakKb;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(programDir + QStringLiteral("/melvanta"), {});
        QByteArray line;
        while (!line.contains('\n') && process.waitForReadyRead(20000))
            line += process.readAllStandardOutput();
        const qint64 elapsed = timer.elapsed();
        process.waitForFinished(20000);
        if (!line.startsWith("first-paint ")) {
            out << "  run " << run << ": no first paint reported: " << process.readAllStandardError() << Qt::endl;
            return false;
        }
        millis.push_back(elapsed);
        peakKb.push_back(line.mid(12).trimmed().toLongLong());
        out << "  run " << run << ": " << elapsed << " ms, peak RSS " << peakKb.back() / 1024.0 << " MB" << Qt::endl;
    }
    out << "  start-up to first paint: median " << median(millis) << " ms (min "
        << *std::min_element(millis.begin(), millis.end()) << ", max "
        << *std::max_element(millis.begin(), millis.end()) << ") over " << runs << " runs" << Qt::endl;
    out << "  peak resident memory: median " << QString::number(median(peakKb) / 1024.0, 'f', 1) << " MB" << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = app.arguments().size() > 1 ? app.arguments().at(1).toInt() : 9;

    QTemporaryDir dir;
    const QString programDir = dir.path() + QStringLiteral("/program");
    const QString configDir = dir.path() + QStringLiteral("/config");
    copyProgramFolder(QStringLiteral(MELVANTA_PROGRAM_DIR), programDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MELVANTA_HOME"), programDir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    env.insert(QStringLiteral("MELVANTA_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    if (!measure(QStringLiteral("fresh program folder:"), programDir, env, runs))
        return 1;

    // A logo that is no picture at all: nothing of it may be decoded.
    QFile logo(programDir + QStringLiteral("/picture/zeros.jpg"));
    if (!logo.open(QIODevice::WriteOnly) || !logo.resize(qint64(200) * 1024 * 1024))
        return 1;
    logo.close();
    qputenv("XDG_CONFIG_HOME", configDir.toLocal8Bit());
    melvanta::RegistryStore registry;
    registry.setText(QStringLiteral("vision"), QStringLiteral("4"));
    melvanta::StageSettings stage = melvanta::StageSettings::defaults();
    stage.logopicture = QStringLiteral("zeros.jpg");
    melvanta::SaveStageSettings(registry, stage);
    return measure(QStringLiteral("logo of 200 MB of zeros named .jpg:"), programDir, env, runs) ? 0 : 1;
}
