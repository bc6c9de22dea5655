#include "TestSupport.h"

#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

TestSandbox::TestSandbox(const QString& base)
    : m_dir(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/melvanta-test-XXXXXX")
                           : base + QStringLiteral("/melvanta-test-XXXXXX")),
      m_oldHome(qgetenv("MELVANTA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME")),
      m_hadHome(qEnvironmentVariableIsSet("MELVANTA_HOME")), m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("program"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("MELVANTA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/program")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder()));
}

TestSandbox::~TestSandbox()
{
    if (m_hadHome)
        qputenv("MELVANTA_HOME", m_oldHome);
    else
        qunsetenv("MELVANTA_HOME");
    if (m_hadConfig)
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TestSandbox::programFolder() const
{
    return m_dir.path() + QStringLiteral("/program/");
}

QString TestSandbox::configFolder() const
{
    return m_dir.path() + QStringLiteral("/config");
}

void TestSandbox::installDataFiles() const
{
    const QString source = QStringLiteral(MELVANTA_PROGRAM_DIR);
    QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(source).relativeFilePath(path);
        if (QFileInfo(path).isExecutable())
            continue; // the executable itself stays where it was built
        const QString target = programFolder() + relative;
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        QFile::copy(path, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}

QString TestSandbox::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

void storeCurrentStage(int seconds)
{
    melvanta::RegistryStore registry;
    registry.setText(QStringLiteral("vision"), QStringLiteral("4"));
    melvanta::StageSettings stage = melvanta::StageSettings::defaults();
    stage.Time_all = QTime(0, 0, 0).addSecs(seconds);
    melvanta::SaveStageSettings(registry, stage);
}
