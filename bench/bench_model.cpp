// Document model benchmarks on generated files of 1, 16 and 128 MB (size of the UTF-8 file), in
// the shapes of bench/GeneratedIni.h.
//
// Beside LoadFromFile and SaveToFile per encoding stands the raw limit: the file's whole text
// read, decoded into memory and its lines counted, the fastest way we know (see readDecodeCount).
// Peak memory of a load and of a save is measured in a child process per file (this program run
// with --measure), as bytes of memory per byte of the file above the process's resident size
// before the load.
//
// The fresh-process mode (--fresh) runs every load, and the raw limit beside it, in a process of
// its own, five times each, and reports the medians: a load as a user meets it, without the warm
// heap that repeated loads in one process leave behind. Beside them stands the stream floor: the
// file read and decoded step by step into one small buffer and its lines counted, which keeps no
// text and so makes none of the memory a load must fill; it shows what the processor alone needs.
//
// --shapes picks the shapes by name (default: every shape with --fresh, the mixed one otherwise).
//
//   bench_model [--sizes=1,16,128] [--shapes=mixed,paths,...] [--fresh] [--keep] [benchmark flags]
#include "bench/GeneratedIni.h"
#include "model/EkMemIni.h"
#include "model/EkSearch.h"
#include "platform/core/SysUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <sys/mman.h>
#include <sys/resource.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Encoding {
    int codePage;
    const char* name;
};

const Encoding kEncodings[] = {{codePageUtf8, "UTF-8"},
                               {codePageAnsi, "ANSI"},
                               {codePageUtf16LE, "UTF-16LE"},
                               {codePageUtf16BE, "UTF-16BE"}};

// --- Generated files -----------------------------------------------------------------------

QByteArray encodeFile(const QString& text, int codePage) {
    switch (codePage) {
    case codePageUtf8:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case codePageAnsi:
        return platform::ansiEncode(text);
    default: {
        QStringEncoder enc(codePage == codePageUtf16LE ? QStringConverter::Utf16LE
                                                       : QStringConverter::Utf16BE,
                           QStringConverter::Flag::WriteBom);
        return enc.encode(text);
    }
    }
}

// A generated file: its shape, its size in MB (of the UTF-8 form) and its encoding.
using FileKey = std::tuple<IniShape, int, int>;

struct Corpus {
    QTemporaryDir dir;
    std::map<FileKey, QString> files;                     // the path of each file
    std::map<FileKey, std::unique_ptr<TEkMemIni>> loaded; // the document read from it
};

Corpus& corpus() {
    static Corpus c;
    return c;
}

qint64 fileSize(const QString& path) {
    return QFile(path).size();
}

// The document read from that file; the one document kept at a time.
TEkMemIni& loadedDocument(const FileKey& key) {
    auto& slot = corpus().loaded[key];
    if (!slot) {
        corpus().loaded.clear();
        auto& fresh = corpus().loaded[key];
        fresh = std::make_unique<TEkMemIni>();
        fresh->LoadFromFile(corpus().files[key]);
        return *fresh;
    }
    return *slot;
}
// --- Benchmarks ----------------------------------------------------------------------------

// Processor time of this process so far, user and system, in microseconds.
qint64 cpuMicroseconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return qint64(use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000000 + use.ru_utime.tv_usec +
           use.ru_stime.tv_usec;
}

qint64 countLineFeeds(const char* p, const char* end) {
    qint64 lines = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
        ++lines;
        ++p;
    }
    return lines;
}

qint64 countLineFeeds(const char16_t* p, const char16_t* end) {
    qint64 lines = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(u'\n');
    for (; end - p >= 8; p += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        lines += qPopulationCount(quint32(_mm_movemask_epi8(_mm_cmpeq_epi16(v, lf)))) / 2;
    }
#endif
    for (; p < end; ++p)
        lines += *p == u'\n';
    return lines;
}

