// The few operating-system services the document model relies on, in one place so that the
// model stays on QtCore and tests can observe what it would have shown.
#pragma once

#include "platform/core/TestSeam.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

class QFile;

namespace platform {

// --- Messages -------------------------------------------------------------------------------

// Receives the text of a one-button information message. The running editor routes it to a
// message box; tests capture it. With no sink installed the text goes to qWarning().
using MessageSink = std::function<void(const QString& text)>;

// Where ShowMessage sends its text: set once by the running editor, and by tests for as long as
// they look.
extern TestSeam<MessageSink> messageSink;

// Shows `text` through the installed sink. Never throws; returns when the sink returns.
void ShowMessage(const QString& text);

// --- The system's ANSI code page ------------------------------------------------------------

// Name of the single-byte code page that stands in for the system's ANSI code page.
const char* ansiCodePageName();

// Decodes ANSI bytes. Every byte maps to exactly one UTF-16 unit, so bytes.size() units
// result, and ansiEncode(ansiDecode(b)) == b for every byte string b.
QString ansiDecode(QByteArrayView bytes);

// Decodes ANSI bytes into `out` (room for bytes.size() units) exactly as ansiDecode does, sixteen
// bytes at a time: for readers of large files, which decode piece by piece into one buffer.
void ansiDecodeInto(QByteArrayView bytes, char16_t* out);

// Encodes to ANSI, one byte per character. Each character without an ANSI form becomes one "?"
// (a surrogate pair is one character, a lone surrogate one more): the converter's own substitute
// is a control character, which the next load would trim away.
QByteArray ansiEncode(QStringView text);

// --- Locale-aware text ----------------------------------------------------------------------

// Compares two whole strings in the user's locale, ignoring case: <0, 0 or >0.
int compareTextIgnoreCase(QStringView a, QStringView b);

// Lower-cases `length` UTF-16 units in place, one unit at a time, so the length never changes.
void charLower(QChar* text, qsizetype length);

// --- Files ----------------------------------------------------------------------------------

// True when `fileName` names an existing file (not a folder).
bool FileExists(const QString& fileName);

// What a name stands for, looked up without opening it, so that a pipe or a device never holds
// the caller; symbolic links are followed. `Special` is a pipe, a device or a socket: a name
// that can be read from, but that is no file a document could be loaded from or saved to.
enum class FileKind { Missing, Regular, Folder, Special };
FileKind fileKind(const QString& fileName);

enum class OpenOutcome { Opened, Missing, NotRegularFile, Failed };

// Opens `file`, named by its fileName(), for reading (with `mode` added) when it is a regular
// file. It never waits: the name is opened without waiting for a pipe's writer and the kind is
// checked on what was opened, so a name that became a pipe after a look-up is refused as well.
// Unless Opened, `file` stays closed and `reason` (when given) holds the system's reason, or
// for NotRegularFile notRegularFileReason(), or "It is a folder, not a file".
OpenOutcome openForReading(QFile& file, QIODevice::OpenMode mode = {}, QString* reason = nullptr);

// Why a pipe, a device or a socket was neither read nor replaced, fit to follow a message such
// as "Cannot create file ...".
QString notRegularFileReason();

// What tells one state of a file from another: which file it is (device and inode), its size,
// and its modification and change times to the nanosecond. A write, a cut or a new name moves
// them, so a read that finds the same stamp after it as before it read one version of the file.
// A write within the same tick of the file system's clock as the write before it, leaving the
// size as it was, keeps the stamp: it cannot be told.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file open in `device`, from its descriptor: the file being read, whatever its
// name stands for by now. Nothing when `device` is not an open file or the system cannot tell.
std::optional<FileStamp> fileStamp(const QIODevice& device);

// --- Memory ---------------------------------------------------------------------------------

// The bytes of memory this process may still take: no more than is left under its address-space
// limit (RLIMIT_AS, less what the process has mapped), under the memory limit of its control group
// and of every group above it (a container's limit: version 2's memory.max less memory.current,
// version 1's memory.limit_in_bytes less memory.usage_in_bytes, each usage less the page cache
// the kernel can take back: memory.stat's inactive file pages), nor than the system has available
// (memory free or reclaimable, and free swap). The largest qint64 when none can be told. An
// estimate that changes from one call to the next: fit to refuse what cannot be held, not to
// promise that an allocation works. It reads a few small files of the system and nothing of the
// heap, so it may be asked when memory is short, and in a child just forked.
qint64 memoryLeft();

// The bytes of address space this process may still map: its address-space limit (RLIMIT_AS) less
// what it has mapped, or the largest qint64 without a limit. What a thread takes is mostly of this
// kind (a stack, a malloc arena), reserved rather than used. Read as memoryLeft() reads it, but
// never answered by its test figure.
qint64 addressSpaceLeft();

// For tests: while set, memoryLeft() answers what the figure returns instead of the system's
// figures.
using MemoryFigure = std::function<qint64()>;
extern TestSeam<MemoryFigure> memoryLeftFigure;

// For tests: the folder (in the file system's encoding, QFile::encodeName) that stands for the
// root of the file system when memoryLeft() reads the control groups (proc/self/cgroup, then each
// group's files under sys/fs/cgroup, and under sys/fs/cgroup/memory for version 1); empty for "/".
extern TestSeam<QByteArray> controlGroupRoot;

} // namespace platform
