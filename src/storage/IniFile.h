#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace melvanta {

// A profile (INI) file with the semantics the program relies on:
// section and key names compare case-insensitively, the first matching
// section and the first matching key win, values are trimmed, and a missing
// file, section or key reads as absent. The file is read afresh for every
// call, so a hand edit between two calls is seen. Writes keep every other
// line byte for byte (comments, junk, other sections) and replace the file
// atomically. Text is UTF-8; a byte-order mark is accepted and kept.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The trimmed value of the first `key` in the first `section`, or a null
    // QString when the file, the section or the key does not exist.
    QString value(const QString& section, const QString& key) const;

    // The entries of the first `section` as "key=value" texts in file order
    // (lines without "=" that are not comments are listed as they stand).
    QStringList sectionEntries(const QString& section) const;

    // Sets the first matching key, adding the key (and the section) when
    // missing. Returns false when the file cannot be written.
    bool setValue(const QString& section, const QString& key, const QString& value);

    // Removes the first matching key. Removing what does not exist succeeds.
    bool removeKey(const QString& section, const QString& key);

    // Removes the first matching section with all its entries.
    bool removeSection(const QString& section);

    // Why the last setValue, removeKey or removeSection failed because of the
    // file (it cannot be read or replaced); empty after a success and when
    // the names themselves cannot be written.
    const QString& errorString() const { return m_error; }

    // A section or key name as the file stores it, and the form under which
    // two names are the same.
    static QString trimmedName(const QString& name);
    static QString foldedName(const QString& name);
    // What value() reads back after setValue(..., value) succeeded.
    static QString readBack(const QString& value);

private:
    QString m_path;
    QString m_error;
};

// The values of an INI file as they were when it was read, parsed once, with
// the same reading rules as IniFile::value (first section, first key,
// case-insensitive names). For passes that read many values at once.
class IniSnapshot
{
public:
    explicit IniSnapshot(const QString& path);

    QString value(const QString& section, const QString& key) const;

private:
    QByteArray m_bytes;
    // Case-folded section name -> where its lines begin in m_bytes.
    QHash<QString, qsizetype> m_sections;
};

} // namespace melvanta
