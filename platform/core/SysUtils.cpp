#include "platform/core/SysUtils.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtDebug>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {
MessageSink& sinkSlot() {
    static MessageSink sink;
    return sink;
}
} // namespace

MessageSink setMessageSink(MessageSink sink) {
    MessageSink previous = std::move(sinkSlot());
    sinkSlot() = std::move(sink);
    return previous;
}

void ShowMessage(const QString& text) {
    if (const MessageSink& sink = sinkSlot())
        sink(text);
    else
        qWarning().noquote() << text;
}

const char* ansiCodePageName() {
    return "windows-1252";
}

// The ICU converter maps the five bytes that Windows-1252 leaves undefined to the C1 controls of
// the same value and back, so an ANSI file survives a load and save unchanged; the tests hold
// any other converter to that.
QString ansiDecode(QByteArrayView bytes) {
    QStringDecoder decoder(ansiCodePageName(), QStringDecoder::Flag::Stateless);
    Q_ASSERT(decoder.isValid());
    return decoder.decode(bytes);
}

void ansiDecodeInto(QByteArrayView bytes, char16_t* out) {
    // Every byte maps to a unit of its own, and the bytes below 0x80 to the same units, so a
    // table of the upper half, filled once through the converter, decodes as the converter does
    // without its cost per call.
    static const std::array<char16_t, 0x80> upper = [] {
        char high[0x80];
        for (int b = 0; b < 0x80; ++b)
            high[b] = char(0x80 + b);
        const QString decoded = ansiDecode(QByteArrayView(high, 0x80));
        std::array<char16_t, 0x80> table{};
        for (int b = 0; b < 0x80; ++b)
            table[size_t(b)] = decoded.at(b).unicode();
        return table;
    }();
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen bytes are widened as they are, then the upper half among them mended.
    const __m128i zero = _mm_setzero_si128();
    for (; n - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
        for (int high = _mm_movemask_epi8(v); high != 0; high &= high - 1) {
            const int k = qCountTrailingZeroBits(quint32(high));
            out[i + k] = upper[uchar(p[i + k]) - 0x80];
        }
    }
#endif
    for (; i < n; ++i) {
        const uchar b = uchar(p[i]);
        out[i] = b < 0x80 ? char16_t(b) : upper[b - 0x80];
    }
}

QByteArray ansiEncode(QStringView text) {
    // The byte of each character that has one, through the converter's decoding of every byte
    // (decoding is one to one); 0 for none but NUL.
    static const std::vector<uchar> byteOf = [] {
        std::vector<uchar> table(0x10000, 0);
        char all[0x100];
        for (int b = 0; b < 0x100; ++b)
            all[b] = char(b);
        const QString decoded = ansiDecode(QByteArrayView(all, 0x100));
        for (int b = 0x100 - 1; b > 0; --b)
            table[decoded.at(b).unicode()] = uchar(b);
        return table;
    }();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* w = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0 || byteOf[c] != 0) {
            *w++ = char(byteOf[c]);
            continue;
        }
        *w++ = '?';
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    out.truncate(w - out.constData());
    return out;
}

int compareTextIgnoreCase(QStringView a, QStringView b) {
    // QCollator is costly to construct; one per thread serves every comparison of a sort.
    thread_local QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

void charLower(QChar* text, qsizetype length) {
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i].unicode();
        // ASCII, most of every search, without a look into the Unicode tables.
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                text[i] = QChar(char16_t(c + (u'a' - u'A')));
        } else {
            text[i] = text[i].toLower();
        }
    }
}

bool FileExists(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.exists() && !info.isDir();
}

FileKind fileKind(const QString& fileName) {
    struct stat st;
    if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &st) != 0)
        return FileKind::Missing;
    if (S_ISREG(st.st_mode))
        return FileKind::Regular;
    return S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Special;
}

OpenOutcome openForReading(QFile& file, QIODevice::OpenMode mode, QString* reason) {
    const auto fail = [reason](OpenOutcome outcome, const QString& why) {
        if (reason)
            *reason = why;
        return outcome;
    };
    // O_NONBLOCK: a pipe without a writer would hold the open until one came. O_NOCTTY: a
    // terminal must not become the program's own.
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A socket, or a device node whose device is not there, cannot be opened at all.
        if (error == ENXIO)
            return fail(OpenOutcome::NotRegularFile, notRegularFileReason());
        return fail(error == ENOENT || error == ENOTDIR ? OpenOutcome::Missing : OpenOutcome::Failed,
                    qt_error_string(error));
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(OpenOutcome::Failed, qt_error_string(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(OpenOutcome::NotRegularFile, notRegularFileReason());
    }
    // A regular file ignores the flag; it is cleared all the same so that reads behave as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(OpenOutcome::Failed, file.errorString());
    }
    return OpenOutcome::Opened;
}

QString notRegularFileReason() {
    return QStringLiteral("It is a pipe, a device or a socket, not a regular file");
}

namespace {

// The text of a small file of /proc, NUL-terminated, read into `out` without touching the heap:
// it is asked when memory may be short. Empty when it cannot be read.
template <size_t N> const char* readProcFile(const char* path, char (&out)[N]) {
    out[0] = 0;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    size_t have = 0;
    while (have < N - 1) {
        const ssize_t got = ::read(fd, out + have, N - 1 - have);
        if (got <= 0)
            break;
        have += size_t(got);
    }
    ::close(fd);
    out[have] = 0;
    return out;
}

// The number after `field` in /proc/meminfo's text (in kB), or -1.
qint64 meminfoKb(const char* text, const char* field) {
    const char* at = std::strstr(text, field);
    return at ? std::strtoll(at + std::strlen(field), nullptr, 10) : -1;
}

} // namespace

qint64 memoryLeft() {
    qint64 left = std::numeric_limits<qint64>::max();
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        // The limit counts every page mapped, which statm's first figure gives.
        char statm[256];
        const qint64 mapped = std::strtoll(readProcFile("/proc/self/statm", statm), nullptr, 10) *
                              qint64(::sysconf(_SC_PAGESIZE));
        const auto cap = qint64(std::min<rlim_t>(limit.rlim_cur, rlim_t(left)));
        left = std::max<qint64>(cap - mapped, 0);
    }
    char meminfo[8192];
    readProcFile("/proc/meminfo", meminfo);
    const qint64 available = meminfoKb(meminfo, "MemAvailable:");
    const qint64 swap = meminfoKb(meminfo, "SwapFree:");
    if (available >= 0)
        left = std::min(left, (available + std::max<qint64>(swap, 0)) * 1024);
    return left;
}

} // namespace platform
