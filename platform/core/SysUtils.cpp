#include "platform/core/SysUtils.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtDebug>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>
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

TestSeam<MessageSink> messageSink;

void ShowMessage(const QString& text) {
    if (messageSink)
        messageSink(text);
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
        return fail(OpenOutcome::NotRegularFile, S_ISDIR(st.st_mode)
                                                     ? QStringLiteral("It is a folder, not a file")
                                                     : notRegularFileReason());
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

std::optional<FileStamp> fileStamp(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    struct stat st;
    if (!file || !file->isOpen() || file->handle() < 0 || ::fstat(file->handle(), &st) != 0)
        return std::nullopt;
    constexpr qint64 kNs = 1000000000;
    return FileStamp{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * kNs + st.st_mtim.tv_nsec,
                     qint64(st.st_ctim.tv_sec) * kNs + st.st_ctim.tv_nsec};
}

namespace {

constexpr qint64 kNoLimit = std::numeric_limits<qint64>::max();

// The text of a small file of /proc or /sys, NUL-terminated, read into `out` without touching the
// heap: it is asked when memory may be short. Empty when it cannot be read.
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

// The number a control group's file holds, or -1 when it holds none ("max", or no such file).
qint64 groupFigure(const char* folder, const char* file) {
    char path[PATH_MAX];
    char text[64];
    if (std::snprintf(path, sizeof path, "%s/%s", folder, file) >= int(sizeof path))
        return -1;
    readProcFile(path, text);
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return end != text && value >= 0 ? qint64(value) : -1;
}

// The number after `key` where a line of `text` begins with it ("key value" lines, as a control
// group's memory.stat holds), or 0.
qint64 statFigure(const char* text, std::string_view key) {
    for (const char* line = text; line && *line;) {
        if (std::strncmp(line, key.data(), key.size()) == 0 && line[key.size()] == ' ')
            return std::max<qint64>(std::strtoll(line + key.size() + 1, nullptr, 10), 0);
        line = std::strchr(line, '\n');
        if (line)
            ++line;
    }
    return 0;
}

// What the group at `folder` leaves under its own memory limit, in either version's files. The
// usage counts the page cache too; the part of it that has gone unused for a while (the inactive
// file pages) the kernel takes back before it fails an allocation, so it counts as left, as the
// system's own "available" figure counts it.
qint64 groupLeft(const char* folder) {
    struct Files {
        const char* limit;
        const char* usage;
        std::string_view inactiveFile; // in memory.stat, over the group and those below it
    };
    for (const Files& files :
         {Files{"memory.max", "memory.current", "inactive_file"},
          Files{"memory.limit_in_bytes", "memory.usage_in_bytes", "total_inactive_file"}}) {
        const qint64 limit = groupFigure(folder, files.limit);
        const qint64 usage = limit >= 0 ? groupFigure(folder, files.usage) : -1;
        if (usage < 0)
            continue;
        char path[PATH_MAX];
        char stat[8192];
        qint64 reclaimable = 0;
        if (std::snprintf(path, sizeof path, "%s/memory.stat", folder) < int(sizeof path))
            reclaimable = std::min(statFigure(readProcFile(path, stat), files.inactiveFile), usage);
        return std::max<qint64>(limit - (usage - reclaimable), 0);
    }
    return kNoLimit;
}

// The least that the group `group` of the hierarchy mounted at `mount` and every group above it
// leave: a container's limit is often set on a group above the process's own.
qint64 groupsLeft(const char* mount, std::string_view group) {
    char folder[PATH_MAX];
    const int base = std::snprintf(folder, sizeof folder, "%s%s", controlGroupRoot.get().constData(), mount);
    if (base < 0 || size_t(base) + group.size() >= sizeof folder)
        return kNoLimit;
    qint64 left = kNoLimit;
    while (true) {
        while (!group.empty() && group.back() == '/')
            group.remove_suffix(1);
        group.copy(folder + base, group.size());
        folder[size_t(base) + group.size()] = 0;
        left = std::min(left, groupLeft(folder));
        if (group.empty())
            return left;
        group.remove_suffix(group.size() - (group.rfind('/') + 1)); // up to the last "/" left
    }
}

// What the control groups of this process leave. Its lines of proc/self/cgroup read
// "0::/group" for version 2 and "N:controllers:/group" for each hierarchy of version 1, where
// the controller "memory" has one of its own.
qint64 controlGroupsLeft() {
    char path[PATH_MAX];
    char text[4096];
    if (std::snprintf(path, sizeof path, "%s/proc/self/cgroup", controlGroupRoot.get().constData()) >=
        int(sizeof path))
        return kNoLimit;
    qint64 left = kNoLimit;
    for (std::string_view rest = readProcFile(path, text); !rest.empty();) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        const size_t first = line.find(':');
        const size_t second = line.find(':', first + 1);
        if (first == std::string_view::npos || second == std::string_view::npos)
            continue;
        const std::string_view id = line.substr(0, first);
        std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view group = line.substr(second + 1);
        if (id == "0" && controllers.empty())
            left = std::min(left, groupsLeft("/sys/fs/cgroup", group));
        while (!controllers.empty()) {
            const std::string_view controller = controllers.substr(0, controllers.find(','));
            controllers.remove_prefix(std::min(controllers.size(), controller.size() + 1));
            if (controller == "memory")
                left = std::min(left, groupsLeft("/sys/fs/cgroup/memory", group));
        }
    }
    return left;
}

} // namespace

TestSeam<MemoryFigure> memoryLeftFigure;
TestSeam<QByteArray> controlGroupRoot;

qint64 addressSpaceLeft() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kNoLimit;
    // The limit counts every page mapped, which statm's first figure gives.
    char statm[256];
    const qint64 mapped =
        std::strtoll(readProcFile("/proc/self/statm", statm), nullptr, 10) * qint64(::sysconf(_SC_PAGESIZE));
    const auto cap = qint64(std::min<rlim_t>(limit.rlim_cur, rlim_t(kNoLimit)));
    return std::max<qint64>(cap - mapped, 0);
}

qint64 memoryLeft() {
    if (memoryLeftFigure)
        return memoryLeftFigure();
    qint64 left = std::min(addressSpaceLeft(), controlGroupsLeft());
    char meminfo[8192];
    readProcFile("/proc/meminfo", meminfo);
    const qint64 available = meminfoKb(meminfo, "MemAvailable:");
    const qint64 swap = meminfoKb(meminfo, "SwapFree:");
    if (available >= 0)
        left = std::min(left, (available + std::max<qint64>(swap, 0)) * 1024);
    return left;
}

} // namespace platform
