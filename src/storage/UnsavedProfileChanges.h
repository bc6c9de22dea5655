#pragma once

#include "storage/ProfileOverlay.h"

#include <QString>

#include <functional>
#include <optional>

namespace melvanta {

// The changes of this program run that a profile file refused (read-only
// file or folder, full disk, a folder in the file's place …), by file. The
// profile's writes go through here: a refused change is kept in memory so
// that every later read of the file sees it until the program ends, and it
// is written after all once a later change to the same file succeeds. The
// first refusal of each file is reported to the listener, so the operator
// learns that the change will not outlive the program.
class UnsavedProfileChanges
{
public:
    // Called on the writing thread with the file's full path and the reason.
    using Listener = std::function<void(const QString& filePath, const QString& reason)>;
    // One listener for the whole program; an empty one stops the reports.
    // Refusals from before it was set are reported to it at once.
    static void setListener(Listener listener);

    // As IniFile's, true when the file took the change.
    static bool setValue(const QString& filePath, const QString& section, const QString& key, const QString& value);
    static bool removeKey(const QString& filePath, const QString& section, const QString& key);
    static bool removeSection(const QString& filePath, const QString& section);

    // What reads of `filePath` must see instead of the file; empty when the
    // file holds everything.
    static ProfileOverlay overlay(const QString& filePath);
    // The same for one key, as ProfileOverlay::value.
    static std::optional<QString> value(const QString& filePath, const QString& section, const QString& key);
};

} // namespace melvanta
