#include "storage/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QVector>

#include <utility>

namespace melvanta {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// UTF-8 to text; invalid bytes become replacement characters. A leading
// U+FEFF is part of the text here, not a byte-order mark to drop.
QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One physical line of the file: its bytes and the line break that ended it
// ("\r\n", "\n", "\r", or nothing for a last line without one).
struct Line
{
    QByteArray text;
    QByteArray eol;
};

enum class LineKind
{
    Blank,
    Comment,
    Section,
    Key,
    Other
};

// What a line means. Names and values are decoded as UTF-8 (invalid bytes
// become replacement characters) and trimmed of blanks.
struct LineInfo
{
    LineKind kind = LineKind::Blank;
    QString name;  // section name or key name
    QString value; // key value; the whole trimmed line for Other
};

// Whether a line is a section header, without decoding it.
bool isSectionHeader(const QByteArray& text)
{
    qsizetype first = 0;
    while (first < text.size() && isBlank(text.at(first)))
        ++first;
    return first < text.size() && text.at(first) == '[' && text.indexOf(']', first + 1) >= 0;
}

LineInfo classify(const QByteArray& text)
{
    LineInfo info;
    qsizetype first = 0;
    while (first < text.size() && isBlank(text.at(first)))
        ++first;
    if (first == text.size())
        return info;
    if (text.at(first) == ';') {
        info.kind = LineKind::Comment;
        return info;
    }
    if (text.at(first) == '[') {
        // A header ends at its first "]"; whatever follows it is ignored.
        const qsizetype close = text.indexOf(']', first + 1);
        if (close >= 0) {
            info.kind = LineKind::Section;
            info.name = trimBlanks(decode(text.mid(first + 1, close - first - 1)));
            return info;
        }
    }
    const qsizetype equals = text.indexOf('=', first);
    if (equals < 0) {
        info.kind = LineKind::Other;
        info.value = trimBlanks(decode(text.mid(first)));
        return info;
    }
    info.kind = LineKind::Key;
    info.name = trimBlanks(decode(text.mid(first, equals - first)));
    info.value = trimBlanks(decode(text.mid(equals + 1)));
    return info;
}

// The reason a save failed, in the operator's words where Qt's are clumsy.
QString saveError(const QString& path, const QString& qtError)
{
    const QFileInfo target(path);
    if (target.isFile() && !target.isWritable())
        return QStringLiteral("文件只读");
    return qtError.isEmpty() ? QStringLiteral("未知错误") : qtError;
}

// The file split into lines. Everything a write does not touch is written
// back exactly as it was read.
class Document
{
public:
    // Reads the file. A missing file gives an empty document; a file that
    // exists but cannot be read leaves readable() false so that no write
    // replaces what it could not see.
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    explicit Document(const QString& path)
    {
        QFile file(path);
        if (!file.exists())
            return;
        m_exists = true;
        if (!file.open(QIODevice::ReadOnly)) {
            m_readError = file.errorString();
            return;
        }
        m_bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            m_readError = file.errorString();
            return;
        }
        if (m_bytes.startsWith(kBom)) {
            m_bom = kBom;
            m_bytes.remove(0, kBom.size());
        }
        split();
    }

    bool exists() const { return m_exists; }
    bool readable() const { return m_readError.isEmpty(); }
    // Why the file could not be read; empty when it could.
    const QString& readError() const { return m_readError; }
    const QVector<Line>& lines() const { return m_lines; }

    // The range [first, end) of lines of the first section called `name`:
    // `first` is its header. Both are -1 when there is no such section.
    std::pair<qsizetype, qsizetype> findSection(const QString& name) const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (!isSectionHeader(m_lines.at(i).text) || !sameName(classify(m_lines.at(i).text).name, name))
                continue;
            qsizetype end = i + 1;
            while (end < m_lines.size() && !isSectionHeader(m_lines.at(end).text))
                ++end;
            return {i, end};
        }
        return {-1, -1};
    }

    // The index of the first line in [first, end) that is key `key`, or -1.
    qsizetype findKey(qsizetype first, qsizetype end, const QString& key) const
    {
        for (qsizetype i = first; i < end; ++i) {
            const LineInfo info = classify(m_lines.at(i).text);
            if (info.kind == LineKind::Key && sameName(info.name, key))
                return i;
        }
        return -1;
    }

    void replaceText(qsizetype index, const QByteArray& text) { m_lines[index].text = text; }
    void remove(qsizetype first, qsizetype count) { m_lines.remove(first, count); }

    // Inserts a line before `index` (which may be the line count). The line
    // before it gets a line break if it had none, so the two stay apart.
    void insert(qsizetype index, const QByteArray& text)
    {
        if (index > 0 && m_lines.at(index - 1).eol.isEmpty())
            m_lines[index - 1].eol = newline();
        m_lines.insert(index, Line{text, newline()});
    }

    // Replaces the file as a whole; on failure `error` says why.
    bool save(const QString& path, QString* error) const
    {
        QByteArray bytes = m_bom;
        for (const Line& line : m_lines) {
            bytes += line.text;
            bytes += line.eol;
        }
        QSaveFile file(path);
        // An unfinished QSaveFile throws its temporary file away. Its commit()
        // misses a failed flush of the buffer (a full disk) and would put the
        // short file in place of the old one, so the flush is checked first.
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
            return true;
        *error = saveError(path, file.errorString());
        return false;
    }

