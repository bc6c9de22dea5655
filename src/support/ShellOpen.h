#pragma once

#include <QString>
#include <QStringList>

namespace melvanta {

// The program's pages on the web, opened from the command menu.
inline constexpr char kOnlineHelpAddress[] = "https://melvanta.org/help/";
inline constexpr char kOnlineTutorialAddress[] = "https://melvanta.org/help/tutorial/";

// Opens the help page of the program folder with the desktop's viewer; when
// the page is missing, says so ("help.html不存在，请保证文件完整").
void OpenHelpFile();
// Opens a document, a folder or a web address with the desktop's default
// application. A failure shows nothing; the result tells it.
bool OpenWithShell(const QString& target);

// Test hook: with it on, what would be opened is recorded instead (web
// addresses as given, files as "file:" URLs).
class ShellOpen
{
public:
    static void setTestHook(bool recordInsteadOfOpening);
    static QStringList takeOpened();
};

} // namespace melvanta
