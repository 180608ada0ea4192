// The INI document in memory: an ordered list of sections, each an ordered list of items,
// one item for every physical line of the file, so that a file read and written again keeps
// its layout, its comments, its blank lines and its malformed lines.
//
// Ownership: a TEkMemIni owns its sections, a TEkIniSection owns its items. `listItem`
// pointers belong to the main window's lists; the model stores them and never reads them.
// The model has no user interface: it shows text only through platform::ShowMessage (a
// refused 32-bit file and an internal size mismatch of the writer).
#pragma once

#include "model/EkPtrVector.h"

#include <QString>

#include <new>

class QIODevice;
class TEkSearch;

// Code pages that pass between the main window and the document.
enum : int {
    codePageAnsi = 0, // the system's ANSI code page
    codePageUtf16LE = 1200,
    codePageUtf16BE = 1201,
    codePageUtf32LE = 12000, // recognised, refused
    codePageUtf32BE = 12001, // recognised, refused
    codePageUtf8 = 65001,
    codePageUnknown = 100000, // no encoding detected: read as ANSI
};

// Load results besides the code page read.
enum : int {
    loadFileMissing = -1,
    loadUnreadable = -2,
    loadCannotOpen = -3,     // the file exists but cannot be opened, or the device fails a read
    loadNotRegularFile = -4, // the name is a pipe, a device or a socket: it is not opened
    loadOutOfMemory = -5,    // the text does not fit in the memory left; nothing of it stays
};

// Item kinds; the main window also uses the number as the item's icon index.
enum : int {
    itemBlank = 0,   // empty line
    itemValue = 1,   // name=value
    itemComment = 2, // whole-line comment
    itemError = 3,   // line without "="; every kind of 3 and above counts as this
};

// What a written line reads back as when it is not an item (TEkMemIni::readBackKind): a section
// header, or a broken one.
enum : int { readBackHeader = -1 };

// One physical line.
//
// Items made by a load live in blocks of memory shared by the items of that load (see
// `operator delete`); every other item has a heap block of its own. Either kind is deleted with
// `delete`, and an item may move freely between sections and documents. The texts of a load
// share blocks of string memory as well: they behave as any QString, but a copy of one keeps its
// block (of up to 1 MB) until the last text in it goes.
class TEkIniVal {
public:
    int type = itemBlank;

private:
    // 0 for an item in a heap block of its own; otherwise the item's distance from the start of
    // its shared block, in units of 8 bytes. A copy is never in a shared block, so a copy starts
    // at 0 and an assignment keeps the target's own place.
    struct Place {
        quint32 offset = 0;
        Place() = default;
        Place(const Place&) {}
        Place& operator=(const Place&) { return *this; }
    } place_;
    friend class TEkItemBlocks;

public:
    QString name;    // text before "=", trimmed
    QString value;   // text after "=" up to ";", trimmed; a kind-3 line's whole text
    QString comment; // text after ";"; never holds a line break
    void* listItem = nullptr;

    // An item of that kind with empty texts (the parser's constructor).
    explicit TEkIniVal(int type);
    // Each non-empty text goes through its setter, then the kind is derived.
    TEkIniVal(const QString& name, const QString& value, const QString& comment);

    // The setters store the cleaned text (leading and trailing blanks dropped, LF becomes a
    // space, other control characters but TAB dropped) and derive the kind again.
    void setName(const QString& text);
    void setValue(const QString& text);
    void setComment(const QString& text);

    // 1 with a name, else 3 with a value, else 2 with a comment, else 0.
    void updateType();

    // The item as one line for the clipboard (a name without value has no "=").
    QString lineText(bool withComment) const;
    QString lineTextWithComment() const { return lineText(true); }

    // Comments the item out, or turns a comment line back into an item.
    void toggleComment();

    // Destroys the item and frees its memory: its own heap block, or its share of a block of
    // items, which is freed with the last item that lives in it.
    static void operator delete(TEkIniVal* item, std::destroying_delete_t);

    // True when `search` finds its pattern in the name (when `names`), else in the value
    // (when `values`), else in the comment (when `comments`); empty fields are skipped.
    bool matches(TEkSearch& search, bool names, bool values, bool comments) const;
};