// The raw limit of a load: the file's whole text decoded into memory and its lines counted. A
// load keeps the text it reads, so the limit does too; done the fastest way we know: the file
// mapped with its pages (they are in the cache, as they are for a load), decoded in one call of
// Qt's converter (ANSI: the platform's table; UTF-16: copied or swapped) into one string, its line
// feeds counted with memchr (UTF-16: over the text). `text` receives the text, so that its
// release is no part of the measurement. Returns the lines, -1 when the file cannot be read.
qint64 readDecodeCount(const QString& path, int codePage, QString& text) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return -1;
    const qint64 n = ::lseek(fd, 0, SEEK_END);
    void* mapped = n > 0 ? ::mmap(nullptr, size_t(n), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0) : nullptr;
    ::close(fd);
    if (mapped == MAP_FAILED)
        return -1;
    const char* bytes = static_cast<const char*>(mapped);
    qint64 lines = 0;
    switch (codePage) {
    case codePageUtf8:
        text = QString::fromUtf8(bytes, n);
        lines = countLineFeeds(bytes, bytes + n);
        break;
    case codePageUtf16LE:
    case codePageUtf16BE: {
        text = QString(n / 2, Qt::Uninitialized);
        auto* u = reinterpret_cast<char16_t*>(text.data());
        if (codePage == codePageUtf16LE)
            qFromLittleEndian<char16_t>(bytes, n / 2, u);
        else
            qFromBigEndian<char16_t>(bytes, n / 2, u);
        lines = countLineFeeds(u, u + n / 2);
        break;
    }
    default: {
        text = QString(n, Qt::Uninitialized);
        platform::ansiDecodeInto(QByteArrayView(bytes, n), reinterpret_cast<char16_t*>(text.data()));
        lines = countLineFeeds(bytes, bytes + n);
        break;
    }
    }
    benchmark::DoNotOptimize(text.constData());
    if (mapped)
        ::munmap(mapped, size_t(n));
    return lines;
}

void rawLimit(benchmark::State& state, FileKey key) {
    const QString path = corpus().files[key];
    qint64 lines = 0;
    for (auto _ : state) {
        QString text;
        lines = readDecodeCount(path, std::get<2>(key), text);
        state.PauseTiming();
        text = QString();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(lines);
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}

// The stream floor: the file read in steps and decoded in pieces small enough for the
// processor's cache and the heap's reuse, its lines counted; nothing is kept. UTF-8 goes through
// Qt's one-call conversion, its fastest, in pieces that end on a character.
qint64 streamDecodeCount(const QString& path, int codePage) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return -1;
    constexpr qint64 kStep = 1 << 18;
    constexpr qsizetype kPiece = 1 << 15;
    std::vector<char> bytes(kStep + 4);
    std::vector<char16_t> units(kStep);
    qint64 lines = 0;
    qsizetype carried = 0; // the start of a UTF-8 character that the last step cut
    qint64 got = 0;
    while ((got = file.read(bytes.data() + carried, kStep)) > 0) {
        const char* b = bytes.data();
        qsizetype n = carried + got;
        switch (codePage) {
        case codePageUtf8: {
            qsizetype whole = n;
            while (whole > 0 && (uchar(b[whole - 1]) & 0xC0) == 0x80)
                --whole;
            if (whole > 0 && uchar(b[whole - 1]) >= 0xC0)
                --whole; // a lead byte whose sequence may go on in the next step
            for (qsizetype at = 0; at < whole;) {
                qsizetype k = std::min(kPiece, whole - at);
                while (at + k < whole && (uchar(b[at + k]) & 0xC0) == 0x80)
                    --k;
                benchmark::DoNotOptimize(QString::fromUtf8(b + at, k).constData());
                at += k;
            }
            lines += countLineFeeds(b, b + whole);
            carried = n - whole;
            std::memmove(bytes.data(), b + whole, size_t(carried));
            break;
        }
        case codePageUtf16LE:
        case codePageUtf16BE:
            if (codePage == codePageUtf16LE)
                qFromLittleEndian<char16_t>(b, n / 2, units.data());
            else
                qFromBigEndian<char16_t>(b, n / 2, units.data());
            lines += countLineFeeds(units.data(), units.data() + n / 2);
            break;
        default:
            platform::ansiDecodeInto(QByteArrayView(b, n), units.data());
            lines += countLineFeeds(b, b + n);
            break;
        }
        benchmark::DoNotOptimize(units.data());
    }
    return lines;
}

