#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QUuid>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// A file that refuses writes in one of the ways a program folder can, until
// undo() or the end of the object:
//   ReadOnlyFile, ReadOnlyFolder: the write permission of the file or of
//       its folder taken away (root writes anyway: holds() is false then);
//   FolderInPlace: a folder where the file was (the file comes back on undo);
//   FullDisk: no file of this process may grow (RLIMIT_FSIZE 0), as when
//       the disk is full; the file itself is left alone.
class Unwritable
{
public:
    enum Kind
    {
        ReadOnlyFile,
        ReadOnlyFolder,
        FolderInPlace,
        FullDisk
    };

    Unwritable(Kind kind, const QString& filePath)
        : m_kind(kind), m_path(kind == ReadOnlyFolder ? QFileInfo(filePath).absolutePath() : filePath)
    {
        switch (m_kind) {
        case ReadOnlyFile:
        case ReadOnlyFolder:
            m_permissions = QFile::permissions(m_path);
            QFile::setPermissions(m_path, m_permissions & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup |
                                                            QFile::WriteOther));
            break;
        case FolderInPlace: {
            QFile file(m_path);
            m_hadFile = file.open(QIODevice::ReadOnly);
            if (m_hadFile)
                m_bytes = file.readAll();
            file.close();
            QFile::remove(m_path);
            QDir().mkdir(m_path);
            break;
        }
        case FullDisk:
#ifdef Q_OS_UNIX
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
            getrlimit(RLIMIT_FSIZE, &m_limit);
            rlimit none = m_limit;
            none.rlim_cur = 0;
            setrlimit(RLIMIT_FSIZE, &none);
#endif
            break;
        }
    }
    ~Unwritable()
    {
        undo();
    }
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;

    // Whether writes are refused now; tries one that changes nothing.
    bool holds() const
    {
        switch (m_kind) {
        case ReadOnlyFile:
            return !QFile(m_path).open(QIODevice::Append);
        case ReadOnlyFolder: {
            QFile probe(QDir(m_path).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces)));
            if (!probe.open(QIODevice::WriteOnly))
                return true;
            probe.remove();
            return false;
        }
        case FolderInPlace:
            return QFileInfo(m_path).isDir();
        case FullDisk:
#ifdef Q_OS_UNIX
            return true;
#else
            return false;
#endif
        }
        return false;
    }

    void undo()
    {
        if (m_undone)
            return;
        m_undone = true;
        switch (m_kind) {
        case ReadOnlyFile:
        case ReadOnlyFolder:
            QFile::setPermissions(m_path, m_permissions);
            break;
        case FolderInPlace:
            QDir().rmdir(m_path);
            if (m_hadFile) {
                QFile file(m_path);
                if (file.open(QIODevice::WriteOnly))
                    file.write(m_bytes);
            }
            break;
        case FullDisk:
#ifdef Q_OS_UNIX
            setrlimit(RLIMIT_FSIZE, &m_limit);
#endif
            break;
        }
    }

private:
    Kind m_kind;
    QString m_path; // the folder for ReadOnlyFolder
    QFile::Permissions m_permissions;
    QByteArray m_bytes;
    bool m_hadFile = false;
    bool m_undone = false;
#ifdef Q_OS_UNIX
    rlimit m_limit{};
#endif
};

Q_DECLARE_METATYPE(Unwritable::Kind)
