#include "storage/ProfileOverlay.h"

#include "storage/IniFile.h"

namespace melvanta {

namespace {

// The key name of a "key=value" entry; an entry without "=" has none.
QString entryKey(const QString& entry)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : IniFile::foldedName(entry.left(equals));
}

} // namespace

ProfileOverlay::Section& ProfileOverlay::section(const QString& name)
{
    Section& kept = m_sections[IniFile::foldedName(name)];
    if (kept.name.isEmpty())
        kept.name = IniFile::trimmedName(name);
    return kept;
}

const ProfileOverlay::Key* ProfileOverlay::findKey(const QString& section, const QString& key) const
{
    const auto kept = m_sections.constFind(IniFile::foldedName(section));
    if (kept == m_sections.cend())
        return nullptr;
    const QString folded = IniFile::foldedName(key);
    for (const Key& k : kept->keys) {
        if (IniFile::foldedName(k.name) == folded)
            return &k;
    }
    return nullptr;
}

ProfileOverlay::Key& ProfileOverlay::keyOf(const QString& section, const QString& key)
{
    Section& kept = this->section(section);
    const QString folded = IniFile::foldedName(key);
    for (Key& k : kept.keys) {
        if (IniFile::foldedName(k.name) == folded)
            return k;
    }
    kept.keys.append(Key{IniFile::trimmedName(key), std::nullopt});
    return kept.keys.last();
}

void ProfileOverlay::setValue(const QString& section, const QString& key, const QString& value)
{
    keyOf(section, key).value = IniFile::readBack(value);
}

void ProfileOverlay::removeKey(const QString& section, const QString& key)
{
    keyOf(section, key).value.reset();
}

void ProfileOverlay::removeSection(const QString& section)
{
    Section& kept = this->section(section);
    kept.removed = true;
    kept.keys.clear();
}

void ProfileOverlay::dropKey(const QString& section, const QString& key)
{
    const auto kept = m_sections.find(IniFile::foldedName(section));
    if (kept == m_sections.end())
        return;
    const QString folded = IniFile::foldedName(key);
    kept->keys.removeIf([&](const Key& k) { return IniFile::foldedName(k.name) == folded; });
    if (!kept->removed && kept->keys.isEmpty())
        m_sections.erase(kept);
}

void ProfileOverlay::keyStored(const QString& section, const QString& key, const std::optional<QString>& value)
{
    const auto kept = m_sections.constFind(IniFile::foldedName(section));
    if (kept == m_sections.cend())
        return;
    // While the overlay hides the file's section, a value the file took must
    // stay in the overlay to be seen at all.
    if (kept->removed && value)
        setValue(section, key, *value);
    else
        dropKey(section, key);
}

void ProfileOverlay::sectionRemoved(const QString& section)
{
    m_sections.remove(IniFile::foldedName(section));
}

std::optional<QString> ProfileOverlay::value(const QString& section, const QString& key) const
{
    if (const Key* kept = findKey(section, key))
        return kept->value ? *kept->value : QString();
    const auto kept = m_sections.constFind(IniFile::foldedName(section));
    if (kept != m_sections.cend() && kept->removed)
        return QString();
    return std::nullopt;
}

QStringList ProfileOverlay::sectionEntries(const QString& section, QStringList fileEntries) const
{
    const auto kept = m_sections.constFind(IniFile::foldedName(section));
    if (kept == m_sections.cend())
        return fileEntries;
    if (kept->removed)
        fileEntries.clear();
    // Each key as the file's write or removal would have changed it: the
    // first entry of the key, keeping its spelling, or a new one at the end.
    for (const Key& k : kept->keys) {
        const QString folded = IniFile::foldedName(k.name);
        qsizetype at = 0;
        while (at < fileEntries.size() && entryKey(fileEntries.at(at)) != folded)
            ++at;
        if (at == fileEntries.size()) {
            if (k.value)
                fileEntries.append(k.name + QLatin1Char('=') + *k.value);
        } else if (k.value) {
            const QString& entry = fileEntries.at(at);
            fileEntries[at] = entry.left(entry.indexOf(QLatin1Char('=')) + 1) + *k.value;
        } else {
            fileEntries.removeAt(at);
        }
    }
    return fileEntries;
}

bool ProfileOverlay::storeInto(IniFile& file)
{
    for (auto kept = m_sections.begin(); kept != m_sections.end(); kept = m_sections.erase(kept)) {
        if (kept->removed) {
            if (!file.removeSection(kept->name))
                return false;
            kept->removed = false;
        }
        while (!kept->keys.isEmpty()) {
            const Key& k = kept->keys.constFirst();
            if (!(k.value ? file.setValue(kept->name, k.name, *k.value) : file.removeKey(kept->name, k.name)))
                return false;
            kept->keys.removeFirst();
        }
    }
    return true;
}

} // namespace melvanta
