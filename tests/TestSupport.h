#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private program folder and config folder for one test: MELVANTA_HOME and
// XDG_CONFIG_HOME point into a fresh temporary folder, so nothing touches the
// real user's settings. The previous environment comes back on destruction.
class TestSandbox
{
public:
    // `base`: the folder the sandbox is made in (the temporary folder when empty).
    explicit TestSandbox(const QString& base = QString());
    ~TestSandbox();
    TestSandbox(const TestSandbox&) = delete;
    TestSandbox& operator=(const TestSandbox&) = delete;

    // The program folder, with a trailing "/".
    QString programFolder() const;
    QString configFolder() const;
    QString filePath(const QString& name) const { return programFolder() + name; }

    // Copies the data files of the built program folder (databases, help page,
    // sounds, picture) into the sandbox's program folder.
    void installDataFiles() const;

    // Writes `bytes` to a file in the program folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
    bool m_hadHome;
    bool m_hadConfig;
};

// Stores a current stage of `seconds` (defaults otherwise) in the per-user
// store of the sandbox, as a previous run of the program would have left it.
void storeCurrentStage(int seconds);
