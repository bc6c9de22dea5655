#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace melvanta {

// The file chooser of the imports: `filter` is written as description and
// pattern-list pairs joined by "|" ("声音文件|*.wav;*.mp3|所有文件|*.*"). Returns
// the full path chosen, or "" when the operator cancels. An initial name of
// 261 characters or more is refused with a message before anything shows.
// Save choosers ask before an existing file is replaced.
QString FileDialog(bool save, const QString& title, const QString& filter, const QString& initialName,
                   const QString& defaultExtension, const QString& initialDirectory, QWidget* parent = nullptr);

// The part of `path` after its last "/" or "\" (the whole path when it has
// neither; "" when it ends in one).
QString FileNameOfPath(const QString& path);

// The "|"-separated filter as Qt's name filters ("描述 (*.wav *.mp3)"); a
// description without its patterns keeps them in brackets after it.
QStringList qtNameFilters(const QString& filter);

// Test hooks: the next FileDialog answers `path` ("" = cancelled) at once,
// once; what it was asked is kept for the test to read.
struct FileDialogRequest
{
    bool save = false;
    QString title;
    QStringList nameFilters;
    QString initialPath;
    QString defaultExtension;
};
void setNextFileDialogAnswer(const QString& path);
FileDialogRequest lastFileDialogRequest();

} // namespace melvanta
