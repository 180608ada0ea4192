// The QtCore part of Globl: the MD5 digest, the file-password key and the image of an encrypted
// file. It is a library of its own (velquin_app_core), so that the fuzz targets, which link no
// GUI, can read encrypted files exactly as the editor does.
#include "app/Globl.h"

#include "model/EkMemIni.h"
#include "platform/core/SysUtils.h"

#include <QIODevice>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

// --- MD5 digest -----------------------------------------------------------------------------

namespace {

// Per-round shift amounts and the sine-derived additive constants of RFC 1321.
constexpr std::uint32_t kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr std::uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr std::uint32_t rotateLeft(std::uint32_t x, std::uint32_t n) {
    return (x << n) | (x >> (32 - n));
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

} // namespace

TMd5Hash::TMd5Hash(const void* data, std::size_t length) {
    init();
    update(static_cast<const std::uint8_t*>(data), length);
    finalize();
    std::memcpy(digestCopy_.data(), digest_, sizeof digest_);
}

TMd5Hash::TMd5Hash(QByteArrayView data) : TMd5Hash(data.data(), static_cast<std::size_t>(data.size())) {}

void TMd5Hash::init() {
    finalized_ = false;
    count_[0] = count_[1] = 0;
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
    std::memset(buffer_, 0, sizeof buffer_);
    std::memset(digest_, 0, sizeof digest_);
}

void TMd5Hash::update(const std::uint8_t* input, std::size_t length) {
    if (finalized_) {
        platform::ShowMessage(QStringLiteral("TMd5Hash::update:  Can't update a finalized digest!"));
        return;
    }
    // Bytes already waiting in the block, from the bit count modulo 512.
    std::size_t index = (count_[0] >> 3) & 0x3F;
    const std::uint64_t bits = (std::uint64_t(count_[1]) << 32 | count_[0]) + (std::uint64_t(length) << 3);
    count_[0] = static_cast<std::uint32_t>(bits);
    count_[1] = static_cast<std::uint32_t>(bits >> 32);

    const std::size_t room = 64 - index;
    std::size_t done = 0;
    if (length >= room) {
        std::memcpy(buffer_ + index, input, room);
        transform(buffer_);
        for (done = room; done + 63 < length; done += 64)
            transform(input + done);
        index = 0;
    }
    if (length > done)
        std::memcpy(buffer_ + index, input + done, length - done);
}

void TMd5Hash::finalize() {
    if (finalized_) {
        platform::ShowMessage(QStringLiteral("TMd5Hash::finalize:  Already finalized this digest!"));
        return;
    }
    std::uint8_t bitCount[8];
    for (int i = 0; i < 8; ++i)
        bitCount[i] = static_cast<std::uint8_t>(count_[i / 4] >> (8 * (i % 4)));

    // Pad with 0x80 and zeros up to 56 bytes modulo 64, leaving room for the bit count.
    static const std::uint8_t padding[64] = {0x80};
    const std::size_t index = (count_[0] >> 3) & 0x3F;
    const std::size_t padLength = index < 56 ? 56 - index : 120 - index;
    update(padding, padLength);
    update(bitCount, 8);

    for (int i = 0; i < 16; ++i)
        digest_[i] = static_cast<std::uint8_t>(state_[i / 4] >> (8 * (i % 4)));
    std::memset(buffer_, 0, sizeof buffer_);
    finalized_ = true;
}

void TMd5Hash::transform(const std::uint8_t block[64]) {
    if (finalized_) {
        platform::ShowMessage(QStringLiteral("Fatal Error!\r\n In class TMd5Hash line 112"));
        return;
    }
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = std::uint32_t(block[4 * i]) | std::uint32_t(block[4 * i + 1]) << 8 |
               std::uint32_t(block[4 * i + 2]) << 16 | std::uint32_t(block[4 * i + 3]) << 24;

    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int step = 0; step < 64; ++step) {
        const int round = step / 16;
        std::uint32_t f;
        int k;
        switch (round) {
        case 0:
            f = (b & c) | (~b & d);
            k = step;
            break;
        case 1:
            f = (b & d) | (c & ~d);
            k = (5 * step + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            k = (3 * step + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            k = (7 * step) % 16;
            break;
        }
        const std::uint32_t rotated = rotateLeft(a + f + x[k] + kSines[step], kShifts[round][step % 4]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

QByteArray TMd5Hash::hexDigest() const {
    QByteArray hex;
    hex.reserve(32);
    for (std::uint8_t byte : digestCopy_) {
        hex.append(kHexDigits[byte >> 4]);
        hex.append(kHexDigits[byte & 0x0F]);
    }
    return hex;
}

QString TMd5Hash::hexDigestW() const {
    return QString::fromLatin1(hexDigest());
}

// --- File-password key ----------------------------------------------------------------------

QByteArray buildPasswordKey(const QString& password) {
    const QByteArray hex = TMd5Hash(password.toUtf8()).hexDigest();
    QByteArray key(64, '\0');
    for (int k = 0; k < 32; ++k) {
        key[2 * k] = hex[k];
        key[2 * k + 1] = hex[k];
    }
    return key;
}

void xorWithPasswordKey(char* buffer, qsizetype length, const QString& password) {
    const QByteArray key = buildPasswordKey(password);
    qsizetype j = 0;
    for (qsizetype i = 0; i < length; ++i) {
        if (j == 64)
            j = 0;
        buffer[i] = static_cast<char>(buffer[i] ^ key[j]);
        ++j;
    }
}

void xorWithPasswordKey(QByteArray& buffer, const QString& password) {
    xorWithPasswordKey(buffer.data(), buffer.size(), password);
}

// --- Encrypted files ------------------------------------------------------------------------

QByteArray encryptedImage(const TEkMemIni& doc, const QString& password) {
    QByteArray image = kEncryptedMarker;
    image += doc.saveToBytes(codePageUtf8);
    xorWithPasswordKey(image, password);
    return image;
}

int readEncryptedImage(TEkMemIni& doc, QByteArray stored, const QString& password) {
    xorWithPasswordKey(stored, password);
    if (stored.size() < kEncryptedMarker.size())
        return loadNotEncrypted;
    if (!stored.startsWith(kEncryptedMarker))
        return loadWrongPassword;
    // The text alone, not the stream past the marker: a reader that finds no byte-order mark
    // starts again at the start of its stream. It is read where it stands, not copied.
    const QByteArray text = QByteArray::fromRawData(stored.constData() + kEncryptedMarker.size(),
                                                    stored.size() - kEncryptedMarker.size());
    return doc.loadFromBytes(text, codePageUtf8);
}

int readEncryptedFile(TEkMemIni& doc, QIODevice& file, const QString& password) {
    const std::optional<platform::FileStamp> opened = platform::fileStamp(file);
    const qint64 size = file.size() - file.pos();
    // The stored bytes stand beside the document while it is read, which the model's own check
    // then counts in the memory left.
    if (size > platform::memoryLeft())
        return loadOutOfMemory;
    try {
        QByteArray stored = file.readAll();
        // A file written while it was read is no more the document than one cut short.
        if (stored.size() < size || (opened && platform::fileStamp(file) != opened))
            return loadUnreadable;
        return readEncryptedImage(doc, std::move(stored), password);
    } catch (const std::bad_alloc&) {
        return loadOutOfMemory;
    }
}
