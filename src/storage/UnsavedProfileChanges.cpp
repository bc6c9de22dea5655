#include "storage/UnsavedProfileChanges.h"

#include "storage/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <atomic>

namespace melvanta {

namespace {

struct Session
{
    QMutex mutex; // also keeps two writes of one file from interleaving
    QHash<QString, ProfileOverlay> files;
    QSet<QString> reported;
    QHash<QString, QString> unreported; // file -> reason, refused before anyone listened
    UnsavedProfileChanges::Listener listener;
    // Lets reads skip the lock while every file holds everything.
    std::atomic<bool> anyKept{false};
};

Session& session()
{
    static Session s;
    return s;
}

// One name per file however the program spells its path.
QString fileKey(const QString& filePath)
{
    return QDir::cleanPath(QFileInfo(filePath).absoluteFilePath());
}

// Runs `change` on the file. When the file takes it, `stored` tells the
// overlay and whatever else it kept is written too; when the file refuses
// it, `keep` puts it in the overlay. Names the file cannot hold are refused
// without keeping anything: no later read could see them either.
template <typename Change, typename Keep, typename Stored>
bool apply(const QString& filePath, Change change, Keep keep, Stored stored)
{
    Session& s = session();
    const QString key = fileKey(filePath);
    IniFile file(key);
    UnsavedProfileChanges::Listener tell;
    QString reason;
    bool done = false;
    {
        const QMutexLocker lock(&s.mutex);
        done = change(file);
        if (done) {
            const auto kept = s.files.find(key);
            if (kept != s.files.end()) {
                stored(*kept);
                if (kept->isEmpty() || kept->storeInto(file))
                    s.files.erase(kept);
            }
        } else if (!file.errorString().isEmpty()) {
            keep(s.files[key]);
            if (!s.reported.contains(key)) {
                if (s.listener) {
                    s.reported.insert(key);
                    tell = s.listener;
                    reason = file.errorString();
                } else {
                    s.unreported.insert(key, file.errorString());
                }
            }
        }
        s.anyKept = !s.files.isEmpty();
    }
    // Outside the lock: the listener may well read the profile.
    if (tell)
        tell(key, reason);
    return done;
}

} // namespace

void UnsavedProfileChanges::setListener(Listener listener)
{
    Session& s = session();
    QHash<QString, QString> unreported;
    {
        const QMutexLocker lock(&s.mutex);
        s.listener = listener;
        if (!listener)
            return;
        unreported.swap(s.unreported);
        for (auto file = unreported.cbegin(); file != unreported.cend(); ++file)
            s.reported.insert(file.key());
    }
    for (auto file = unreported.cbegin(); file != unreported.cend(); ++file)
        listener(file.key(), file.value());
}

bool UnsavedProfileChanges::setValue(const QString& filePath, const QString& section, const QString& key,
                                     const QString& value)
{
    return apply(
        filePath, [&](IniFile& file) { return file.setValue(section, key, value); },
        [&](ProfileOverlay& kept) { kept.setValue(section, key, value); },
        [&](ProfileOverlay& kept) { kept.keyStored(section, key, value); });
}

bool UnsavedProfileChanges::removeKey(const QString& filePath, const QString& section, const QString& key)
{
    return apply(
        filePath, [&](IniFile& file) { return file.removeKey(section, key); },
        [&](ProfileOverlay& kept) { kept.removeKey(section, key); },
        [&](ProfileOverlay& kept) { kept.keyStored(section, key, std::nullopt); });
}

bool UnsavedProfileChanges::removeSection(const QString& filePath, const QString& section)
{
    return apply(
        filePath, [&](IniFile& file) { return file.removeSection(section); },
        [&](ProfileOverlay& kept) { kept.removeSection(section); },
        [&](ProfileOverlay& kept) { kept.sectionRemoved(section); });
}

ProfileOverlay UnsavedProfileChanges::overlay(const QString& filePath)
{
    Session& s = session();
    if (!s.anyKept)
        return ProfileOverlay();
    const QMutexLocker lock(&s.mutex);
    return s.files.value(fileKey(filePath));
}

std::optional<QString> UnsavedProfileChanges::value(const QString& filePath, const QString& section, const QString& key)
{
    Session& s = session();
    if (!s.anyKept)
        return std::nullopt;
    const QMutexLocker lock(&s.mutex);
    const auto kept = s.files.constFind(fileKey(filePath));
    return kept == s.files.cend() ? std::nullopt : kept->value(section, key);
}

} // namespace melvanta
