// Saving a whole file so that a save that fails leaves the old file as it was and says why.
// Every file the editor writes goes through here, never through a QSaveFile of its own: Qt's
// QSaveFile::commit() does not report a failed flush of its write buffer, so a small file saved
// onto a full disk would "commit" and replace the old file with an empty one.
#pragma once

#include "platform/core/TestSeam.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace platform {

// The outcome of a save. `ok` is true only when the new content has replaced the file. When it
// is false, `error` holds the system's reason ("No space left on device", "File too large",
// "Permission denied"), never empty, fit to follow a message such as "Cannot create file ...".
struct SaveResult {
    bool ok = false;
    QString error;

    explicit operator bool() const { return ok; }
};

// A file's owner, group and permission bits (as chmod takes them: 0640, say), which a save
// passes on to the file it writes.
struct FileIds {
    unsigned owner = 0;
    unsigned group = 0;
    unsigned mode = 0;
};

// Writes `fileName` anew. `write` is called once with a new temporary file beside `fileName`,
// open for writing at position 0; it writes the whole content and returns false when a write
// comes up short (QIODevice::write returning less than it was given). It must not close the
// device. The temporary file replaces `fileName` only when it was created, `write` returned
// true, no write failed, and the flush of the buffered rest and the replacement succeeded. On
// any failure the temporary file is removed and `fileName` (or its absence) is left untouched,
// byte for byte. A folder that cannot be written to fails, even when the file itself could be.
// A name that stands for a pipe, a device or a socket fails at once, untouched. The new file gets
// the owner, group and permission bits of the file it replaces where the system allows it; when
// the group cannot be kept, the new file's group bits are cleared, since they were granted to the
// old group, not to the saver's. `like`, when given, stands for the old file's ids (a copy of a
// file beside it takes the file's, say), also for a new file; the permission bits are set before
// `write` runs. A file with further names (hard links) is replaced under this name alone; its
// other names keep the old content. A name that is a symbolic link to a file saves that file and
// stays the link it was. An exception that leaves `write` (std::bad_alloc, when the memory runs
// out) leaves saveFile too, once the temporary file is removed: `fileName` is untouched.
SaveResult saveFile(const QString& fileName, const std::function<bool(QIODevice& file)>& write,
                    const std::optional<FileIds>& like = std::nullopt);

// saveFile of content already in memory.
SaveResult saveFile(const QString& fileName, QByteArrayView bytes,
                    const std::optional<FileIds>& like = std::nullopt);

// Test seam: while set, every saveFile calls `probe` with the temporary file just before `write`,
// as if it were the start of `write`: it may write, and it may throw (std::bad_alloc, to stand for
// a save that runs out of memory).
using SaveProbe = std::function<void(QIODevice& file)>;
extern TestSeam<SaveProbe> saveProbe;

// Creates `fileName` as a new file holding `bytes`, for a name that must not be taken: any entry
// of that name (a file, a folder, a link even when it leads nowhere) fails with the system's
// reason and is left untouched, and no link is ever followed, so a link planted in a shared
// folder cannot steer the file elsewhere. The file gets the user's default permissions. A write
// that fails removes the new file again. `error` is as for saveFile.
SaveResult createNewFile(const QString& fileName, QByteArrayView bytes);

} // namespace platform