void loadFile(benchmark::State& state, FileKey key) {
    const QString path = corpus().files[key];
    const int codePage = std::get<2>(key);
    TEkMemIni doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.sections.clear();
        // Return the freed items to the heap's free lists now, as a fresh process would have
        // them, instead of charging glibc's consolidation to the next load.
        malloc_trim(0);
        state.ResumeTiming();
        if (doc.LoadFromFile(path) != codePage)
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}

void saveFile(benchmark::State& state, FileKey key) {
    TEkMemIni& doc = loadedDocument(key);
    const int codePage = std::get<2>(key);
    const QString target = corpus().dir.filePath(QStringLiteral("saved.ini"));
    for (auto _ : state) {
        if (!doc.SaveToFile(target, codePage))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(target));
}

void saveStream(benchmark::State& state, FileKey key) {
    // The same without the file system: build, encode and hand to a device that drops it.
    TEkMemIni& doc = loadedDocument(key);
    const int codePage = std::get<2>(key);
    QFile null(QStringLiteral("/dev/null"));
    null.open(QIODevice::WriteOnly);
    for (auto _ : state)
        doc.SaveToStream(null, codePage);
    state.SetBytesProcessed(state.iterations() * fileSize(corpus().files[key]));
}

// The check that every save runs first, for lines that would read back as something else,
// against the save it precedes: both are timed in each iteration, one after the other, so that
// the share holds however busy the machine is. The check's processor time counts every thread it
// runs on.
void checkBeforeSave(benchmark::State& state, FileKey key) {
    TEkMemIni& doc = loadedDocument(key);
    const QString target = corpus().dir.filePath(QStringLiteral("saved.ini"));
    double checkMs = 0;
    double checkCpuMs = 0;
    double saveMs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        int s = -1, i = -1;
        const qint64 cpu = cpuMicroseconds();
        timer.start();
        if (doc.findUnreadableLine(s, i))
            state.SkipWithError("unexpected unreadable line");
        checkMs += double(timer.nsecsElapsed()) / 1e6;
        checkCpuMs += double(cpuMicroseconds() - cpu) / 1e3;
        timer.start();
        if (!doc.SaveToFile(target, codePageUtf8))
            state.SkipWithError("save failed");
        saveMs += double(timer.nsecsElapsed()) / 1e6;
    }
    const double runs = double(state.iterations());
    state.counters["check_ms"] = checkMs / runs;
    state.counters["check_cpu_ms"] = checkCpuMs / runs;
    state.counters["save_ms"] = saveMs / runs;
    state.counters["check_percent"] = 100 * checkMs / saveMs;
}

void findNoHit(benchmark::State& state, FileKey key) {
    TEkMemIni& doc = loadedDocument(key);
    for (auto _ : state) {
        TEkSearch search(QStringLiteral("NoSuchText"), QString(), false, false);
        int s = -1, i = -1;
        if (doc.find(search, s, i, true, true, true, true, true, false))
            state.SkipWithError("unexpected hit");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(corpus().files[key]));
}

void sortAll(benchmark::State& state, FileKey key) {
    TEkMemIni& doc = loadedDocument(key);
    bool ascending = true;
    for (auto _ : state) {
        doc.sortAll(0, ascending);
        ascending = !ascending; // each run reverses the order the last one left
    }
    state.SetBytesProcessed(state.iterations() * fileSize(corpus().files[key]));
}

