// Document model benchmarks on generated files of 1, 16 and 128 MB (size of the UTF-8 file).
//
// Beside LoadFromFile and SaveToFile per encoding stands the raw limit: read the whole file,
// decode it with Qt's converter and count its lines with memchr. Peak memory of a load and of
// a save is measured in a child process per file (this program run with --measure), as bytes
// of memory per byte of the file above the process's resident size before the load.
//
// The fresh-process mode (--fresh) runs every load, and the raw limit beside it, in a process of
// its own, five times each, and reports the medians: a load as a user meets it, without the warm
// heap that repeated loads in one process leave behind.
//
//   bench_model [--sizes=1,16,128] [--fresh] [--keep] [benchmark flags]
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
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <map>
#include <memory>
#include <sys/resource.h>
#include <vector>

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

struct Corpus {
    QTemporaryDir dir;
    std::map<std::pair<int, int>, QString> files;                     // (MB, code page) -> path
    std::map<std::pair<int, int>, std::unique_ptr<TEkMemIni>> loaded; // (MB, code page) -> document
};

Corpus& corpus() {
    static Corpus c;
    return c;
}

qint64 fileSize(const QString& path) {
    return QFile(path).size();
}

// The document read from the file of that size and encoding; the one document kept at a time.
TEkMemIni& loadedDocument(int mb, int codePage = codePageUtf8) {
    auto& slot = corpus().loaded[{mb, codePage}];
    if (!slot) {
        corpus().loaded.clear();
        auto& fresh = corpus().loaded[{mb, codePage}];
        fresh = std::make_unique<TEkMemIni>();
        fresh->LoadFromFile(corpus().files[{mb, codePage}]);
        return *fresh;
    }
    return *slot;
}
// --- Benchmarks ----------------------------------------------------------------------------

// The raw limit of a load: read the whole file, decode it, count its lines. Returns the lines.
qint64 readDecodeCount(const QString& path, int codePage) {
    const auto conv = codePage == codePageUtf8      ? QStringConverter::Utf8
                      : codePage == codePageUtf16LE ? QStringConverter::Utf16LE
                      : codePage == codePageUtf16BE ? QStringConverter::Utf16BE
                                                    : QStringConverter::Latin1;
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const QString text =
        codePage == codePageAnsi ? platform::ansiDecode(bytes) : QStringDecoder(conv).decode(bytes);
    qint64 lines = 0;
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
        ++lines;
        ++p;
    }
    benchmark::DoNotOptimize(text.constData());
    return lines;
}

void rawLimit(benchmark::State& state, int mb, int codePage) {
    const QString path = corpus().files[{mb, codePage}];
    qint64 lines = 0;
    for (auto _ : state)
        lines = readDecodeCount(path, codePage);
    state.counters["lines"] = double(lines);
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}

void loadFile(benchmark::State& state, int mb, int codePage) {
    const QString path = corpus().files[{mb, codePage}];
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

void saveFile(benchmark::State& state, int mb, int codePage) {
    TEkMemIni& doc = loadedDocument(mb, codePage);
    const QString target = corpus().dir.filePath(QStringLiteral("saved.ini"));
    for (auto _ : state) {
        if (!doc.SaveToFile(target, codePage))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(target));
}

void saveStream(benchmark::State& state, int mb, int codePage) {
    // The same without the file system: build, encode and hand to a device that drops it.
    TEkMemIni& doc = loadedDocument(mb, codePage);
    QFile null(QStringLiteral("/dev/null"));
    null.open(QIODevice::WriteOnly);
    for (auto _ : state)
        doc.SaveToStream(null, codePage);
    state.SetBytesProcessed(state.iterations() * fileSize(corpus().files[{mb, codePage}]));
}

// The check that every save runs first, for lines that would read back as something else,
// against the save it precedes: both are timed in each iteration, one after the other, so that
// the share holds however busy the machine is.
void checkBeforeSave(benchmark::State& state, int mb) {
    TEkMemIni& doc = loadedDocument(mb);
    const QString target = corpus().dir.filePath(QStringLiteral("saved.ini"));
    double checkMs = 0;
    double saveMs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        int s = -1, i = -1;
        timer.start();
        if (doc.findUnreadableLine(s, i))
            state.SkipWithError("unexpected unreadable line");
        checkMs += double(timer.nsecsElapsed()) / 1e6;
        timer.start();
        if (!doc.SaveToFile(target, codePageUtf8))
            state.SkipWithError("save failed");
        saveMs += double(timer.nsecsElapsed()) / 1e6;
    }
    const double runs = double(state.iterations());
    state.counters["check_ms"] = checkMs / runs;
    state.counters["save_ms"] = saveMs / runs;
    state.counters["check_percent"] = 100 * checkMs / saveMs;
}

