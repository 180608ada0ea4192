// Reads arbitrary bytes as an encrypted file, as the editor's open does. The first byte picks
// the password's length and what the rest is: the stored file itself, its plain image (scrambled
// here first, so the reader gets past the marker check), or only the text (the marker is put
// before it). Nothing may crash and the writer's size check must never fire; the reader must
// tell exactly what the unscrambled bytes are; and every document it reads, written again with
// the same password, must read back and give exactly the same stored bytes.
#include "app/Globl.h"
#include "model/EkMemIni.h"
#include "platform/core/SysUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void failWith(const char* what) {
    std::fprintf(stderr, "fuzz_encrypted: %s\n", what);
    std::abort();
}

void installSink() {
    static const bool installed = [] {
        platform::messageSink.exchange([](const QString& text) {
            if (text.startsWith(QLatin1String("Memory Error")))
                failWith(qPrintable(text));
        });
        return true;
    }();
    (void)installed;
}

enum class Given { Stored, Plain, Text };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    installSink();
    if (size < 1)
        return 0;
    // The password dialog takes no password shorter than 5 characters.
    const size_t passwordLength = 5 + data[0] % 8;
    const auto given = Given(data[0] / 8 % 3);
    if (size < 1 + passwordLength)
        return 0;
    const QString password =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(passwordLength));
    QByteArray plain(reinterpret_cast<const char*>(data + 1 + passwordLength),
                     qsizetype(size - 1 - passwordLength));
    if (given == Given::Text)
        plain.prepend(kEncryptedMarker);
    QByteArray stored = plain;
    if (given != Given::Stored)
        xorWithPasswordKey(stored, password);
    else
        xorWithPasswordKey(plain, password);

    TEkMemIni doc;
    const int status = readEncryptedImage(doc, stored, password);
    const int expected = plain.size() < kEncryptedMarker.size() ? loadNotEncrypted
                         : !plain.startsWith(kEncryptedMarker)  ? loadWrongPassword
                                                                : status;
    if (status != expected)
        failWith("the reader misjudged the unscrambled bytes");
    if ((status == loadNotEncrypted || status == loadWrongPassword) && doc.sections.count != 0)
        failWith("a refused file left sections behind");
    if (status != codePageUtf8)
        return 0;

    const QByteArray once = encryptedImage(doc, password);
    TEkMemIni again;
    if (readEncryptedImage(again, once, password) != codePageUtf8)
        failWith("the written file does not read again");
    if (encryptedImage(again, password) != once)
        failWith("the second write differs from the first");
    return 0;
}