void countItems(benchmark::State& state, FileKey key) {
    TEkMemIni& doc = loadedDocument(key);
    int counts[5];
    for (auto _ : state) {
        doc.countItemTypes(counts[0], counts[1], counts[2], counts[3], counts[4]);
        benchmark::DoNotOptimize(counts);
    }
    state.counters["sections"] = counts[0];
    state.counters["items"] = double(counts[1] + counts[2] + counts[3] + counts[4]);
}

// --- Peak memory in a child process --------------------------------------------------------

qint64 statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Child: loads and saves one file, prints "baseKb loadPeakKb savePeakKb loadMs saveMs".
int measure(const QString& path, int codePage, const QString& target) {
    { // warm the converters and the page cache outside the measurement
        TEkMemIni warm;
        warm.loadFromBytes("a=1", codePage);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        char buf[1 << 16];
        while (f.read(buf, sizeof buf) > 0) {
        }
    }
    resetPeak();
    const qint64 base = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    TEkMemIni doc;
    if (doc.LoadFromFile(path) != codePage)
        return 1;
    const qint64 loadMs = timer.elapsed();
    const qint64 loadPeak = statusKb("VmHWM:");
    resetPeak();
    timer.restart();
    if (!doc.SaveToFile(target, codePage))
        return 2;
    const qint64 saveMs = timer.elapsed();
    const qint64 savePeak = statusKb("VmHWM:");
    std::printf("%lld %lld %lld %lld %lld\n", base, loadPeak, savePeak, loadMs, saveMs);
    return 0;
}

// --- One load per process ------------------------------------------------------------------

// What a fresh child measures.
enum class FreshMode { Raw, Stream, Load };
const char* const kFreshModes[] = {"raw", "stream", "load"};

