#include "settings/FileImporter.h"

#include "core/ProgramFolder.h"
#include "settings/FileImport.h"
#include "support/FileDialog.h"
#include "support/MessageBox.h"

#include <QDir>

namespace melvanta {

namespace {

struct ImportChooser
{
    const char* folder;
    const char* filter;
    const char* nothingChosen;
    ImportKind kind;
};

ImportChooser chooserFor(ImportTarget target)
{
    switch (target) {
    case ImportTarget::Sound:
        return {kSoundsFolderName, "声音文件(*.wav),*.mp3|*.wav;*.mp3", "没有选择文件", ImportKind::Sound};
    case ImportTarget::Logo:
        return {kPictureFolderName, "图片文件(*.jpg),*.bmp,*.gif)|*.jpg;*.bmp;*.gif", "没有加载图片",
                ImportKind::Picture};
    case ImportTarget::Background:
        break;
    }
    return {kPictureFolderName, "图片文件(*.jpg),*.ico,*.bmp,*.gif)|*.jpg;*.ico;*.bmp;*.gif", "没有加载图片",
            ImportKind::Picture};
}

} // namespace

std::optional<QString> askAndImport(ImportTarget target, QWidget* parent)
{
    const ImportChooser chooser = chooserFor(target);
    const QString folder = ProgramFolder::path() + QString::fromLatin1(chooser.folder);
    // The chooser starts in the folder, so it is made first; a folder that
    // cannot be made is reported by the import itself.
    QDir().mkpath(folder);
    const QString chosen = FileDialog(false, QStringLiteral("导入文件名称"), QString::fromUtf8(chooser.filter),
                                      QString(), QString(), folder, parent);
    if (chosen.isEmpty()) {
        MessageBox::inform(QString::fromUtf8(chooser.nothingChosen), parent, MessageBox::Icon::Question);
        return std::nullopt;
    }
    const ImportOutcome outcome = importFile(chosen, folder, chooser.kind);
    switch (outcome.result) {
    case ImportOutcome::Result::Imported:
        return outcome.name;
    case ImportOutcome::Result::Refused:
        MessageBox::inform(outcome.message, parent, MessageBox::Icon::Exclamation);
        break;
    case ImportOutcome::Result::Ignored:
        break;
    }
    return std::nullopt;
}

} // namespace melvanta
