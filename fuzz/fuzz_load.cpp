// Loads arbitrary bytes with each code page and with detection. Nothing may crash, the
// writer's size check must never fire, and for every input that loads, the save check must find
// no line to refuse and a second read and write with the same code page must give back exactly
// the bytes of the first write.
#include "model/EkMemIni.h"
#include "platform/core/SysUtils.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void failWith(const char* what, int codePage) {
    std::fprintf(stderr, "fuzz_load: %s (code page %d)\n", what, codePage);
    std::abort();
}

void installSink() {
    static const bool installed = [] {
        platform::messageSink.exchange([](const QString& text) {
            if (text.startsWith(QLatin1String("Memory Error")))
                failWith(qPrintable(text), -1);
        });
        return true;
    }();
    (void)installed;
}

// Loads `bytes` into a fresh document with `requested` (-1: detection as a file load does it);
// returns the load result.
int load(TEkMemIni& doc, const QByteArray& bytes, int requested, int& codePage) {
    doc.codePage = codePageUnknown;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    codePage = requested < 0 ? TEkMemIni::detectEncoding(buffer) : requested;
    return doc.LoadFromStream(buffer, codePage);
}

bool startsWithMark(const QByteArray& bytes, int codePage) {
    switch (codePage) {
    case codePageUtf8:
        return bytes.startsWith("\xEF\xBB\xBF");
    case codePageUtf16LE:
        return bytes.startsWith("\xFF\xFE");
    case codePageUtf16BE:
        return bytes.startsWith("\xFE\xFF");
    default:
        return false;
    }
}

void check(const QByteArray& input, int requested) {
    // The input's length decides whether the writes put a mark first.
    const bool mark = input.size() % 2 == 0;
    TEkMemIni first;
    first.writeBom = mark;
    int codePage = 0;
    const int result = load(first, input, requested, codePage);
    (void)first.buildText(); // partial documents of failed loads are written as well
    if (result < 0 || codePage == codePageUtf32LE || codePage == codePageUtf32BE)
        return;
    // A file opened and saved unchanged always saves.
    int section = -1, item = -1;
    if (first.findUnreadableLine(section, item))
        failWith("the save check refuses a loaded line", result);
    // `result` is the code page the reader used; both reads and both writes use it.
    const QByteArray once = first.saveToBytes(result);
    // A text that itself begins with U+FEFF, written without a mark, reads back as marked: the
    // file format cannot tell the two apart.
    if (!mark && startsWithMark(once, result))
        return;
    TEkMemIni second;
    second.writeBom = mark;
    int again = 0;
    if (load(second, once, result, again) != result)
        failWith("the written file does not load again", result);
    if (second.saveToBytes(result) != once)
        failWith("the second write differs from the first", result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    installSink();
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    for (int codePage :
         {int(codePageUtf8), int(codePageAnsi), int(codePageUtf16LE), int(codePageUtf16BE), -1})
        check(input, codePage);
    return 0;
}