// Child: one load (or the raw limit, or the stream floor) of the file; prints "wallMicroseconds
// cpuMicroseconds peakBytesAboveBase". Nothing is released before the figures are taken.
int freshChild(const QString& path, int codePage, FreshMode mode) {
    resetPeak();
    const qint64 base = statusKb("VmRSS:");
    const qint64 cpu = cpuMicroseconds();
    QElapsedTimer timer;
    timer.start();
    auto* doc = new TEkMemIni;
    QString text;
    switch (mode) {
    case FreshMode::Raw:
        if (readDecodeCount(path, codePage, text) < 0)
            return 1;
        break;
    case FreshMode::Stream:
        if (streamDecodeCount(path, codePage) < 0)
            return 1;
        break;
    case FreshMode::Load:
        if (doc->LoadFromFile(path) != codePage)
            return 1;
        break;
    }
    const qint64 us = timer.nsecsElapsed() / 1000;
    std::printf("%lld %lld %lld\n", us, cpuMicroseconds() - cpu, (statusKb("VmHWM:") - base) * 1024);
    std::fflush(stdout);
    std::_Exit(0); // the release of the document or the text is not part of the measurement
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The medians of `runs` fresh children of each mode: wall and processor microseconds, peak bytes.
struct FreshFigures {
    double us[3] = {};
    double cpu[3] = {};
    double peak = 0; // of the load
};

bool measureFresh(const char* self, const QString& path, int codePage, int runs, FreshFigures& out) {
    std::vector<double> us[3], cpu[3], peak;
    for (int i = 0; i < runs; ++i) {
        for (int m = 0; m < 3; ++m) {
            QProcess child;
            child.start(QString::fromLocal8Bit(self),
                        {QStringLiteral("--fresh-child"), path, QString::number(codePage),
                         QLatin1String(kFreshModes[m])});
            child.waitForFinished(-1);
            const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
            if (child.exitCode() != 0 || f.size() != 3)
                return false;
            us[m].push_back(f[0].toDouble());
            cpu[m].push_back(f[1].toDouble());
            if (m == int(FreshMode::Load))
                peak.push_back(f[2].toDouble());
        }
    }
    for (int m = 0; m < 3; ++m) {
        out.us[m] = median(us[m]);
        out.cpu[m] = median(cpu[m]);
    }
    out.peak = median(peak);
    return true;
}

void reportFresh(const char* self, const std::vector<IniShape>& shapes, const std::vector<int>& sizes,
                 int runs) {
    std::printf("\nOne load per process, median of %d\n", runs);
    std::printf("raw: the whole text read, decoded and kept, lines counted; stream: read and decoded in\n"
                "steps, nothing kept; ratio: raw ms / load ms (cpu: the same of user + system time,\n"
                "steadier on a busy machine); B/B: peak memory of the load per byte of the file\n");
    std::printf("%-9s %-9s %4s %8s %9s %8s %9s %8s %6s %6s %6s\n", "shape", "encoding", "MB", "raw ms",
                "stream ms", "load ms", "load MB/s", "raw MB/s", "ratio", "cpu", "B/B");
    for (IniShape shape : shapes) {
        for (int mb : sizes) {
            for (const Encoding& e : kEncodings) {
                const QString path = corpus().files[{shape, mb, e.codePage}];
                FreshFigures f;
                if (!measureFresh(self, path, e.codePage, runs, f)) {
                    std::printf("%-9s %-9s %4d measurement failed\n", iniShapeName(shape), e.name, mb);
                    continue;
                }
                const double bytes = double(fileSize(path));
                const double raw = f.us[int(FreshMode::Raw)];
                const double load = f.us[int(FreshMode::Load)];
                std::printf("%-9s %-9s %4d %8.1f %9.1f %8.1f %9.1f %8.1f %6.2f %6.2f %6.2f\n",
                            iniShapeName(shape), e.name, mb, raw / 1000, f.us[int(FreshMode::Stream)] / 1000,
                            load / 1000, bytes / load, bytes / raw, raw / load,
                            f.cpu[int(FreshMode::Raw)] / f.cpu[int(FreshMode::Load)], f.peak / bytes);
                std::fflush(stdout);
            }
        }
    }
    std::printf("\n");
}

void reportMemory(const char* self, const std::vector<IniShape>& shapes, const std::vector<int>& sizes) {
    std::printf("\nPeak memory above the resident size before the load, per byte of the file read\n");
    std::printf("%-9s %-9s %5s %12s %14s %14s %9s %9s\n", "shape", "encoding", "MB", "file bytes",
                "load B/byte", "save B/byte", "load ms", "save ms");
    for (IniShape shape : shapes) {
        for (int mb : sizes) {
            for (const Encoding& e : kEncodings) {
                const QString path = corpus().files[{shape, mb, e.codePage}];
                QProcess child;
                child.start(QString::fromLocal8Bit(self),
                            {QStringLiteral("--measure"), path, QString::number(e.codePage),
                             corpus().dir.filePath(QStringLiteral("measured.ini"))});
                child.waitForFinished(-1);
                const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
                if (child.exitCode() != 0 || f.size() != 5) {
                    std::printf("%-9s %-9s %5d measurement failed\n", iniShapeName(shape), e.name, mb);
                    continue;
                }
                const double bytes = double(fileSize(path));
                const double base = f[0].toDouble() * 1024;
                std::printf("%-9s %-9s %5d %12.0f %14.2f %14.2f %9lld %9lld\n", iniShapeName(shape), e.name,
                            mb, bytes, (f[1].toDouble() * 1024 - base) / bytes,
                            (f[2].toDouble() * 1024 - base) / bytes, f[3].toLongLong(), f[4].toLongLong());
            }
        }
    }
    std::printf("\n");
    std::fflush(stdout);
}

// The files of every shape and size in every encoding.
void writeFiles(const std::vector<IniShape>& shapes, const std::vector<int>& sizes) {
    for (IniShape shape : shapes) {
        for (int mb : sizes) {
            const qint64 target = qint64(mb) << 20;
            const QString unicode = generateIniText(shape, target, false);
            const QString latin = generateIniText(shape, target, true);
            for (const Encoding& e : kEncodings) {
                const QString path = corpus().dir.filePath(QStringLiteral("%1_%2mb_%3.ini")
                                                               .arg(QLatin1String(iniShapeName(shape)))
                                                               .arg(mb)
                                                               .arg(e.name));
                QFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(encodeFile(e.codePage == codePageAnsi ? latin : unicode, e.codePage));
                corpus().files[{shape, mb, e.codePage}] = path;
            }
        }
    }
}

void registerBenchmarks(const std::vector<IniShape>& shapes, const std::vector<int>& sizes) {
    auto name = [](const char* what, IniShape shape, const char* encoding, int mb) {
        std::string n(what);
        n.append("/").append(iniShapeName(shape));
        if (encoding)
            n.append("/").append(encoding);
        n.append("/").append(std::to_string(mb)).append("MB");
        return n;
    };
    for (IniShape shape : shapes) {
        for (int mb : sizes) {
            for (const Encoding& e : kEncodings) {
                const FileKey key{shape, mb, e.codePage};
                benchmark::RegisterBenchmark(name("RawLimit", shape, e.name, mb).c_str(), rawLimit, key)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(name("LoadFromFile", shape, e.name, mb).c_str(), loadFile, key)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(name("SaveToFile", shape, e.name, mb).c_str(), saveFile, key)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(name("SaveToStream", shape, e.name, mb).c_str(), saveStream, key)
                    ->Unit(benchmark::kMillisecond);
            }
            const FileKey utf8{shape, mb, codePageUtf8};
            benchmark::RegisterBenchmark(name("CheckBeforeSave", shape, "UTF-8", mb).c_str(), checkBeforeSave,
                                         utf8)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(name("FindNoHitIgnoringCase", shape, nullptr, mb).c_str(), findNoHit,
                                         utf8)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(name("SortAll", shape, nullptr, mb).c_str(), sortAll, utf8)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(name("CountItemTypes", shape, nullptr, mb).c_str(), countItems, utf8)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--measure") == 0)
        return measure(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
    if (argc == 5 && std::strcmp(argv[1], "--fresh-child") == 0) {
        for (int m = 0; m < 3; ++m) {
            if (std::strcmp(argv[4], kFreshModes[m]) == 0)
                return freshChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), FreshMode(m));
        }
        return 2;
    }

    std::vector<int> sizes = {1, 16, 128};
    std::vector<IniShape> shapes;
    std::vector<char*> rest;
    bool fresh = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fresh") == 0) {
            fresh = true;
        } else if (std::strcmp(argv[i], "--keep") == 0) {
            // Leaves the generated files for a profiler run of a single --fresh-child.
            corpus().dir.setAutoRemove(false);
            std::printf("files in %s\n", qPrintable(corpus().dir.path()));
        } else if (std::strncmp(argv[i], "--sizes=", 8) == 0) {
            sizes.clear();
            for (const QByteArray& s : QByteArray(argv[i] + 8).split(','))
                sizes.push_back(s.toInt());
        } else if (std::strncmp(argv[i], "--shapes=", 9) == 0) {
            for (const QByteArray& s : QByteArray(argv[i] + 9).split(',')) {
                const auto* known = std::find_if(std::begin(kIniShapes), std::end(kIniShapes),
                                                 [&](IniShape shape) { return s == iniShapeName(shape); });
                if (known == std::end(kIniShapes)) {
                    std::fprintf(stderr, "unknown shape %s\n", s.constData());
                    return 2;
                }
                shapes.push_back(*known);
            }
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (shapes.empty()) {
        if (fresh)
            shapes.assign(std::begin(kIniShapes), std::end(kIniShapes));
        else
            shapes = {IniShape::Mixed};
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    writeFiles(shapes, sizes);
    if (fresh) {
        reportFresh(argv[0], shapes, sizes, 5);
        return 0;
    }
    reportMemory(argv[0], shapes, sizes);
    registerBenchmarks(shapes, sizes);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    corpus().loaded.clear();
    return 0;
}