private:
    // The lines are views into the bytes read, so that even a large damaged
    // file costs no allocation per line.
    void split()
    {
        static const QByteArray crlfBreak = QByteArray::fromRawData("\r\n", 2);
        static const QByteArray lfBreak = QByteArray::fromRawData("\n", 1);
        static const QByteArray crBreak = QByteArray::fromRawData("\r", 1);
        const char* data = m_bytes.constData();
        qsizetype start = 0;
        const qsizetype size = m_bytes.size();
        for (qsizetype i = 0; i < size; ++i) {
            const char c = data[i];
            if (c != '\n' && c != '\r')
                continue;
            const bool crlf = c == '\r' && i + 1 < size && data[i + 1] == '\n';
            const QByteArray& eol = crlf ? crlfBreak : (c == '\n' ? lfBreak : crBreak);
            if (m_newline.isEmpty())
                m_newline = crlf ? crlfBreak : lfBreak;
            m_lines.append(Line{QByteArray::fromRawData(data + start, i - start), eol});
            if (crlf)
                ++i;
            start = i + 1;
        }
        if (start < size)
            m_lines.append(Line{QByteArray::fromRawData(data + start, size - start), QByteArray()});
    }

    // The line break new lines get: the file's own when its first line ends
    // in CRLF, otherwise LF.
    QByteArray newline() const { return m_newline == "\r\n" ? m_newline : QByteArray("\n"); }

    QByteArray m_bytes;
    QByteArray m_bom;
    QVector<Line> m_lines;
    QByteArray m_newline;
    bool m_exists = false;
    QString m_readError;
};

bool containsAny(const QString& text, const char* characters)
{
    for (const char* c = characters; *c; ++c) {
        if (text.contains(QLatin1Char(*c)))
            return true;
    }
    return false;
}

// Names that would read back differently, or break the lines around them,
// once written: empty names and names with line breaks or the characters
// that mark headers and keys.
bool isWritableName(const QString& trimmedName)
{
    return !trimmedName.isEmpty() && !containsAny(trimmedName, "=[]\r\n") && !trimmedName.contains(QChar(0));
}

bool isWritableKey(const QString& trimmedKey)
{
    return isWritableName(trimmedKey) && !trimmedKey.startsWith(QLatin1Char(';'));
}

QByteArray valueBytes(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value.toUtf8();
}

QString folded(const QString& name)
{
    return trimBlanks(name).toCaseFolded();
}

// The bytes of a file for looking values up, without a byte-order mark;
// nothing for a file that is missing or cannot be read.
QByteArray readForLookup(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kBom))
        bytes.remove(0, kBom.size());
    return bytes;
}

// Hands each line of `bytes` from offset `from` on (a view, without its line
// break) and the offset of the line after it to `visit`, until it says stop.
template <typename Visit> void forEachLine(const QByteArray& bytes, qsizetype from, Visit visit)
{
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    for (qsizetype start = from; start >= 0 && start < size;) {
        qsizetype end = start;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        qsizetype next = end;
        if (end < size)
            next = data[end] == '\r' && end + 1 < size && data[end + 1] == '\n' ? end + 2 : end + 1;
        if (!visit(QByteArray::fromRawData(data + start, end - start), next))
            return;
        start = next;
    }
}

// The offset of the line after the header of the first section called
// `name`; -1 when there is none.
qsizetype sectionBody(const QByteArray& bytes, const QString& name)
{
    qsizetype body = -1;
    forEachLine(bytes, 0, [&](const QByteArray& line, qsizetype next) {
        if (isSectionHeader(line) && sameName(classify(line).name, name))
            body = next;
        return body < 0;
    });
    return body;
}

