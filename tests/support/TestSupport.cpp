#include "tests/support/TestSupport.h"

#include "platform/core/SysUtils.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <malloc.h>
#include <sched.h>
#include <sys/fanotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

FullDisk::FullDisk(Kind kind) : kind_(kind) {
    // The private namespace keeps the mount from the rest of the machine and drops it with the
    // process, however it ends.
    if (kind_ != Kind::Tmpfs)
        return;
    if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("full", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=64k") != 0)
        skipReason = "cannot mount a tmpfs here: " + qt_error_string(geteuid() != 0 ? EPERM : errno);
    mounted_ = skipReason.isEmpty();
}

FullDisk::~FullDisk() {
    release();
    if (mounted_)
        umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

QString FullDisk::reason() const {
    return qt_error_string(kind_ == Kind::Tmpfs ? ENOSPC : EFBIG);
}

void FullDisk::fill() {
    filled_ = true;
    if (kind_ == Kind::Tmpfs) {
        QFile filler(path(".filler"));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            filler.write(QByteArray(64 * 1024, 'f'));
        return;
    }
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    oldSoftLimit_ = limit.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
}

void FullDisk::release() {
    if (!filled_)
        return;
    filled_ = false;
    if (kind_ == Kind::Tmpfs) {
        QFile::remove(path(".filler"));
        return;
    }
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(oldSoftLimit_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

IdlePipe::IdlePipe(const QString& path, int patienceMs) : path(path) {
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    ::mkfifo(name.constData(), 0600);
    watch_ = std::thread([this, name,
                          due = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs)] {
        for (; !stop_; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            // Without a reader this open fails; with one, that reader's open returns.
            const int fd =
                std::chrono::steady_clock::now() < due ? -1 : ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                freed_ = true;
                ::close(fd);
            }
        }
    });
}

IdlePipe::~IdlePipe() {
    stop_ = true;
    watch_.join();
    ::unlink(QFile::encodeName(path).constData());
}

ChangeAtFirstRead::ChangeAtFirstRead(const QString& path, std::function<void()> change) : path_(path) {
    const QByteArray name = QFile::encodeName(path);
    events_ = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY);
    if (events_ < 0 || ::fanotify_mark(events_, FAN_MARK_ADD, FAN_ACCESS_PERM, AT_FDCWD, name) != 0) {
        skipReason = "no permission events of fanotify: " + qt_error_string(errno);
        return;
    }
    listen_ = std::thread([this, name, change = std::move(change)] {
        fanotify_event_metadata event{};
        if (::read(events_, &event, sizeof event) != sizeof event)
            return;
        change();
        ::fanotify_mark(events_, FAN_MARK_REMOVE, FAN_ACCESS_PERM, AT_FDCWD,
                        name); // the reads after it go on
        const fanotify_response allow{event.fd, FAN_ALLOW};
        [[maybe_unused]] const ssize_t answered = ::write(events_, &allow, sizeof allow);
        ::close(event.fd);
    });
}

ChangeAtFirstRead::~ChangeAtFirstRead() {
    if (listen_.joinable()) {
        readFile(path_); // the first read, should there have been none
        listen_.join();
    }
    if (events_ >= 0)
        ::close(events_);
}

int exitStatusAs(unsigned user, const std::function<int()>& run) {
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t groups[] = {kNobody, 4343};
        if (user != 0 && (::setgroups(2, groups) != 0 || ::setgid(kNobody) != 0 || ::setuid(user) != 0))
            ::_exit(2);
        ::_exit(run());
    }
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

qint64 statmBytes(int field) {
    return readFile("/proc/self/statm").split(' ').value(field).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

MemoryGrowth::MemoryGrowth() {
    ::malloc_trim(0);
    QFile peak("/proc/self/clear_refs");
    valid = peak.open(QIODevice::WriteOnly) && peak.write("5") == 1 && peak.flush();
    start_ = statmBytes(1);
}

qint64 MemoryGrowth::peak() const {
    const QByteArray text = readFile("/proc/self/status");
    const qsizetype at = text.indexOf("VmHWM:");
    return at < 0 ? 0 : std::strtoll(text.constData() + at + 6, nullptr, 10) * 1024 - start_;
}

bool setIds(const QString& path, const FileIds& ids) {
    const QByteArray name = QFile::encodeName(path);
    return ::chown(name.constData(), std::get<0>(ids), std::get<1>(ids)) == 0 &&
           ::chmod(name.constData(), std::get<2>(ids)) == 0;
}

FileIds idsOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_uid, st.st_gid, st.st_mode & 07777};
}

std::string caseName(std::string_view text, std::size_t index) {
    std::string name;
    for (const char c : text)
        name += (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '_';
    return name + '_' + std::to_string(index);
}

} // namespace testsupport
