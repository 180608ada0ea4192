// Helpers shared by the test programs.
#pragma once

#include "platform/core/SysUtils.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>

// How a failure shows a text: in quotes, as UTF-8. gtest finds it by argument-dependent lookup
// in QString's namespace, the global one. Every test file that compares texts includes this
// header: gtest's printer of QString is compiled into each file, and the program keeps one of
// them, which without this function would show the text as raw bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace testsupport {

// Captures every text the model shows through platform::ShowMessage while it lives, and
// restores the previous sink when it goes.
class MessageCapture {
public:
    QStringList messages;

private:
    platform::ScopedSeam<platform::MessageSink> installed_{platform::messageSink,
                                                           [this](const QString& text) { messages << text; }};
};

// Writes `bytes` to `path` (creating or truncating it); returns false when that fails.
bool writeFile(const QString& path, const QByteArray& bytes);

// The whole content of `path`, or an empty array when it cannot be read.
QByteArray readFile(const QString& path);

// A temporary folder where, between fill() and release() (or the destructor), every new write
// fails and reason() is what a save there must report. Tmpfs: a 64 KiB tmpfs in a mount
// namespace of this thread's own, taken up by a filler file; it needs root and the right to
// mount, else `skipReason` says why. FileSizeLimit: the file-size limit (RLIMIT_FSIZE) is
// lowered to 4 KiB with SIGXFSZ ignored. Files written before fill() stay as they are.
class FullDisk {
public:
    enum class Kind { Tmpfs, FileSizeLimit };

    explicit FullDisk(Kind kind);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    static const char* name(Kind kind) { return kind == Kind::Tmpfs ? "Tmpfs" : "FileSizeLimit"; }
    // The case name of a test parameterised by the kind.
    static std::string caseName(const ::testing::TestParamInfo<Kind>& info) { return name(info.param); }
    friend void PrintTo(Kind kind, std::ostream* os) { *os << name(kind); }

    QString skipReason;
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString reason() const;
    void fill();
    void release();

private:
    Kind kind_;
    QTemporaryDir dir_;
    bool mounted_ = false;
    bool filled_ = false;
    quint64 oldSoftLimit_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// A device whose size promises all of `data` but that hands out only its first `good` bytes;
// then a read fails, or finds the end (as in a file cut short while it is read). With
// OutOfMemory, a read that would reach past them throws std::bad_alloc instead.
class ShortDevice : public QIODevice {
public:
    enum class Then { Fails, Ends, OutOfMemory };
    ShortDevice(QByteArray data, qint64 good, Then then) : data_(std::move(data)), good_(good), then_(then) {
        open(ReadOnly);
    }
    qint64 size() const override { return data_.size(); }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* out, qint64 max) override {
        if (then_ == Then::OutOfMemory && pos() + max > good_)
            throw std::bad_alloc();
        const qint64 n = std::min(max, good_ - pos());
        if (n <= 0)
            return then_ == Then::Fails ? -1 : 0;
        std::memcpy(out, data_.constData() + pos(), size_t(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 good_;
    Then then_;
};

// A file read as any QFile, which runs `change` once, just before its `atRead`-th read (counting
// from 1): with the file opened Unbuffered, a load then sees the file change between two reads.
class ChangingFile : public QFile {
public:
    ChangingFile(const QString& name, int atRead, std::function<void()> change)
        : QFile(name), atRead_(atRead), change_(std::move(change)) {}

protected:
    qint64 readData(char* out, qint64 max) override {
        if (++reads_ == atRead_)
            change_();
        return QFile::readData(out, max);
    }

private:
    int atRead_;
    int reads_ = 0;
    std::function<void()> change_;
};

// While it lives, the first read of the file `path` by anyone waits until `change` has run on a
// thread of this object's, so that read reads the changed file: a permission event of fanotify,
// which takes root. `skipReason` says why not when there is none to be had.
class ChangeAtFirstRead {
public:
    ChangeAtFirstRead(const QString& path, std::function<void()> change);
    ~ChangeAtFirstRead();
    QString skipReason;

private:
    QString path_;
    int events_ = -1;
    std::thread listen_;
};

// A named pipe at `path` (replacing what was there) that nothing writes to, removed with this
// object. So that code that waits to open it fails a test rather than hanging it, a reader still
// waiting `patienceMs` after the construction is given a writer that closes at once, and
// freedAReader() turns true.
class IdlePipe {
public:
    explicit IdlePipe(const QString& path, int patienceMs = 2000);
    ~IdlePipe();
    bool freedAReader() const { return freed_; }
    const QString path;

private:
    std::atomic<bool> freed_{false};
    std::atomic<bool> stop_{false};
    std::thread watch_;
};

// The user and group "nobody".
constexpr unsigned kNobody = 65534;

// Runs `run` in a child process of this one, as `user` unless that is root (0): the child then
// takes the groups kNobody and 4343, with kNobody first. Returns what `run` returned, 2 when the
// child could not become `user`, -1 when it did not end by itself. Only root may run as others.
int exitStatusAs(unsigned user, const std::function<int()>& run);

// Figure `field` of /proc/self/statm in bytes: 0 the address space this process has mapped, as an
// address-space limit counts it, 1 what of it is in memory.
qint64 statmBytes(int field);

// How far this process's resident memory grows from the moment this is made, which first gives
// the heap's free memory back to the system and resets the peak. `valid` is false when the
// system does not let the peak be reset.
class MemoryGrowth {
public:
    MemoryGrowth();
    bool valid = false;
    qint64 now() const { return statmBytes(1) - start_; }
    qint64 peak() const; // the most since the start
private:
    qint64 start_ = 0;
};

// A file's owner, group and permission bits.
using FileIds = std::tuple<unsigned, unsigned, unsigned>;
// Gives `path` these (only root may give a file away); false when that fails.
bool setIds(const QString& path, const FileIds& ids);
// Those of `path`; all 0 when it cannot be looked at.
FileIds idsOf(const QString& path);

// A name for a parameterised case that ctest lists the same in every build: `text` with each
// character other than an ASCII letter or digit turned into "_", then "_" and the row's index,
// so that rows with equal texts stay apart.
std::string caseName(std::string_view text, std::size_t index);

} // namespace testsupport