// The value of the first `key` in the section whose lines begin at `body`.
QString keyValue(const QByteArray& bytes, qsizetype body, const QString& key)
{
    QString result;
    if (body < 0)
        return result;
    forEachLine(bytes, body, [&](const QByteArray& line, qsizetype) {
        if (isSectionHeader(line))
            return false;
        if (!line.contains('='))
            return true;
        const LineInfo info = classify(line);
        if (info.kind != LineKind::Key || !sameName(info.name, key))
            return true;
        result = info.value.isNull() ? QLatin1String("") : info.value; // present but empty is not absent
        return false;
    });
    return result;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path))
{}

QString IniFile::trimmedName(const QString& name)
{
    return trimBlanks(name);
}

QString IniFile::foldedName(const QString& name)
{
    return folded(name);
}

QString IniFile::readBack(const QString& value)
{
    const QString text = trimBlanks(QString::fromUtf8(valueBytes(value)));
    return text.isNull() ? QLatin1String("") : text; // present but empty is not absent
}

QString IniFile::value(const QString& section, const QString& key) const
{
    const QByteArray bytes = readForLookup(m_path);
    return keyValue(bytes, sectionBody(bytes, trimBlanks(section)), trimBlanks(key));
}

QStringList IniFile::sectionEntries(const QString& section) const
{
    const QByteArray bytes = readForLookup(m_path);
    const qsizetype body = sectionBody(bytes, trimBlanks(section));
    QStringList entries;
    if (body < 0)
        return entries;
    forEachLine(bytes, body, [&](const QByteArray& line, qsizetype) {
        if (isSectionHeader(line))
            return false;
        const LineInfo info = classify(line);
        if (info.kind == LineKind::Key)
            entries.append(info.name + QLatin1Char('=') + info.value);
        else if (info.kind == LineKind::Other)
            entries.append(info.value);
        return true;
    });
    return entries;
}

IniSnapshot::IniSnapshot(const QString& path) : m_bytes(readForLookup(path))
{
    forEachLine(m_bytes, 0, [&](const QByteArray& line, qsizetype next) {
        if (isSectionHeader(line)) {
            // Only the first section of a name counts.
            const QString name = classify(line).name.toCaseFolded();
            if (!m_sections.contains(name))
                m_sections.insert(name, next);
        }
        return true;
    });
}

QString IniSnapshot::value(const QString& section, const QString& key) const
{
    return keyValue(m_bytes, m_sections.value(folded(section), -1), trimBlanks(key));
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    m_error.clear();
    if (!isWritableName(sectionName) || !isWritableKey(keyName))
        return false;
    Document doc(m_path);
    if (!doc.readable()) {
        m_error = doc.readError(); // no write replaces what could not be seen
        return false;
    }

    const auto [first, end] = doc.findSection(sectionName);
    if (first < 0) {
        qsizetype at = doc.lines().size();
        if (at > 0 && classify(doc.lines().at(at - 1).text).kind != LineKind::Blank)
            doc.insert(at++, QByteArray());
        doc.insert(at++, '[' + sectionName.toUtf8() + ']');
        doc.insert(at, keyName.toUtf8() + '=' + valueBytes(value));
        return doc.save(m_path, &m_error);
    }

    const qsizetype index = doc.findKey(first + 1, end, keyName);
    if (index >= 0) {
        // Keep the key as it is spelled (and indented) in the file.
        const QByteArray& old = doc.lines().at(index).text;
        doc.replaceText(index, old.left(old.indexOf('=') + 1) + valueBytes(value));
        return doc.save(m_path, &m_error);
    }

    qsizetype last = end - 1;
    while (last > first && classify(doc.lines().at(last).text).kind == LineKind::Blank)
        --last;
    doc.insert(last + 1, keyName.toUtf8() + '=' + valueBytes(value));
    return doc.save(m_path, &m_error);
}

bool IniFile::removeKey(const QString& section, const QString& key)
{
    const QString keyName = trimBlanks(key);
    m_error.clear();
    if (keyName.isEmpty())
        return false;
    Document doc(m_path);
    if (!doc.readable()) {
        m_error = doc.readError(); // no write replaces what could not be seen
        return false;
    }
    const auto [first, end] = doc.findSection(trimBlanks(section));
    if (first < 0)
        return true;
    const qsizetype index = doc.findKey(first + 1, end, keyName);
    if (index < 0)
        return true;
    doc.remove(index, 1);
    return doc.save(m_path, &m_error);
}

bool IniFile::removeSection(const QString& section)
{
    const QString sectionName = trimBlanks(section);
    m_error.clear();
    if (sectionName.isEmpty())
        return false;
    Document doc(m_path);
    if (!doc.readable()) {
        m_error = doc.readError(); // no write replaces what could not be seen
        return false;
    }
    const auto [first, end] = doc.findSection(sectionName);
    if (first < 0)
        return true;
    doc.remove(first, end - first);
    return doc.save(m_path, &m_error);
}

} // namespace melvanta
