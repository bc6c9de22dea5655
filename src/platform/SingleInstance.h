#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace melvanta {

// Makes sure one copy of the program serves a program folder. The lock file
// (in the temporary folder, so that a read-only installation works too)
// names the owner's process id and its program folder; the owner also
// answers a local socket with its folder, which is how a start tells a live
// copy of this folder from a stale lock, a reused process id or a copy of
// another folder. Only a live copy of this folder stops a start; every other
// lock is taken over, and one that cannot be used is reported.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim
    {
        Owner,            // this copy serves the folder; the lock is held until destruction
        RunningElsewhere, // a live copy serves the folder and was asked to come to the front
        Unguarded,        // no lock could be made (see problem()); this copy runs anyway
    };

    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    Claim claim();
    QString lockPath() const { return m_lockPath; }
    // Why the lock could not be used, naming the lock path; empty otherwise.
    QString problem() const { return m_problem; }

Q_SIGNALS:
    // Another start for this folder asked this copy to come to the front.
    void frontRequested();

private:
    // True when a live copy answered for this folder (it then comes to the front).
    bool askRunningCopy() const;
    bool askRunningCopyFor(int waitMs) const;
    bool createLock();
    void listen();
    void answer();

    QString m_folder;
    QString m_lockPath;
    QString m_serverName;
    QString m_problem;
    QLocalServer* m_server = nullptr;
    bool m_ownsLock = false;
};

} // namespace melvanta
