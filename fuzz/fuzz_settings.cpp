// Splits arbitrary bytes as a settings file. Nothing may crash; QSettings must find a line it
// cannot read exactly where the split finds one, and none in the readable text, so that the
// file written from it reads as sound; the lines taken out are exactly the bytes missing from it;
// the lines left out are listed in rising order; settings the split takes for one name (one
// overriding the other) are one to QSettings too.
#include "platform/core/SettingsFile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void failWith(const char* what) {
    std::fprintf(stderr, "fuzz_settings: %s\n", what);
    std::abort();
}

// QSettings' own verdict on `text`, read from a file of a name never used before: it keeps
// what it read of a file until the file's size or time changes. With `keys` not below 0, false
// also when QSettings reads more names of settings than that.
bool soundToQSettings(const QByteArray& text, qsizetype keys = -1) {
    static QTemporaryDir dir;
    static int files = 0;
    const QString name = dir.filePath(QString::number(++files) + ".conf");
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        failWith("cannot write a temporary file");
    file.close();
    QSettings settings(name, QSettings::IniFormat);
    // QSettings parses a group's lines only when a value is asked for.
    const qsizetype read = settings.allKeys().size();
    const bool sound = settings.status() == QSettings::NoError && (keys < 0 || read <= keys);
    QFile::remove(name);
    return sound;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::SettingsText split = platform::splitSettingsText(input);
    // QSettings would hold gigabytes of names (a long section's, before each of its settings): the
    // editor never gives it such a text.
    if (split.nameBytes > platform::kMostSettingsNameBytes)
        return 0;
    if (soundToQSettings(input) != (split.unreadableCount == 0))
        failWith("QSettings and the split disagree about the input");
    if (!soundToQSettings(split.readable, split.tooLarge() ? -1 : split.keys) ||
        platform::splitSettingsText(split.readable).unreadableCount != 0)
        failWith("the readable text holds a line that cannot be read, or the split tells settings of "
                 "different names for one");
    if (split.readable.size() > input.size() || (split.unreadableCount == 0) != (split.readable == input))
        failWith("the readable text is not the input less the lines taken out");
    int last = 0;
    for (const platform::LeftOutLine& line : split.leftOut) {
        if (line.number <= last)
            failWith("line numbers do not rise");
        last = line.number;
    }
    return 0;
}
