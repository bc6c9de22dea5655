#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace melvanta {

class IniFile;

// The changes to one profile file that the file refused, laid over what it
// holds so that reads see what the program meant to store: values set, keys
// removed, whole sections removed. Names compare as IniFile compares them;
// values are kept as IniFile would read them back.
class ProfileOverlay
{
public:
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);

    // The file took a change itself: what the overlay said about it is no
    // longer needed. `value` is what was set, nothing for a removal.
    void keyStored(const QString& section, const QString& key, const std::optional<QString>& value);
    void sectionRemoved(const QString& section);

    bool isEmpty() const { return m_sections.isEmpty(); }

    // What a read of section/key sees: nothing when the overlay has no say
    // (the file decides), a null QString when the key was removed.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // The section's entries ("key=value", as IniFile::sectionEntries lists
    // them) as they read once the overlay is laid over the file's.
    QStringList sectionEntries(const QString& section, QStringList fileEntries) const;

    // Writes the kept changes into `file`, dropping each one it takes; stops
    // at the first it refuses. True when nothing is left.
    bool storeInto(IniFile& file);

private:
    struct Key
    {
        QString name;                 // as the program spelled it
        std::optional<QString> value; // nothing: removed
    };
    struct Section
    {
        QString name;
        bool removed = false; // the file's own entries no longer count
        QList<Key> keys;      // in the order they were first changed
    };

    Section& section(const QString& name);
    Key& keyOf(const QString& section, const QString& key); // added when missing
    const Key* findKey(const QString& section, const QString& key) const;
    void dropKey(const QString& section, const QString& key);

    QHash<QString, Section> m_sections; // by folded name
};

} // namespace melvanta
