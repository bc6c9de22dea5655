// Feeds arbitrary bytes to the profile file reader and writer as the content
// of a profile file. Built as a libFuzzer target when MELVANTA_FUZZ is on, and
// always as fuzz_inifile_replay, which runs given files or a built-in set of
// awkward inputs through the same function.

#include "storage/IniFile.h"
#include "storage/ProfileFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using melvanta::IniFile;

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_inifile: %s\n", what);
    std::abort();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Names to look up: a few fixed ones plus the first lines of the input, so
// the fuzzer can reach the names that are actually in the file.
QStringList namesFrom(const QByteArray& input)
{
    QStringList names{QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral(" a "),
                      QStringLiteral("背景"), QString()};
    const QList<QByteArray> lines = input.left(512).split('\n');
    for (qsizetype i = 0; i < lines.size() && i < 3; ++i) {
        QString line = QString::fromUtf8(lines.at(i));
        line.remove(QLatin1Char('['));
        line.remove(QLatin1Char(']'));
        names.append(line.section(QLatin1Char('='), 0, 0));
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        fail("no temporary folder");
    const QString path = dir.filePath(QStringLiteral("TimeData.db"));
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!writeFile(path, input))
        fail("cannot write the input file");

    IniFile ini(path);
    const QStringList names = namesFrom(input);
    for (const QString& section : names) {
        ini.sectionEntries(section);
        melvanta::iniset(QStringLiteral("readall"), path, section, QString(), QStringLiteral("-"));
        for (const QString& key : names)
            ini.value(section, key);
    }

    // Removing what is not there leaves the file as it was.
    const QString absent = QStringLiteral("\x01no such name");
    if (!input.contains("no such name")) {
        if (!ini.removeKey(names.first(), absent) || !ini.removeSection(absent) || readFile(path) != input)
            fail("removing an absent name changed the file");
    }

    const QString value = QStringLiteral(" 会议\r\nvalue= [x] ");
    const QString readBack = QStringLiteral("会议  value= [x]");
    for (const QString& section : names) {
        for (const QString& key : {section, names.last(), QStringLiteral("currentrow")}) {
            if (ini.setValue(section, key, value) && ini.value(section, key) != readBack)
                fail("a written value does not read back");
        }
    }
    ini.removeKey(names.last(), names.first());
    ini.removeSection(names.last());
    ini.removeSection(names.first());
    return 0;
}

#ifdef MELVANTA_FUZZ_REPLAY
namespace {

// Inputs that have upset profile parsers before.
QList<QByteArray> nastyInputs()
{
    QList<QByteArray> inputs{
        QByteArray(),
        QByteArray("\xEF\xBB\xBF"),
        QByteArray("\xEF\xBB"),
        QByteArray("["),
        QByteArray("]"),
        QByteArray("="),
        QByteArray("[]\n=\n"),
        QByteArray("[[[]]]\n[=]=[\n"),
        QByteArray("\r"),
        QByteArray("\r\r\n\n\r"),
        QByteArray("[Marquee]\r"),
        QByteArray("[Marquee]\rMode=1\r\rMode=2"),
        QByteArray("\xEF\xBB\xBF[Marquee]\r\nMode=1\r\n[marquee]\r\nMode=2\r\n"),
        QByteArray(";[Marquee]\n;Mode=1\n"),
        QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[A]@[A]=vv\n;\nc\n[a]\nk"),
        QByteArray("[ Marquee \t]   trailing\n\t currentrow \t=\t\n"),
        QByteArray("[\xFF\xFE]\n\xFF=\xFE\n[\xC3]\n\xC3=\xC3\n"),
        QByteArray("[\xED\xA0\x80]\n\xED\xB0\x80=\xF4\x90\x80\x80\n"),
        QByteArray("[Marquee]\n") + QByteArray(100 * 1024, '='),
        QByteArray("[Marquee]\nbackgroundText=") + QByteArray(100 * 1024, 'x'),
        QByteArray(20000, '\n'),
        QByteArray(20000, '['),
        QByteArray("a\n") + QByteArray(5000, '\r') + QByteArray("[a]\na=1"),
    };
    inputs.append(QByteArray("[Marquee]\0Mode=1\0\n\0=\0\n", 20));
    inputs.append(QByteArray("\0\0\0\0[\0]\0", 8));
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i) {
        everyByte.append(static_cast<char>(i));
        if (i % 16 == 0)
            everyByte.append("\n[Marquee]\nk=");
    }
    inputs.append(everyByte);
    return inputs;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        const QList<QByteArray> inputs = nastyInputs();
        for (const QByteArray& input : inputs)
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), input.size());
        std::printf("fuzz_inifile_replay: %lld built-in inputs passed\n", static_cast<long long>(inputs.size()));
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        QFile file(QFile::decodeName(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "fuzz_inifile_replay: cannot read %s\n", argv[i]);
            return 1;
        }
        const QByteArray input = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), input.size());
    }
    std::printf("fuzz_inifile_replay: %d files passed\n", argc - 1);
    return 0;
}
#endif
