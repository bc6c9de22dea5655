#include "settings/FileImport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace melvanta {

namespace {

QByteArray leadingBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(16);
}

bool soundBytes(const QByteArray& head)
{
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return true;
    if (head.startsWith("ID3"))
        return true;
    // An MPEG audio frame without a tag: eleven set sync bits.
    return head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xE0) == 0xE0;
}

bool pictureBytes(const QByteArray& head)
{
    return head.startsWith("\xFF\xD8\xFF") || head.startsWith("BM") || head.startsWith("GIF87a") ||
           head.startsWith("GIF89a") || head.startsWith(QByteArray("\x00\x00\x01\x00", 4)) ||
           head.startsWith("\x89PNG\r\n\x1A\n");
}

QByteArray contentHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

bool sameContent(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.size() != second.size())
        return false;
    const QByteArray hash = contentHash(a);
    return !hash.isEmpty() && hash == contentHash(b);
}

// "bell.mp3" in `folder`, or "bell (2).mp3", "bell (3).mp3" … : the first
// name that is free or already holds this very file.
QString nameInFolder(const QDir& folder, const QString& source)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? info.fileName() : QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        const QString target = folder.filePath(name);
        if (!QFileInfo::exists(target) || sameContent(source, target))
            return name;
    }
}

ImportOutcome refused(const QString& message)
{
    return {ImportOutcome::Result::Refused, QString(), message};
}

} // namespace

bool looksLike(const QString& path, ImportKind kind)
{
    const QByteArray head = leadingBytes(path);
    return kind == ImportKind::Sound ? soundBytes(head) : pictureBytes(head);
}

bool isShortcut(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("lnk") || suffix == QLatin1String("desktop");
}

ImportOutcome importFile(const QString& chosenPath, const QString& folder, ImportKind kind)
{
    if (isShortcut(chosenPath))
        return {ImportOutcome::Result::Ignored, QString(), QString()};
    const QFileInfo chosen(chosenPath);
    const QString shown = chosen.fileName();
    if (!chosen.isFile() || !chosen.isReadable())
        return refused(QStringLiteral("无法读取文件“%1”").arg(shown));
    if (!looksLike(chosenPath, kind))
        return refused(kind == ImportKind::Sound ? QStringLiteral("“%1”不是声音文件，未导入").arg(shown)
                                                 : QStringLiteral("“%1”不是图片文件，未导入").arg(shown));
    QDir target(folder);
    if (!target.exists() && !QDir().mkpath(folder))
        return refused(QStringLiteral("无法建立文件夹“%1”，未导入").arg(QDir::toNativeSeparators(folder)));

    const QString name = nameInFolder(target, chosenPath);
    const QString targetPath = target.filePath(name);
    if (QFileInfo::exists(targetPath))
        return {ImportOutcome::Result::Imported, name, QString()};
    // Copied under a temporary name first, so that a failed copy leaves no
    // half file under the name a box would show.
    const QString partial = targetPath + QStringLiteral(".part");
    QFile::remove(partial);
    QFile source(chosenPath);
    QFile copied(partial);
    if (!source.copy(partial) || !copied.rename(targetPath)) {
        // The reason is the copy's, or the rename's when the copy was made.
        const QString why = source.error() != QFileDevice::NoError ? source.errorString() : copied.errorString();
        QFile::remove(partial);
        return refused(
            QStringLiteral("无法将“%1”复制到文件夹“%2”：%3").arg(shown, QDir::toNativeSeparators(folder), why));
    }
    return {ImportOutcome::Result::Imported, name, QString()};
}

} // namespace melvanta
