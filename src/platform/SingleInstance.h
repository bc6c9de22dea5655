#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace melvanta {

// Makes sure one copy of the program runs per program folder. The lock is a
// file holding the owner's process id, so a lock left by a copy that crashed
// is recognised as stale and taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& programFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this is the only copy; the lock is then held until destruction.
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace melvanta