void findNoHit(benchmark::State& state, int mb) {
    TEkMemIni& doc = loadedDocument(mb);
    for (auto _ : state) {
        TEkSearch search(QStringLiteral("NoSuchText"), QString(), false, false);
        int s = -1, i = -1;
        if (doc.find(search, s, i, true, true, true, true, true, false))
            state.SkipWithError("unexpected hit");
    }
    state.SetBytesProcessed(state.iterations() * fileSize(corpus().files[{mb, codePageUtf8}]));
}

void sortAll(benchmark::State& state, int mb) {
    TEkMemIni& doc = loadedDocument(mb);
    bool ascending = true;
    for (auto _ : state) {
        doc.sortAll(0, ascending);
        ascending = !ascending; // each run reverses the order the last one left
    }
    state.SetBytesProcessed(state.iterations() * fileSize(corpus().files[{mb, codePageUtf8}]));
}

void countItems(benchmark::State& state, int mb) {
    TEkMemIni& doc = loadedDocument(mb);
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
        warm.LoadFromBytes("a=1", codePage);
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

// Processor time of this process so far, user and system, in microseconds.
qint64 cpuMicroseconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return qint64(use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000000 + use.ru_utime.tv_usec +
           use.ru_stime.tv_usec;
}

// Child: one load (or the raw limit) of the file; prints "wallMicroseconds cpuMicroseconds
// peakBytesAboveBase".
int freshChild(const QString& path, int codePage, bool raw) {
    resetPeak();
    const qint64 base = statusKb("VmRSS:");
    const qint64 cpu = cpuMicroseconds();
    QElapsedTimer timer;
    timer.start();
    if (raw) {
        benchmark::DoNotOptimize(readDecodeCount(path, codePage));
    } else {
        TEkMemIni doc;
        if (doc.LoadFromFile(path) != codePage)
            return 1;
        const qint64 us = timer.nsecsElapsed() / 1000;
        std::printf("%lld %lld %lld\n", us, cpuMicroseconds() - cpu, (statusKb("VmHWM:") - base) * 1024);
        std::fflush(stdout);
        std::_Exit(0); // the destructor's cost is not part of the load
    }
    const qint64 us = timer.nsecsElapsed() / 1000;
    std::printf("%lld %lld %lld\n", us, cpuMicroseconds() - cpu, (statusKb("VmHWM:") - base) * 1024);
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void reportFresh(const char* self, const std::vector<int>& sizes, int runs) {
    std::printf("\nOne load per process, median of %d (raw limit: read + UTF-16 decode + line count)\n",
                runs);
    std::printf("(cpu: user + system time of the process, steadier than the wall clock on a busy machine)\n");
    std::printf("%-9s %5s %8s %9s %8s %9s %6s %8s %9s %9s %11s\n", "encoding", "MB", "raw ms", "raw MB/s",
                "load ms", "load MB/s", "ratio", "raw cpu", "load cpu", "cpu ratio", "peak B/byte");
    for (int mb : sizes) {
        for (const Encoding& e : kEncodings) {
            const QString path = corpus().files[{mb, e.codePage}];
            const double bytes = double(fileSize(path));
            std::vector<double> rawUs, loadUs, rawCpu, loadCpu, loadPeak;
            bool failed = false;
            for (int i = 0; i < runs && !failed; ++i) {
                for (const char* mode : {"raw", "load"}) {
                    QProcess child;
                    child.start(QString::fromLocal8Bit(self),
                                {QStringLiteral("--fresh-child"), path, QString::number(e.codePage),
                                 QLatin1String(mode)});
                    child.waitForFinished(-1);
                    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
                    if (child.exitCode() != 0 || f.size() != 3) {
                        failed = true;
                        break;
                    }
                    if (std::strcmp(mode, "raw") == 0) {
                        rawUs.push_back(f[0].toDouble());
                        rawCpu.push_back(f[1].toDouble());
                    } else {
                        loadUs.push_back(f[0].toDouble());
                        loadCpu.push_back(f[1].toDouble());
                        loadPeak.push_back(f[2].toDouble());
                    }
                }
            }
            if (failed) {
                std::printf("%-9s %5d measurement failed\n", e.name, mb);
                continue;
            }
            const double raw = median(rawUs), load = median(loadUs);
            const double rc = median(rawCpu), lc = median(loadCpu);
            std::printf("%-9s %5d %8.1f %9.1f %8.1f %9.1f %6.2f %8.1f %9.1f %9.2f %11.2f\n", e.name, mb,
                        raw / 1000, bytes / raw, load / 1000, bytes / load, raw / load, rc / 1000, lc / 1000,
                        rc / lc, median(loadPeak) / bytes);
            std::fflush(stdout);
        }
    }
    std::printf("\n");
}

void reportMemory(const char* self, const std::vector<int>& sizes) {
    std::printf("\nPeak memory above the resident size before the load, per byte of the file read\n");
    std::printf("%-9s %5s %12s %14s %14s %9s %9s\n", "encoding", "MB", "file bytes", "load B/byte",
                "save B/byte", "load ms", "save ms");
    for (int mb : sizes) {
        for (const Encoding& e : kEncodings) {
            const QString path = corpus().files[{mb, e.codePage}];
            QProcess child;
            child.start(QString::fromLocal8Bit(self),
                        {QStringLiteral("--measure"), path, QString::number(e.codePage),
                         corpus().dir.filePath(QStringLiteral("measured.ini"))});
            child.waitForFinished(-1);
            const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
            if (child.exitCode() != 0 || f.size() != 5) {
                std::printf("%-9s %5d measurement failed\n", e.name, mb);
                continue;
            }
            const double bytes = double(fileSize(path));
            const double base = f[0].toDouble() * 1024;
            std::printf("%-9s %5d %12.0f %14.2f %14.2f %9lld %9lld\n", e.name, mb, bytes,
                        (f[1].toDouble() * 1024 - base) / bytes, (f[2].toDouble() * 1024 - base) / bytes,
                        f[3].toLongLong(), f[4].toLongLong());
        }
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--measure") == 0)
        return measure(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
    if (argc == 5 && std::strcmp(argv[1], "--fresh-child") == 0)
        return freshChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]),
                          std::strcmp(argv[4], "raw") == 0);

    std::vector<int> sizes = {1, 16, 128};
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
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    for (int mb : sizes) {
        const qint64 target = qint64(mb) << 20;
        const QString unicode = generateIniText(target, false);
        const QString latin = generateIniText(target, true);
        for (const Encoding& e : kEncodings) {
            const QString path = corpus().dir.filePath(QStringLiteral("%1mb_%2.ini").arg(mb).arg(e.name));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(encodeFile(e.codePage == codePageAnsi ? latin : unicode, e.codePage));
            corpus().files[{mb, e.codePage}] = path;
        }
    }
    if (fresh) {
        reportFresh(argv[0], sizes, 5);
        return 0;
    }
    reportMemory(argv[0], sizes);

    auto name = [](const char* what, const char* encoding, int mb) {
        std::string n(what);
        if (encoding)
            n.append("/").append(encoding);
        n.append("/").append(std::to_string(mb)).append("MB");
        return n;
    };
    for (int mb : sizes) {
        for (const Encoding& e : kEncodings) {
            const int cp = e.codePage;
            benchmark::RegisterBenchmark(name("RawLimit", e.name, mb).c_str(), rawLimit, mb, cp)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(name("LoadFromFile", e.name, mb).c_str(), loadFile, mb, cp)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(name("SaveToFile", e.name, mb).c_str(), saveFile, mb, cp)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(name("SaveToStream", e.name, mb).c_str(), saveStream, mb, cp)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark(name("CheckBeforeSave", "UTF-8", mb).c_str(), checkBeforeSave, mb)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(name("FindNoHitIgnoringCase", nullptr, mb).c_str(), findNoHit, mb)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(name("SortAll", nullptr, mb).c_str(), sortAll, mb)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(name("CountItemTypes", nullptr, mb).c_str(), countItems, mb)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    corpus().loaded.clear();
    return 0;
}
