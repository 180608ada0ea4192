#include "app/Shellhlpr.h"

#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"

#include <QDateTime>
#include <QFileInfo>
#include <QtEndian>
#include <array>
#include <cstdint>

namespace {

// The header's fixed size and the class identifier every shell link starts with
// (00021401-0000-0000-C000-000000000046, in its stored byte order).
constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::array<std::uint8_t, 16> kLinkClassId = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Link flags: which parts follow the header.
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;

constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::uint32_t kShowNormal = 1;

// Link information: the header with the Unicode path offsets, the flag for "volume and local
// path present", a fixed drive with no serial number and an empty label.
constexpr std::uint32_t kLinkInfoHeaderSize = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kVolumeIdHeaderSize = 0x10;

constexpr qsizetype kMaxCountedString = 0xFFFF;

// 100-nanosecond ticks between 1601-01-01 and 1970-01-01, the two clocks' origins.
constexpr std::int64_t kFileTimeEpochOffset = 116444736000000000LL;

class ByteWriter {
public:
    void u16(std::uint16_t v) { append(qToLittleEndian(v)); }
    void u32(std::uint32_t v) { append(qToLittleEndian(v)); }
    void u64(std::uint64_t v) { append(qToLittleEndian(v)); }
    void bytes(const QByteArray& b) { out.append(b); }
    void utf16(const QString& s) {
        for (const QChar c : s)
            u16(c.unicode());
    }
    QByteArray out;

private:
    template <typename T> void append(T v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); }
};

// Ticks of 100 ns since 1601 (UTC), 0 for an invalid time.
std::uint64_t fileTime(const QDateTime& time) {
    if (!time.isValid())
        return 0;
    return std::uint64_t(time.toMSecsSinceEpoch() * 10000 + kFileTimeEpochOffset);
}

QByteArray linkInfo(const QString& localPath) {
    const QByteArray ansiPath = platform::ansiEncode(localPath) + '\0';
    const QByteArray emptyAnsi(1, '\0');
    const std::uint32_t volumeIdSize = kVolumeIdHeaderSize + 1; // + the empty label
    const std::uint32_t volumeIdOffset = kLinkInfoHeaderSize;
    const std::uint32_t basePathOffset = volumeIdOffset + volumeIdSize;
    const std::uint32_t suffixOffset = basePathOffset + std::uint32_t(ansiPath.size());
    const std::uint32_t basePathUnicodeOffset = suffixOffset + 1;
    const std::uint32_t suffixUnicodeOffset = basePathUnicodeOffset + 2 * std::uint32_t(localPath.size() + 1);
    const std::uint32_t size = suffixUnicodeOffset + 2;

    ByteWriter w;
    w.u32(size);
    w.u32(kLinkInfoHeaderSize);
    w.u32(kVolumeIdAndLocalBasePath);
    w.u32(volumeIdOffset);
    w.u32(basePathOffset);
    w.u32(0); // no network location
    w.u32(suffixOffset);
    w.u32(basePathUnicodeOffset);
    w.u32(suffixUnicodeOffset);
    // Volume: size, drive type, serial number, label offset, the empty label.
    w.u32(volumeIdSize);
    w.u32(kDriveFixed);
    w.u32(0);
    w.u32(kVolumeIdHeaderSize);
    w.bytes(emptyAnsi);
    w.bytes(ansiPath);
    w.bytes(emptyAnsi); // the common path suffix: empty, the base path is the whole target
    w.utf16(localPath);
    w.u16(0);
    w.u16(0);
    return w.out;
}

} // namespace

QByteArray shellLinkBytes(const TShellLink& link) {
    const QString* texts[] = {&link.description, &link.arguments, &link.iconFile};
    for (const QString* text : texts) {
        if (text->size() > kMaxCountedString)
            return {};
    }
    std::uint32_t flags = kHasLinkInfo | kIsUnicode;
    if (!link.description.isEmpty())
        flags |= kHasName;
    if (!link.arguments.isEmpty())
        flags |= kHasArguments;
    if (!link.iconFile.isEmpty())
        flags |= kHasIconLocation;

    const QFileInfo target(link.target);
    const bool found = target.exists();

    ByteWriter w;
    w.u32(kHeaderSize);
    w.bytes(QByteArray(reinterpret_cast<const char*>(kLinkClassId.data()), kLinkClassId.size()));
    w.u32(flags);
    w.u32(found ? kFileAttributeNormal : 0);
    w.u64(found ? fileTime(target.birthTime().isValid() ? target.birthTime() : target.lastModified()) : 0);
    w.u64(found ? fileTime(target.lastRead()) : 0);
    w.u64(found ? fileTime(target.lastModified()) : 0);
    w.u32(found ? std::uint32_t(target.size()) : 0); // the low 32 bits, as the format keeps it
    w.u32(std::uint32_t(link.iconIndex));
    w.u32(kShowNormal);
    w.u16(0); // no hot key
    w.u16(0); // reserved
    w.u32(0);
    w.u32(0);

    w.bytes(linkInfo(link.target));

    // The counted strings, in the format's order; empty ones are left out with their flag.
    for (const QString* text : texts) {
        if (text->isEmpty())
            continue;
        w.u16(std::uint16_t(text->size()));
        w.utf16(*text);
    }
    w.u32(0); // the end of the (empty) extra data
    return w.out;
}

QString CreateShortcut(const QString& target, const QString& linkFile, const QString& description,
                       const QString& arguments, const QString& iconFile, int iconIndex, QString* error) {
    const QByteArray bytes = shellLinkBytes({target, description, arguments, iconFile, iconIndex});
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return QString();
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("A text of the shortcut is too long"));
    const platform::SaveResult saved = platform::createNewFile(linkFile, bytes);
    return saved ? linkFile : fail(saved.error);
}
