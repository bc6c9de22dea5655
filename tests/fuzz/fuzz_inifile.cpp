// Feeds arbitrary bytes to the profile file reader and writer as the content
// of a profile file. Built as a libFuzzer target when MELVANTA_FUZZ is on, and
// always as fuzz_inifile_replay, which runs given files or a built-in set of
// awkward inputs through the same function.

#include "storage/IniFile.h"
#include "storage/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

static void check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "fuzz_inifile: %s\n", what), std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TimeData.db"));
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QFile file(path);
    check(dir.isValid() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(input) == input.size(),
          "cannot write the input file");
    file.close();

    // A few fixed names plus those of the first lines, so that the fuzzer can
    // reach the names that are actually in the file.
    QStringList names{QStringLiteral("Marquee"), QStringLiteral(" a "), QStringLiteral("背景"), QString()};
    for (const QByteArray& line : input.left(512).split('\n').mid(0, 3))
        names.append(QString::fromUtf8(line).remove(QLatin1Char('[')).remove(QLatin1Char(']')).section('=', 0, 0));

    melvanta::IniFile ini(path);
    const QString absent = QStringLiteral("no\nsuch name"); // no line of a file holds it
    check(ini.removeKey(names.first(), absent) && ini.removeSection(absent) && file.open(QIODevice::ReadOnly) &&
              file.readAll() == input,
          "removing an absent name changed the file");

    const QString value = QStringLiteral(" 会议\r\nvalue= [x] ");
    for (const QString& section : names) {
        ini.sectionEntries(section);
        melvanta::iniset(QStringLiteral("readall"), path, section, QString(), QStringLiteral("-"));
        for (const QString& key : names)
            ini.value(section, key);
        // Line breaks in a value become blanks; the rest reads back trimmed.
        for (const QString& key : {section, names.last(), QStringLiteral("currentrow")})
            check(!ini.setValue(section, key, value) || ini.value(section, key) == QStringLiteral("会议  value= [x]"),
                  "a written value does not read back");
    }
    ini.removeKey(names.last(), names.first());
    ini.removeSection(names.first());
    return 0;
}

#ifdef MELVANTA_FUZZ_REPLAY
// Runs the files named on the command line (e.g. a fuzzer corpus), or without
// any, inputs that have upset profile parsers before.
int main(int argc, char** argv)
{
    // Separated by "|"; the first one is empty.
    static const char kNasty[] =
        "|\xEF\xBB\xBF|\xEF\xBB|[|]|=|[]\n=\n|[[[]]]\n[=]=[\n|\r|\r\r\n\n\r|[A]\rk=1\r\rk=2|\xEF\xBB\xBF[Marquee]\r\n"
        "k=1\r\n[marquee]\r\nk=2\r\n|;[A]\n;k=1\n|\xEF\xBB\xBF\xEF\xBB\xBF[A]@[A]=vv\n;\nc\n[a]\nk|[ Marquee \t]   x\n"
        "\t currentrow \t=\t\n|[\xFF\xFE]\n\xFF=\xFE\n[\xC3]\n\xC3=\xC3\n|[\xED\xA0\x80]\n"
        "\xED\xB0\x80=\xF4\x90\x80\x80\n|[A]\0k=1\0\n\0=\0\n|\0\0\0\0[\0]\0";
    QByteArray everyByte("[Marquee]\nk=");
    for (int i = 0; i < 256; ++i)
        everyByte.append(static_cast<char>(i));
    QList<QByteArray> inputs = QByteArray(kNasty, sizeof kNasty - 1).split('|');
    inputs << QByteArray(20000, '\n') << "a\n" + QByteArray(5000, '\r') + "[a]\na=1" << everyByte;
    inputs << "[Marquee]\nText=" + QByteArray(100 * 1024, 'x') << "[Marquee]\n" + QByteArray(100 * 1024, '=');
    QList<QByteArray> files;
    for (int i = 1; i < argc; ++i) {
        QFile file(QFile::decodeName(argv[i]));
        check(file.open(QIODevice::ReadOnly), "cannot read an input file");
        files.append(file.readAll());
    }
    inputs = files.isEmpty() ? inputs : files;
    for (const QByteArray& input : inputs)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), input.size());
    std::printf("fuzz_inifile_replay: %lld inputs passed\n", static_cast<long long>(inputs.size()));
    return 0;
}
#endif
