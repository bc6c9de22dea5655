#include "support/FileDialog.h"

#include "support/MessageBox.h"

#include <QDir>
#include <QFileDialog>

#include <optional>

namespace melvanta {

namespace {

constexpr int kLongestInitialName = 260;

std::optional<QString> g_nextAnswer;
FileDialogRequest g_lastRequest;

} // namespace

QString FileNameOfPath(const QString& path)
{
    const int separator = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(separator + 1);
}

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        if (patterns.isEmpty())
            continue;
        filters << parts.at(i).trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

QString FileDialog(bool save, const QString& title, const QString& filter, const QString& initialName,
                   const QString& defaultExtension, const QString& initialDirectory, QWidget* parent)
{
    if (initialName.size() > kLongestInitialName) {
        MessageBox::inform(QStringLiteral("Filename Length Overflow"), parent, MessageBox::Icon::Exclamation,
                           QString::fromLatin1(kMessageTitle) + QStringLiteral(" - FileDialog Function"));
        return QString();
    }
    const QString initialPath = initialDirectory.isEmpty() ? initialName : QDir(initialDirectory).filePath(initialName);
    g_lastRequest = {save, title, qtNameFilters(filter), initialPath, defaultExtension};
    if (g_nextAnswer) {
        const QString answer = *g_nextAnswer;
        g_nextAnswer.reset();
        return answer;
    }
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!g_lastRequest.nameFilters.isEmpty())
        dialog.setNameFilters(g_lastRequest.nameFilters);
    dialog.setDefaultSuffix(defaultExtension);
    if (!initialDirectory.isEmpty())
        dialog.setDirectory(initialDirectory);
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

void setNextFileDialogAnswer(const QString& path)
{
    g_nextAnswer = path;
}

FileDialogRequest lastFileDialogRequest()
{
    return g_lastRequest;
}

} // namespace melvanta