class TEkIniSection {
public:
    QString name;    // between "[" and "]", trimmed; empty for a nameless section 0
    QString comment; // after ";" on the header line, as it stands
    TIniValVec values;
    void* listItem = nullptr;

    TEkIniSection() = default;
    explicit TEkIniSection(const QString& name);
    ~TEkIniSection();
    TEkIniSection(const TEkIniSection&) = delete;
    TEkIniSection& operator=(const TEkIniSection&) = delete;

    // Appends a new item made by the three-string constructor; the section owns it.
    TEkIniVal* addValue(const QString& name, const QString& value, const QString& comment);
    // Inserts at `index` (negative counts as 0; at or past the end appends).
    TEkIniVal* insertValue(int index, const QString& name, const QString& value, const QString& comment);
    // Removes and deletes `item` when it belongs to this section; otherwise nothing.
    void deleteValue(TEkIniVal* item);

    // Adds this section's items to the counters by kind; does not zero them.
    void countItemTypes(int& values, int& comments, int& errors, int& blanks) const;

    // The section as clipboard text, CR LF after every line.
    QString sectionText(bool withComments) const;

    // The next hit within this section; see EkSearch.h for the walk and `itemIndex`.
    bool find(TEkSearch& search, int& itemIndex, bool sectionNames, bool sectionComments, bool itemNames,
              bool itemValues, bool itemComments, bool backward) const;

    // Stable sort of the items: column 1 value, 3 comment, any other name first.
    void sortValues(int column, bool ascending);
};

class TEkMemIni {
public:
    TIniSectionVec sections;     // file order; section 0 holds the lines before the first header
    bool writeBom = true;        // writers put a byte-order mark first
    QString fileName;            // the file last loaded or saved
    int codePage = codePageUtf8; // codePageUnknown while a load runs
    // What the caller will take of memory for each line once it shows the document, which a
    // load's memory check keeps free besides the document itself.
    qint64 shownLineBytes = 0;

    TEkMemIni() = default;
    ~TEkMemIni();
    TEkMemIni(const TEkMemIni&) = delete;
    TEkMemIni& operator=(const TEkMemIni&) = delete;

    TEkIniSection* addSection(const QString& name);
    TEkIniSection* insertSection(int index, const QString& name);
    // A new section `name` holding copies of `source`'s items (passed through the setters);
    // the source's comment is not copied; a null source gives an empty section.
    TEkIniSection* addSectionCopy(const TEkIniSection* source, const QString& name);
    // Deletes `section` with its items when it belongs to the document; otherwise nothing.
    void deleteSection(TEkIniSection* section);

    // Zeroes all five, then counts every section and its items by kind.
    void countItemTypes(int& sectionCount, int& values, int& comments, int& errors, int& blanks) const;

    // The first line, in file order, that the writer would write so that it reads back as
    // something else; a save must not write it. Either the header of a section whose name holds
    // "]" or a character at or below CR (`itemIndex` -1: the name would read back cut short, or
    // the file not at all), or an item whose line reads back as a line of another kind:
    // readBackKind differs from the item's kind, where every kind of 3 and above counts as 3 and a
    // comment item without text, written as an empty line, as a blank line. A name holding "="
    // or a value holding ";" only moves where name, value and comment part, and is not reported.
    // False when there is none, as always for a document just loaded. A big document's items are
    // read on several threads at once (platform::runParts); the call returns when all have ended.
    bool findUnreadableLine(int& sectionIndex, int& itemIndex) const;
    // The kind of item the parser makes of the line the writer writes for `item` (itemBlank,
    // itemValue, itemComment or itemError), or readBackHeader. Fields are taken to hold no line
    // break or NUL, as the setters and the parser leave them.
    static int readBackKind(const TEkIniVal& item);

