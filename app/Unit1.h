// The editor's main window: the document, its two lists, the tool bar and the status bar,
// and the commands that open, show and save the document.
//
// The window owns the document (`model`) for its whole life. The list rows point at the
// document's sections and items, and each section and item points back at its row through
// `listItem`; every command that changes the document updates both directions.
#pragma once

#include "app/Globl.h"
#include "controls/EkArt.h"
#include "controls/EkGradiLabel.h"
#include "controls/EkStringRC.h"
#include "controls/Graphics.h"
#include "model/EkMemIni.h"
#include "platform/gui/TextFileDialog.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QItemSelection;
class QMenu;
class QMimeData;
class QShowEvent;
class QSplitter;
class QTimer;
class QTreeView;
class TEkSearch;
class TIniListModel;
class TLvDragObject;
class TImageList;
struct TListRow;
struct TItemText;

// The texts of the lists' rows (k = 0 to 2 for columns 1 to 3), read from the section or item
// a row shows. A section row shows its `number` as its count; a row without `withComment`
// shows no comment.
QString sectionRowText(const TListRow& row, int k);
const QString& sectionRowName(const TListRow& row);
const QString& itemRowText(const TListRow& row, int k);

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // `arguments` are the program's arguments after its own name; the first one, when it names
    // an existing file, is opened 50 ms after the window is first shown.
    explicit TForm1(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- State the commands share -----------------------------------------------------------
    QString fileName;     // full path of the open file; empty for a new document
    QString filePassword; // password of the open encrypted file
    TEkMemIni model;
    bool modified = false; // unsaved changes exist
    bool shown = false;    // the window has been shown once
    bool readOnly = false; // the open file is read-only: section and item edits are off
    bool encrypted = false;
    int encodingSelector = 0;          // 0 UTF-8, 1 ANSI, 2 UTF-16LE, 3 UTF-16BE; 4 or -1 detect (open only)
    bool valuesOnly = false;           // comment, blank and error lines are hidden
    std::unique_ptr<TEkSearch> search; // matcher of the last Find First
    std::unique_ptr<TSearchStruct> findSettings;
    TEkIniSection* selectedSection = nullptr; // the section the value list shows; not owned
    std::array<TColor, 8> themeColours;       // in the order of the colour theme; see kDefaultTheme
    int findSection = 0;
    int findItem = 0;

    // --- Components -------------------------------------------------------------------------
    // Image lists: IlItems 12 x 12 (rows, counters, values-only toggle), IlButtons 16 x 16.
    TImageList* IlItems = nullptr;
    TImageList* IlButtons = nullptr;

    QAction* ActNewFile = nullptr;
    QAction* ActOpenFile = nullptr;
    QAction* ActReload = nullptr;
    QAction* ActSave = nullptr;
    QAction* ActSaveAs = nullptr;
    QAction* ActSearch = nullptr;
    QAction* ActFindNext = nullptr;
    QAction* ActFindPrevious = nullptr;
    QAction* ActValuesOnly = nullptr;
    QAction* ActAddSection = nullptr;
    QAction* ActCopySection = nullptr;
    QAction* ActInsertSection = nullptr;
    QAction* ActEditSection = nullptr;
    QAction* ActDeleteSection = nullptr;
    QAction* ActSilentDeleteSection = nullptr;
    QAction* ActAddItem = nullptr;
    QAction* ActInsertItem = nullptr;
    QAction* ActEditItem = nullptr;
    QAction* ActDeleteItem = nullptr;
    QAction* ActSilentDeleteItem = nullptr;
    QAction* ActCopyItemValue = nullptr;
    QAction* ActPasteItemValue = nullptr;
    QAction* ActGeneratePassword = nullptr;
    QAction* ActCreateShortcut = nullptr;
    QAction* ActAbout = nullptr;
    QAction* ActHelp = nullptr;

    // Top bar, left to right, in three groups of label buttons bound to their actions. Each
    // group sits between two end pieces: EkArt1 ... EkArt2, EkArt5 ... EkArt6, EkArt3 ... EkArt4
    // (the names of the window design; EkArt4 is the rightmost). A narrow spacer, which draws
    // nothing, starts the section group and the item group.
    QWidget* PnlTop = nullptr;
    TEkArt* EkArt1 = nullptr;
    TEkGradiLabel* GlNew = nullptr;
    TEkGradiLabel* GlOpen = nullptr;
    TEkGradiLabel* GlReload = nullptr;
    TEkGradiLabel* GlSave = nullptr;
    TEkGradiLabel* GlSaveAs = nullptr;
    TEkGradiLabel* GlSearch = nullptr;
    TEkArt* EkArt2 = nullptr;
    TEkGradiLabel* GlSpaceSections = nullptr;
    TEkArt* EkArt5 = nullptr;
    TEkGradiLabel* GlSectionAdd = nullptr;
    TEkGradiLabel* GlSectionCopy = nullptr;
    TEkGradiLabel* GlSectionInsert = nullptr;
    TEkGradiLabel* GlSectionEdit = nullptr;
    TEkGradiLabel* GlSectionDdelete = nullptr;
    TEkArt* EkArt6 = nullptr;
    TEkGradiLabel* GlSpaceItems = nullptr;
    TEkArt* EkArt3 = nullptr;
    TEkGradiLabel* GlItemAdd = nullptr;
    TEkGradiLabel* GlItemInsert = nullptr;
    TEkGradiLabel* GlItemEdit = nullptr;
    TEkGradiLabel* GlItemDelete = nullptr;
    TEkArt* EkArt4 = nullptr;

    QSplitter* Splitter1 = nullptr;
    QTreeView* LvSections = nullptr;
    QTreeView* LvValues = nullptr;
    TIniListModel* SectionRows = nullptr; // rows of LvSections
    TIniListModel* ValueRows = nullptr;   // rows of LvValues

    // Status bar, left to right: four groups, each between two end pieces (EkArt7 ... EkArt14);
    // the last group is docked at the right edge.
    QWidget* PnlBottom = nullptr;
    TEkArt* EkArt7 = nullptr;
    TEkGradiLabel* EkGradiLabel10 = nullptr; // "LoadTime:"
    TEkGradiLabel* LbLoadTime = nullptr;
    TEkArt* EkArt8 = nullptr;
    TEkArt* EkArt9 = nullptr;
    TEkGradiLabel* EkGradiLabel20 = nullptr; // "ShowTime:"
    TEkGradiLabel* LbShowTime = nullptr;
    int LbShowTimeTag = 0; // running sum of the display time shown in LbShowTime
    TEkArt* EkArt10 = nullptr;
    TEkArt* EkArt11 = nullptr;
    TEkGradiLabel* LbSectionCount = nullptr;
    TEkGradiLabel* LbValueCount = nullptr;
    TEkGradiLabel* LbCommentCount = nullptr;
    TEkGradiLabel* LbErrorCount = nullptr;
    TEkGradiLabel* LbEmptyCount = nullptr;
    TEkGradiLabel* GlValuesOnly = nullptr;
    TEkArt* EkArt12 = nullptr;
    TEkArt* EkArt13 = nullptr;
    TEkGradiLabel* ButCreateShortcut = nullptr;
    TEkGradiLabel* EkGradiLabel1 = nullptr; // "P", the password generator
    TEkGradiLabel* GlHelp = nullptr;        // "?"
    TEkGradiLabel* GlInfo = nullptr;        // "i", the about box
    TEkArt* EkArt14 = nullptr;

    platform::TextFileDialog OpenTextFileDialog{platform::TextFileDialog::Kind::Open};
    platform::TextFileDialog SaveTextFileDialog{platform::TextFileDialog::Kind::Save};

    // Recent files: the full path of entry i, its encoding selector in the entry's object slot;
    // entry 0 is the most recent. Owned by the window.
    TEkStringRC* MRUList = nullptr;

    QTimer* LoadFileTimer = nullptr; // 50 ms, one shot: the command-line file
    QTimer* MruTimer = nullptr;      // 600 ms: press and hold on GlOpen
    QTimer* MruCheck = nullptr;      // 1000 ms, one shot: prune the recent files
    QTimer* ScrollTimer = nullptr;   // 100 ms: scrolling while a section is dragged

    // --- Window lifecycle -------------------------------------------------------------------
    void FormShow();
    // Asks about unsaved changes; true when the window may close.
    bool FormCloseQuery();
    void LoadFileTimerTimer();
    void ActHelpExecute();
    void LvSectionsDblClick();
    void LvValuesDblClick();
    // Opens the first of the dropped files (local paths) with detection, without asking about
    // unsaved changes; the others are ignored. Nothing for an empty list. A drop on the window
    // runs it once the drop event has returned.
    void openDroppedFiles(const QStringList& paths);

    // --- Colour theme -----------------------------------------------------------------------
    // Paints both bars, their labels and end pieces in `themeColours` (run once at start, after
    // the settings are read).
    void applyTheme();
    // The panel's colour := colour 3; then every label and end piece directly on it gets its
    // colours; other children are left alone.
    void applyThemeColours(QWidget* panel);
    // Normal gradient 2 -> 3 (repaints), hot and pressed gradient 4 -> 5 and hot text 6
    // (stored; they show with the next state change), text colour 7.
    void applyThemeToLabel(TEkGradiLabel* label);
    void applyThemeToArt(TEkArt* piece);

    // --- Press and hold on the Open button ----------------------------------------------------
    // A left press starts MruTimer; a release or leaving the button stops it. When the timer
    // fires while the button is still held, the button lets the press go without a click and
    // the recent-files pop-up opens instead.
    void GlOpenMouseDown(Qt::MouseButton button);
    void GlOpenMouseUp();
    void GlOpenMouseLeave();
    void MruTimerTimer();

    // --- Lists ------------------------------------------------------------------------------
    void fillSectionList();
    void fillValueList(TEkIniSection* section);
    void updateSectionRow(TEkIniSection* section, TListRow* row);
    void sizeSectionColumns();
    void sizeValueColumns();
    void refreshCounts();
    void updateClipMenu();
    void setValuesOnlyView(bool on);
    void ActValuesOnlyExecute();
    void LvSectionsSelectItem(TListRow* row, bool selected);
    void LvValuesSelectItem(TListRow* row, bool selected);
    // The section commands for a selected section row, or for none: in a read-only document only
    // Add Section, which a file name alone enables too.
    void enableSectionCommands(bool selected);
    // The enabling of both lists' selections again, for the rows selected now: run when the
    // document's name or read-only state changes without a change of selection.
    void enableRowCommands();
    // Selects row `index` of `list` alone and scrolls it fully into view; nothing for index < 0.
    void scrollItemIntoView(QTreeView* list, int index);
    // The row of `list` that is current and selected, -1 when none.
    int selectedRow(QTreeView* list) const;

    // --- File commands ----------------------------------------------------------------------
    // What a line takes of memory once the lists show it, which a load keeps free beside the
    // document (TEkMemIni::shownLineBytes): its row and, while new rows replace them, another;
    // the list view's item for the row (40 bytes, in an array that may be twice its size); the
    // places of its texts while the columns' widths are measured.
    static constexpr qint64 kShownLineBytes = 160;
    // What the document's lines take so once shown, which the threads that fill and measure the
    // lists leave to them (platform::runParts).
    qint64 shownReserve() const;
    void ActNewFileExecute();
    void ActOpenFileExecute();
    void ActReloadExecute();
    void ActSaveExecute();
    void ActSaveAsExecute();

    // True when the user cancelled (or a Yes whose save did not happen).
    bool askSaveChanges();
    void openFile(const QString& name, int selector);
    // True when `name` is a folder, a pipe, a device or a socket; then that is reported and
    // nothing else happens, so the open document stays.
    bool refuseSpecialFile(const QString& name);
    void openPlain(const QString& name, int selector);
    // The model's load status: the code page read, or loadFileMissing, loadUnreadable,
    // loadCannotOpen, loadNotRegularFile, loadOutOfMemory. Unless loadOutOfMemory, the document
    // read (whole or in part) has replaced the window's and its sections are listed.
    int loadPlainFile(QString name, int selector);
    // After a load begun at `loadStart` (timeGetTime): the load time, the read-only state and the
    // encoding of `name`, then the section list filled and sized for the loaded document.
    void showLoadedDocument(const QString& name, std::uint32_t loadStart);
    // The document is cleared and `loaded` takes its place, leaving `loaded` empty.
    void adoptDocument(TEkMemIni& loaded);
    // True for a load refused for want of memory (loadOutOfMemory); then that is reported, and the
    // window keeps the document it had, as it was: a file is loaded beside it and adopted once read.
    bool refuseOutOfMemory(int status, const QString& name);
    // True when the load failed; then the failure is reported and the document cleared.
    bool checkFileError(int status, const QString& name);
    // The window without a file, as at the start: no name, not read-only, its commands and
    // counters to match; the document itself is left as it is.
    void dropFileName();
    // False when the file could not be written (reported; `modified` stays).
    bool savePlain();
    void setFileName(const QString& name);
    void clearDocument();
    QString buildCaption(bool noFile) const;
    static QString encodingName(int selector);
    static int codePageToSelector(int codePage);
    static int selectorToCodePage(int selector);
    void updateActions(bool flag);
    // Save As, Find and its neighbours.
    void enableFileActions(bool flag);
    // Reload on while the document has a file to read again: whenever `fileName` changes.
    void enableReload();
    void showDisplayTime();

    // --- Encrypted files --------------------------------------------------------------------
    void loadEncryptedFile(const QString& name, const QString& password);
    // Writes the document encrypted and marks it saved; false when the file could not be
    // written (reported; an existing file keeps its old content).
    bool saveEncryptedFile(const QString& name, const QString& password);

    // --- Section and item commands ---------------------------------------------------------
    // Each changes the document at once (there is no undo), updates the rows it touches where
    // they stand, leaves the changed row selected and in view, marks the document modified and
    // refreshes the counters. Without the rows it needs, or with its dialog cancelled, a
    // command changes nothing. Deleting asks first unless Shift is held; the silent deletes
    // never ask.
    void ActAddSectionExecute();
    void ActCopySectionExecute();
    void ActInsertSectionExecute();
    void ActEditSectionExecute();
    void ActDeleteSectionExecute();
    void ActSilentDeleteSectionExecute();
    void ActAddItemExecute();
    void ActInsertItemExecute();
    void ActEditItemExecute();
    void ActDeleteItemExecute();
    void ActSilentDeleteItemExecute();
    // The password generator on its own: its result goes no further than the clipboard.
    void ActGeneratePasswordExecute();
    void connectEditCommands();
    // The item dialog titled `caption`, prefilled with `text`, which takes the answer; false
    // when it was cancelled.
    bool runItemDialog(const QString& caption, TItemText& text);
    // True when `answer` asks for its comment as comment lines and the comment has two or more.
    static bool isMultiLineComment(const TItemText& answer);
    // One comment item per line at `index` of the section of `sectionRow` (-1: at its end), each
    // with its row.
    void addCommentLines(int index, const QStringList& lines, TListRow* sectionRow);
    // One item from `answer` at `index` of the section of `sectionRow`; -1 puts it where Add
    // does (in the values-only view right after the section's last value line).
    void addItemToModel(int index, const TItemText& answer, TListRow* sectionRow);
    // A row for `section` at `index` of the section list, linked both ways.
    TListRow* insertSectionRow(int index, TEkIniSection* section);
    // Sizes the value columns again when a text of `row` would not fit its column; only then
    // could their widths change, and measuring every row of a large section takes long.
    void sizeValueColumnsFor(const TListRow* row);
    // `row` shows `item`, its comment only `withComment`; the two are linked both ways.
    void showItemInRow(TListRow* row, TEkIniVal* item, bool withComment);
    // The status counts as shown: sections, values, comments, errors, blanks.
    std::array<int, 5> shownCounts{};
    // How an edit changed the counts, set just before its updateActions(true): refreshCounts
    // adds it to shownCounts rather than count a document of millions of lines again.
    std::optional<std::array<int, 5>> countsChange;
    // The shared ending of an edit that changed the counts by `change`.
    void finishEdit(const std::array<int, 5>& change);
    // Run before every save: true, after reporting it and selecting it, when the document holds
    // a line that would be read back as something else; then nothing may be written.
    bool refuseUnreadableLines();
    // --- Find ---------------------------------------------------------------------------------
    // The find position (findSection, findItem) indexes the document, not the lists: -1 stands
    // before the start (for findItem also the section's header line), kFindPastEnd past the end.
    static constexpr int kFindPastEnd = 2147483647;
    // Ctrl+F: the find dialog; on Find First a new search from the top of the document.
    void ActSearchExecute();
    // F3 and Shift+F3: the next hit after, or before, the rows the user selected since the last
    // hit (else the last hit). Without a search the find dialog opens instead. Past either end
    // "No Mach Vere Found!" is reported once; then F3 starts over at the top and Shift+F3 opens
    // the find dialog.
    void ActFindNextExecute();
    void ActFindPreviousExecute();
    // Searches from the find position in the direction of findSettings->backward; a hit is
    // selected in both lists and scrolled into view (a hit on a line that the values-only view
    // hides selects only its section). No hit is reported, leaves no row selected and puts
    // the position past the end in the direction searched.
    void searchAndSelect();
    // The selected rows, when there are any, become the find position; a section without a
    // selected line stands at its header.
    void syncFindPosition();
    // One step past the find position, forwards or backwards.
    void advanceFindForward();
    void advanceFindBackward();

    // --- Clipboard ----------------------------------------------------------------------------
    // The pop-up menu of both lists. Its entries, in menu order; they run only while enabled,
    // which updateClipMenu decides on every change of selection; which are shown is decided
    // each time the menu opens (PopupClipPopup).
    QMenu* PopupClip = nullptr;
    QAction* MnuCopyItem = nullptr;
    QAction* MnuCopyItemValue = nullptr; // Ctrl+C
    QAction* MnuCopyItemName = nullptr;
    QAction* MnuCopyItemComment = nullptr;
    QAction* MnuCopySectionName = nullptr;
    QAction* MnuCopySectionComment = nullptr;
    QAction* MnuCopySectionItem = nullptr;
    QAction* MnuCopySectionAllItems = nullptr;
    QAction* MnuPasteItemValue = nullptr;       // Ctrl+V
    QAction* MnuCommentUncommentItem = nullptr; // Ctrl+Space
    QAction* MnuSortAllAlphabetically = nullptr;
    // Shows the entries that apply to a menu opened on `list`, and enables them afresh.
    void PopupClipPopup(QTreeView* list);
    void MnuCopyItemClick();
    void MnuCopyItemValueClick();
    void MnuCopyItemNameClick();
    void MnuCopyItemCommentClick();
    void MnuCopySectionNameClick();
    void MnuCopySectionCommentClick();
    void MnuCopySectionItemClick();
    void MnuCopySectionAllItemsClick();
    // The clipboard's text, its line breaks made blanks, becomes the selected item's value.
    void MnuPasteItemValueClick();
    // Comments the selected item out, or a comment line back in; only from the value list.
    void MnuCommentUncommentItemClick();

    // --- Sorting ------------------------------------------------------------------------------
    // A click on a column sorts the document by it: ascending first, then alternating; the
    // column's direction (0 none, 1 ascending, 2 descending) is its tag in the list's rows,
    // shown as the header's arrow.
    void LvSectionsColumnClick(int column);
    void LvValuesColumnClick(int column);
    // Sorts the sections and every section's items by name.
    void MnuSortAllAlphabeticallyClick();
    // Marks column `index` of `list` with `direction` and clears the other columns; an index
    // that is no column clears them all.
    void setSortArrow(QTreeView* list, int index, int direction);
    void setHeaderArrow(QTreeView* list, int index, int direction);
    // Selects the section list's row that shows `section`; nothing when none does.
    void reselectSection(TEkIniSection* section);

    // --- Dragging sections --------------------------------------------------------------------
    // The section list carries the handlers of a drag of its rows, but nothing begins one: the
    // pieces stand ready for a drag begun by hand. The current drag's object (owned by the
    // window; null outside a drag).
    TLvDragObject* dragObject = nullptr;
    // Creates the drag object for the cursor's position over the section list.
    TLvDragObject* LvSectionsStartDrag();
    // True when `source` is a row dragged from either list. Runs the edge timer: within the
    // bottom 5 pixels or below the list it ticks every 100 - (y - height) ms, at or above
    // the top every y + 100 ms (at most every millisecond); elsewhere it stops.
    bool LvSectionsDragOver(const QMimeData* source, int x, int y);
    void LvSectionsDragDrop();
    void LvSectionsEndDrag();
    void LvSectionsMouseUp();
    // Ticks of the edge timer: the list moves one row.
    void LvSectionsScrollUpTimer();
    void LvSectionsScrollDownTimer();

    // --- Settings -----------------------------------------------------------------------------
    // The window's place and size, the section list's width, the view, the colour theme, the
    // recent files and the find settings, kept in QSettings(kMakerName, kProductName). Read once
    // at the first show (with no settings: the window centred, the normal view, the default
    // theme) and written once by an allowed close. Each group is guarded on its own: a failure
    // is shown with the group's name and the other groups still go.
    // Only values this run read or set are deleted or overwritten; a settings file with lines
    // that cannot be read or kept is read in full all the same, and is written only after a copy
    // of it was kept (platform::SettingsFile), which the message about those lines names; so is
    // one with a value of the editor's own that is not whole or too long (a "FormSettings" cut
    // short, a list where a text belongs), which is not used: its default is. One larger than
    // 1 MiB or with more than 4,096 lines of settings is not read, and is copied likewise; one
    // that is not a regular file is neither read nor written, nor are the settings when no
    // private copy of them can be made. The start says so, once. The close writes no more than
    // the start reads: a text longer than kLongestSettingText is kept for the run only, and the
    // values of another's give way to the editor's own (the file copied first), which it says.
    void loadSettings();
    void saveSettings();
    // Centres the window's frame on the primary screen, its top-left corner kept on the screen's
    // available area.
    void centreOnScreen();
    // Puts the window's client area at the stored (left, top) with the stored size (the current
    // one where that is not positive), kept whole on a screen; on none, centred.
    void restorePlace(int left, int top, int storedWidth, int storedHeight);
    // How many "MRUPath" values loadSettings read: those beyond the list are deleted at close.
    int mruValuesRead = 0;
    // How many "FindStr" values of the history it read: those beyond the history are deleted too.
    int findValuesRead = 0;

    // --- Recent files -------------------------------------------------------------------------
    // Entry 0 is the most recent; at most ten. Paths compare exactly. Every successful open,
    // a named New and an adopted Save As record the file (setFileName).
    QMenu* PopupMRU = nullptr; // the pop-up under Open, filled when it opens
    // Puts `fileName` with `encodingSelector` first; an entry already first keeps its selector.
    void addToMru();
    // Opens PopupMRU just below the Open button.
    void showMruPopup();
    // Fills PopupMRU with one entry per recent file, newest first.
    void PopupMRUPopup();
    // Opens the entry's file with its stored encoding, after the unsaved-changes question.
    void MnuMruMenuItemClick(QAction* entry);
    // Once, a second after start: drops the entries whose files are gone.
    void MruCheckTimer();

    // --- Shortcut files and the about box ----------------------------------------------------
    void ActCreateShortcutExecute();
    void ActAboutExecute();
    // The recent-files pop-up and the connections of the settings, shortcut and about commands.
    void createSettingsParts();

    // Runs `command` when `action` triggers (only while it is enabled); an exception the
    // command raises is shown as an error message and the window goes on.
    void connectCommand(QAction* action, void (TForm1::*command)());
    void runGuarded(const std::function<void()>& command);

    // The maker's help page.
    static QString helpAddress();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createImageLists();
    // The actions with their captions, shortcuts, hints and categories (the property "category").
    void createActions();
    void createTopBar();
    void createLists();
    void createStatusBar();
    void createTimers();
    void createDialogs();
    void layoutWindow();

    QAction* addAction(const QString& caption, const QList<QKeySequence>& shortcuts, bool enabled,
                       const QString& hint);
    // A bar with its docking layout and the labels' font.
    QWidget* createBar(const char* name);
    // A label on `bar` docked at `align`, in the window design's colours.
    TEkGradiLabel* addLabel(QWidget* bar, const char* name, TAlign align);
    // A tool-bar button bound to `action`, showing IlButtons' image `image`.
    TEkGradiLabel* addBarButton(QWidget* bar, const char* name, QAction* action, int image,
                                TAlign align = alLeft);
    // A button that runs `action` and follows its enabled state and hint, with a caption of
    // its own (one bold letter).
    TEkGradiLabel* addLetterButton(QWidget* bar, const char* name, QAction* action, const QString& letter);
    TEkGradiLabel* addStatusLabel(QWidget* bar, const char* name, const QString& caption,
                                  TAlign align = alLeft);
    TEkGradiLabel* addCounter(QWidget* bar, const char* name, int image, const QString& hint);
    TEkArt* addEndPiece(QWidget* bar, const char* name, TEkArtType type, TAlign align = alLeft);
    // A narrow button-type label that is not alive, keeps its size and has no caption; it only
    // keeps two groups apart.
    TEkGradiLabel* addSpacer(QWidget* bar, const char* name);
    // Lets the group's end pieces continue the gradients of its outer labels.
    static void closeGroup(TEkArt* leftEnd, TEkGradiLabel* first, TEkGradiLabel* last, TEkArt* rightEnd);
    // Design sizes are given at 144 pixels per inch.
    int scaled(int designPixels) const;
    void sectionSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void valueSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Refills the value list, raising the deselection of a selected row first.
    void setValueRows(std::vector<TListRow>&& rows);
    // The widths sizeValueColumns measured last, before it shares out the spare room; they
    // hold until the document changes (updateActions(true)) or another file is shown.
    struct ValueWidths {
        const TEkIniSection* section = nullptr;
        bool valuesOnly = false;
        QFont font;
        int rows = -1;
        std::array<int, 3> widths{};
    };
    ValueWidths valueWidths_;
    void clearSectionRows();
    void clearValueRows();
    bool writeEncryptedFile(const QString& name, const QString& password);
    bool writePlainFile(const QString& name, int codePage);
    // True (after reporting it) when `name` is an existing read-only file.
    bool refuseReadOnlyTarget(const QString& name);
    void encryptedLoadFailed();
    void setCaption(bool noFile);

    // --- Find, clipboard, sorting and dragging sections ----------------------------------------
    // Connects the find commands to their actions.
    void createFindCommands();
    // Builds the lists' clipboard menu with the keys the lists take for it, and connects the
    // clipboard commands.
    void createClipMenu();
    // A click on a list's column header sorts by that column.
    void createColumnSorting();
    // The section list takes drags of its rows; the edge timer scrolls it meanwhile.
    void createSectionDragging();
    // F3 and Shift+F3: one step from the find position, then the search (or the dialog).
    void findAgain(bool backward);
    // The edge timer's tick while a section is dragged: down at the bottom edge, else up.
    bool scrollDown_ = false;
    // Context of the connection that follows the focus of the value list: as a member it goes,
    // and the connection with it, before the window's widgets are taken down.
    QObject focusWatch_;
    // The list the clipboard menu was last opened on, and whether the value list has the focus,
    // or, while the menu is open, whether the menu was opened on it.
    QTreeView* clipMenuList_ = nullptr;
    bool valueListFocused() const;

    QStringList arguments_;
};
