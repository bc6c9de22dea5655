#include "support/ShellOpen.h"

#include "core/ProgramFolder.h"
#include "support/MessageBox.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace melvanta {

namespace {

bool g_recordOnly = false;
QStringList g_opened;

// A target with a scheme of two or more letters is an address; anything else
// (a drive letter included) is a path.
QUrl targetUrl(const QString& target)
{
    const QUrl url(target);
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

bool open(const QUrl& url)
{
    if (g_recordOnly) {
        g_opened << url.toString();
        return true;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace

void OpenHelpFile()
{
    const QString path = ProgramFolder::helpFile();
    if (!QFileInfo(path).isFile()) {
        MessageBox::inform(QLatin1String(kHelpFileName) + QStringLiteral("不存在，请保证文件完整"));
        return;
    }
    open(QUrl::fromLocalFile(path));
}

bool OpenWithShell(const QString& target)
{
    if (target.trimmed().isEmpty())
        return false;
    return open(targetUrl(target.trimmed()));
}

void ShellOpen::setTestHook(bool recordInsteadOfOpening)
{
    g_recordOnly = recordInsteadOfOpening;
    g_opened.clear();
}

QStringList ShellOpen::takeOpened()
{
    QStringList opened;
    opened.swap(g_opened);
    return opened;
}

} // namespace melvanta
