#include "storage/ProfileFile.h"

#include "core/Encodings.h"
#include "storage/IniFile.h"
#include "storage/UnsavedProfileChanges.h"

#include <QStringList>

#include <utility>

namespace melvanta {

namespace {

// The size of the program's read buffer, terminating NUL included.
constexpr int kProfileBufferSize = kProfileValueLimit + 1;

const QChar kNul(0);

// The first `limit` characters of `text`, without splitting a surrogate pair.
QString cut(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    if (limit > 0 && text.at(limit - 1).isHighSurrogate())
        --limit;
    return text.left(limit);
}

// The read buffer holds text only up to its first NUL.
QString upToNul(const QString& text)
{
    const qsizetype nul = text.indexOf(kNul);
    return nul < 0 ? text : text.left(nul);
}

// Trim as the program's string functions do it: spaces only.
QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

// What a read hands back of a stored value: the buffer's share of it, or
// the default when there is nothing.
QString readResult(const QString& stored, const QString& defaultValue)
{
    const QString value = cut(upToNul(stored), kProfileValueLimit);
    return value.isEmpty() ? defaultValue : value;
}

QString readPart(const QString& filePath, const QString& section, const QString& key, const QString& defaultValue)
{
    const std::optional<QString> unsaved = UnsavedProfileChanges::value(filePath, section, key);
    return readResult(unsaved ? *unsaved : IniFile(filePath).value(section, key), defaultValue);
}

QString readAll(const QString& filePath, const QString& section, const QString& defaultValue)
{
    // The section as the profile API hands it over: every entry followed by
    // a NUL, one more NUL at the end, all of it cut to the buffer.
    QString block;
    const QStringList entries =
        UnsavedProfileChanges::overlay(filePath).sectionEntries(section, IniFile(filePath).sectionEntries(section));
    for (const QString& entry : entries) {
        block += entry;
        block += kNul;
    }
    block += kNul;
    const QString joined = joinSectionBlock(cut(block, kProfileBufferSize));
    return joined.isEmpty() ? defaultValue : joined;
}

QVariant result(bool ok)
{
    return QVariant(ok ? 1 : 0);
}

} // namespace

QVariant iniset(const QString& mode, const QString& filePath, const QString& section, const QString& key,
                const QString& value)
{
    if (mode == QLatin1String("readpart"))
        return readPart(filePath, section, key, value);
    if (mode == QLatin1String("readall"))
        return readAll(filePath, section, value);
    if (mode == QLatin1String("write"))
        return result(UnsavedProfileChanges::setValue(filePath, section, key, cut(value, kProfileValueLimit)));
    if (mode == QLatin1String("delpart"))
        return result(UnsavedProfileChanges::removeKey(filePath, section, key));
    if (mode == QLatin1String("delall"))
        return result(UnsavedProfileChanges::removeSection(filePath, section));
    return QVariant();
}

QString joinSectionBlock(const QString& block)
{
    // The last character is the block's own terminating NUL.
    QString joined;
    for (qsizetype i = 0; i + 1 < block.size(); ++i) {
        const QChar c = block.at(i);
        if (c != kNul)
            joined += c;
        else if (!joined.endsWith(QLatin1Char(',')))
            joined += QLatin1Char(',');
    }
    joined = trimSpaces(joined);
    if (joined.endsWith(QLatin1Char(',')))
        joined.chop(1);
    return joined;
}

ProfileFile::ProfileFile(QString filePath) : m_filePath(std::move(filePath))
{}

QString ProfileFile::readPart(const QString& section, const QString& key, const QString& defaultValue) const
{
    return iniset(QStringLiteral("readpart"), m_filePath, section, key, defaultValue).toString();
}

double ProfileReader::readNumber(const QString& section, const QString& key, double defaultValue) const
{
    const QString text = trimSpaces(readPart(section, key, QString()));
    return text.isEmpty() ? defaultValue : vbVal(text);
}

QString ProfileFile::readAll(const QString& section, const QString& defaultValue) const
{
    return iniset(QStringLiteral("readall"), m_filePath, section, QString(), defaultValue).toString();
}

bool ProfileFile::write(const QString& section, const QString& key, const QString& value)
{
    return iniset(QStringLiteral("write"), m_filePath, section, key, value).toInt() == 1;
}

bool ProfileFile::deletePart(const QString& section, const QString& key)
{
    return iniset(QStringLiteral("delpart"), m_filePath, section, key, QString()).toInt() == 1;
}

ProfileSnapshot::ProfileSnapshot(const QString& filePath)
    : m_ini(filePath), m_unsaved(UnsavedProfileChanges::overlay(filePath))
{}

QString ProfileSnapshot::readPart(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QString> unsaved = m_unsaved.value(section, key);
    return readResult(unsaved ? *unsaved : m_ini.value(section, key), defaultValue);
}

bool ProfileFile::deleteAll(const QString& section)
{
    return iniset(QStringLiteral("delall"), m_filePath, section, QString(), QString()).toInt() == 1;
}

} // namespace melvanta
