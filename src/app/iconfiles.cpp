// Writes the program's icon as PNG files for the icon theme of an installed
// copy: melvanta-icons FOLDER writes FOLDER/48.png, 128.png and 256.png.
#include "display/ProgramIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Painting into pictures needs no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: melvanta-icons FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    for (int size : {48, 128, 256}) {
        const QString path = folder.filePath(QString::number(size) + QStringLiteral(".png"));
        if (!melvanta::programIconImage(size).save(path, "PNG")) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
