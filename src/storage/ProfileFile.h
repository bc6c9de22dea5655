#pragma once

#include "storage/IniFile.h"
#include "storage/ProfileOverlay.h"

#include <QString>
#include <QVariant>

namespace melvanta {

// Name of the profile file in the program folder.
inline constexpr char kProfileFileName[] = "TimeData.db";

// Reads and writes are cut at this many characters, as the program's
// fixed read buffer of 10000 characters (with its terminating NUL) did.
inline constexpr int kProfileValueLimit = 9999;

// The single access function to the profile file.
//   "readpart": the value of section/key, or `value` when that is missing or empty;
//   "readall":  the section's entries joined by "," (see joinSectionBlock),
//               or `value` when the section is missing or empty;
//   "write":    sets section/key to `value`; returns 1 on success, 0 on failure;
//   "delpart":  removes section/key; returns 1 on success, 0 on failure;
//   "delall":   removes the whole section; returns 1 on success, 0 on failure.
// A change the file refuses still holds for the reads of this program run
// (see UnsavedProfileChanges).
// Any other mode does nothing and returns an invalid QVariant. Never throws.
QVariant iniset(const QString& mode, const QString& filePath, const QString& section, const QString& key,
                const QString& value);

// Turns a section block (entries separated by NUL characters, as the
// profile API returns them) into "a=1,b=2": NULs become single commas,
// blanks are trimmed from both ends and one trailing comma dropped.
QString joinSectionBlock(const QString& block);

// What reading the profile offers, from the file itself or from a snapshot.
class ProfileReader
{
public:
    virtual ~ProfileReader() = default;
    // "readpart": the value of section/key, or `defaultValue` when that is missing or empty.
    virtual QString readPart(const QString& section, const QString& key, const QString& defaultValue) const = 0;
    // readPart followed by the program's numeric reading (trim, then vbVal).
    double readNumber(const QString& section, const QString& key, double defaultValue) const;
};

// Convenience wrapper bound to one profile file; every read sees the file
// as it is now, with what it refused this session laid over it.
class ProfileFile : public ProfileReader
{
public:
    explicit ProfileFile(QString filePath);

    QString readPart(const QString& section, const QString& key, const QString& defaultValue) const override;
    QString readAll(const QString& section, const QString& defaultValue) const;
    bool write(const QString& section, const QString& key, const QString& value);
    bool deletePart(const QString& section, const QString& key);
    bool deleteAll(const QString& section);

    const QString& filePath() const { return m_filePath; }

private:
    QString m_filePath;
};

// The profile file read once: the layout pass reads every element's place
// from one snapshot instead of parsing the file for each value.
class ProfileSnapshot : public ProfileReader
{
public:
    explicit ProfileSnapshot(const QString& filePath);

    QString readPart(const QString& section, const QString& key, const QString& defaultValue) const override;

private:
    IniSnapshot m_ini;
    ProfileOverlay m_unsaved; // what the file refused this session
};

} // namespace melvanta