    // --- Loading -----------------------------------------------------------------------------
    // Each returns the code page read (65001, 0, 1200, 1201), loadFileMissing (-1, file loads
    // only) or loadUnreadable (-2: a broken header or a NUL before the end of the text; the
    // sections parsed so far stay for the caller to clear). A refused UTF-32 file gives 0 with
    // `codePage` left at codePageUnknown. The loaders append to `sections`: the caller clears
    // it first. A file that exists but cannot be opened, or a device that fails a read, gives
    // loadCannotOpen (the sections read so far stay for the caller to clear). A name that is not
    // a regular file gives loadNotRegularFile at once: a pipe without a writer never holds a load.
    // A stream that ends before the size it had when the load began (a file cut short while it
    // is read) gives loadUnreadable: what was read is not the whole file. So does a stream that is
    // a file whose stamp (platform::fileStamp) differs after the last read from before the first:
    // a file written while it was read.
    // A load that would take more memory than the process may still take (platform::memoryLeft)
    // is refused: before the first read when that is less than the text (a third of its bytes),
    // then as the load runs, each look asking the system again, when what is left no longer
    // covers the rest of the text, 16 MB for the program to go on, `shownLineBytes` for each line
    // made so far, and the least it reads before the next look at the most a line can take. The
    // less memory there is to spare, the more often it looks. It and an allocation that fails while
    // the text is read end the load with loadOutOfMemory, and the sections this load had appended
    // are deleted at once, so that the memory is there again for what the caller shows next.

    // Detects the encoding, then reads the file. Sets `fileName`.
    int LoadFromFile(const QString& fileName);
    // Reads the file with `codePage`, without detection. Sets `fileName`.
    int LoadFromFileAs(const QString& fileName, int codePage);
    // Reads from the device's current position with `codePage`. A byte-order mark that does
    // not match sends the reader back to position 0 of the device.
    int LoadFromStream(QIODevice& stream, int codePage);
    // Reads the first 200 bytes, guesses the code page and seeks back to position 0. A mark is
    // looked for only among the bytes there are: FF FE alone is UTF-16LE, not UTF-32.
    static int detectEncoding(QIODevice& stream);
    // Parses `bytes` as a whole file in `codePage`, as LoadFromStream over a buffer does.
    int loadFromBytes(const QByteArray& bytes, int codePage);
    // The readers take the file in steps of this many bytes and parse each step's whole lines,
    // so the decoded text of a large file never stands in memory beside its items.
    static constexpr int kReadStepBytes = 1 << 18;

    // --- Saving ------------------------------------------------------------------------------
    // Writes the whole document through platform::saveFile, so a failed save leaves the old file
    // as it was. Sets `fileName` on success only; `codePage` does not change. Returns false with
    // `errorString` set to the system's reason when the file cannot be written. The whole text is
    // built for the save: when the memory runs out, std::bad_alloc leaves the call, the old file
    // as it was and no temporary file beside it.
    bool SaveToFile(const QString& fileName, int codePage, QString* errorString = nullptr);
    // Writes at the device's current position. Returns false when the device refuses a write.
    bool SaveToStream(QIODevice& stream, int codePage) const;
    // The bytes SaveToStream would write.
    QByteArray saveToBytes(int codePage) const;

    // --- Text --------------------------------------------------------------------------------
    // The whole document as text with CR LF line ends. Every section is written with its header
    // line, "[]" for a nameless one, except a nameless first section without a comment: its items
    // are the lines before the first header.
    QString buildText() const;
    int documentTextSize() const;
    // Characters the writer produces for section `index`; whether it gets a header line depends
    // on its place in the document.
    int sectionTextSize(int index) const;
    static int itemTextSize(const TEkIniVal& item);

    // --- Search and sort ---------------------------------------------------------------------
    // The next hit in the document; on success `sectionIndex` and `itemIndex` name it. There is
    // no wrap-around. See EkSearch.h.
    bool find(TEkSearch& search, int& sectionIndex, int& itemIndex, bool sectionNames, bool sectionComments,
              bool itemNames, bool itemValues, bool itemComments, bool backward) const;
    // Stable sort of the sections: column 0 name, 2 item count, 3 comment, any other none.
    void sortSections(int column, bool ascending);
    // sortSections, then sortValues of every section with the same column.
    void sortAll(int column, bool ascending);
};
