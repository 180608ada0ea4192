// Product-wide strings, the find settings record, the MD5 digest, the file-password key and the
// image of an encrypted file.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>

class QComboBox;
class QIODevice;
class QSettings;
class TEkMemIni;

// --- Global strings -------------------------------------------------------------------------

inline const QString kProductName = QStringLiteral("Velquin");
// The last part of the settings key "Software\Tolvard\Velquin".
inline const QString kProductFolder = QStringLiteral("\\Velquin");
inline const QString kLineBreak = QStringLiteral("\r\n");
inline const QString kEmptyStr;
inline const QString kSpace = QStringLiteral(" ");

// --- Find settings --------------------------------------------------------------------------

// The longest text the settings keep in one value (a search text, a recent file's path): one
// longer is kept for the run only, and a longer one stored is not used. QSettings writes a
// character in at most four bytes, so that the ten search texts and ten recent files take at most
// 640 KiB of the settings file, and the file the editor writes stays within what it reads
// (platform::kLargestSettingsFile).
inline constexpr int kLongestSettingText = 8192;

// The find settings the main window owns for its whole life and lends to the find dialog:
// the last ten search texts, most recent first, and what to search and how.
struct TSearchStruct {
    static constexpr int kHistorySize = 10;

    // Index 0 is the most recent; used entries stand at the front, the first empty one ends them.
    std::array<QString, kHistorySize> findHistory;
    // Where to look, in the order the document's find takes them.
    bool sectionNames = true;
    bool sectionComments = true;
    bool itemNames = true;
    bool itemValues = true;
    bool itemComments = true;
    // How to match, for the search pattern.
    bool wholeWords = false;
    bool caseSensitive = false;
    // Direction of the last search.
    bool backward = false;

    // Puts `text` first. An equal entry (case-sensitive) moves to the front instead of being
    // repeated; a new text in a full history drops the oldest entry.
    void pushFindString(const QString& text);

    // The used history entries in order.
    QStringList findList() const;
    // Replaces the contents of `list` with the used history entries.
    void fillFindList(QStringList& list) const;
    // Replaces the items of `combo` with the used history entries, repainting once; the
    // edit text is left as the combo box keeps it.
    void fillFindList(QComboBox* combo) const;

    // The eight flags as "1"/"0" characters in field order ("11111000" for the defaults).
    QString flagsString() const;

    // Reads the record from `settings` (in its current group): prefix + "Bools" sets the flags
    // when it is a text of exactly 8 characters ('0' false, anything else true) and leaves them
    // otherwise; prefix + "0" .. prefix + "9" fill the history, in order, up to the first missing
    // value. A value that is not a text (a list, say), or one longer than kLongestSettingText,
    // is left out. Returns how many of the history's values it read, left out or not.
    int readFindSettings(const QString& prefix, QSettings& settings);
    // Writes prefix + "Bools" and prefix + i for every used entry no longer than
    // kLongestSettingText, in order, and removes those numbered from there on below `valuesRead`
    // (what readFindSettings returned), so that none left out comes back. Values beyond them are
    // left as they are. Returns the names written.
    QStringList writeFindSettings(const QString& prefix, QSettings& settings, int valuesRead = 0) const;
    // The names of the values of `settings` that readFindSettings leaves out.
    static QStringList valuesLeftOut(const QString& prefix, QSettings& settings);
};

// --- MD5 digest (RFC 1321) ------------------------------------------------------------------

// Computes the digest of a byte buffer entirely in the constructor and then only answers for it.
class TMd5Hash {
public:
    TMd5Hash(const void* data, std::size_t length);
    explicit TMd5Hash(QByteArrayView data);

    // The 16 digest bytes in order.
    const std::array<std::uint8_t, 16>& digest() const { return digestCopy_; }
    // The digest as 32 upper-case hexadecimal digits, two per byte, high nibble first.
    QByteArray hexDigest() const;
    QString hexDigestW() const;

private:
    void init();
    // These refuse to run once the digest is final: they show a message and change nothing.
    void update(const std::uint8_t* input, std::size_t length);
    void finalize();
    void transform(const std::uint8_t block[64]);

    std::uint32_t state_[4];
    std::uint32_t count_[2]; // bits processed, low word first
    std::uint8_t buffer_[64];
    std::uint8_t digest_[16];
    bool finalized_ = false;
    std::array<std::uint8_t, 16> digestCopy_{};
};

// --- File-password key ----------------------------------------------------------------------

// The 64-byte key of `password`: the upper-case hex digest of its UTF-8 bytes with every digit
// written twice. Encrypted files depend on this exact form.
QByteArray buildPasswordKey(const QString& password);

// XORs `length` bytes of `buffer` in place with the key of `password`, the key index starting
// at 0 and restarting after 63. Applying it twice restores the bytes.
void xorWithPasswordKey(char* buffer, qsizetype length, const QString& password);
void xorWithPasswordKey(QByteArray& buffer, const QString& password);

// --- Encrypted files ------------------------------------------------------------------------
// An encrypted file is the plain image (the marker, then the document as the model writes it in
// UTF-8 with its byte-order mark) combined with the key of its password. Stored files depend on
// this exact form.

// The 22 bytes that begin the plain image.
inline const QByteArray kEncryptedMarker = QByteArrayLiteral("Encrypted Velquin File");

// Results of readEncryptedImage besides the model's load results.
enum : int {
    loadNotEncrypted = -20,  // shorter than the marker
    loadWrongPassword = -21, // the marker is not there: another password, or no encrypted file
};

// The stored bytes of an encrypted file that holds `doc` under `password`.
QByteArray encryptedImage(const TEkMemIni& doc, const QString& password);

// Unscrambles `stored` with `password`, checks the marker and lets `doc` read the rest as UTF-8.
// Returns the model's load result (the code page read, or loadUnreadable ...), or
// loadNotEncrypted or loadWrongPassword without touching `doc`. The model appends to `doc`'s
// sections: the caller clears them first.
int readEncryptedImage(TEkMemIni& doc, QByteArray stored, const QString& password);

// Reads the encrypted file `file` from its position to its end, as readEncryptedImage reads its
// image. A file larger than the memory left (platform::memoryLeft) is refused before it is read,
// a read that runs out of memory ends, and the document's text is then checked as any load's is
// (TEkMemIni): each gives loadOutOfMemory and leaves `doc` as it was. A file that gives fewer bytes
// than its size (cut short while it is read), or whose stamp (platform::fileStamp) is not after
// the read what it was before it (written while it was read), gives loadUnreadable.
int readEncryptedFile(TEkMemIni& doc, QIODevice& file, const QString& password);
