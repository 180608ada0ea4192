#include "app/Unit1.h"

#include "app/EkFunctions.h"
#include "app/EkGlobals.h"
#include "app/ImageLists.h"
#include "app/IniListModels.h"
#include "app/WidestText.h"
#include "controls/EkColor.h"
#include "controls/ImgList.h"
#include "model/EkSearch.h"
#include "platform/core/RunParts.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/DesignScale.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <exception>
#include <initializer_list>
#include <numeric>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kWindowWidth = 1560;
constexpr int kWindowHeight = 980;
constexpr int kSectionListWidth = 377;
constexpr int kSplitterWidth = 6;
constexpr int kIconColumnWidth = 22; // column 0 of both lists, in screen pixels
constexpr int kBarHeight = 26;
constexpr int kBarFontHeight = 18;
constexpr int kEndPieceWidth = 23;
constexpr int kTimeWidth = 90;     // LbLoadTime, LbShowTime
constexpr int kShortcutWidth = 54; // ButCreateShortcut
constexpr int kSpacerWidth = 12;   // between the top bar's groups

// Label margins, in pixels of the screen.
constexpr int kButtonMargin = 5;       // caption to edge of a tool-bar button
constexpr int kLetterMargin = 10;      // the one-letter buttons "P", "?" and "i"
constexpr int kCounterMargin = 14;     // the status counters
constexpr int kCounterImageMargin = 9; // image to count
constexpr int kToggleMargin = 10;      // the values-only toggle
constexpr int kToggleImageMargin = 5;

// The window design's colours of the labels and end pieces (TColor, 0x00BBGGRR).
constexpr TColor kDesignDark = 0xD8B4A3;
constexpr TColor kDesignLight = 0xFBF2EA;
constexpr TColor kDesignHotDark = 0xD9A980;
constexpr TColor kDesignHotLight = 0xFFEFD2;
constexpr TColor kDesignFontHot = 0xD50000;
constexpr TColor kDesignLetterColour = 0xB8380E; // "?" and "i"

// The default colour theme: the about box's two colours, the labels' light and dark gradient
// (the dark one also the bars' colour), their hot light and dark, hot text and text colours.
constexpr std::array<TColor, 8> kDefaultTheme = {TColor(0xFFEBDE), TColor(0xD8B4A3), TColor(0xFBF2EA),
                                                 TColor(0xD8B4A3), TColor(0xCFEFFF), TColor(0x3B88D1),
                                                 TColor(0xD50000), TColor(0x8D0C12)};

// A section's items are read on several threads only in parts of this many or more: fewer are
// not worth a thread.
constexpr int kItemsPerPart = 100000;

// IlButtons holds a greyed copy of every button image after the images themselves.
int disabledButtonImage(int image) {
    return btnCount + image;
}

// A disabled button's image: grey by luminance, shown halfway to white, alpha kept.
QImage greyedImage(const QImage& image) {
    constexpr int kWhite = 255;
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            // shade = (luminance + white) / 2
            const int shade = (greyLevel(line[x]) + kWhite) / 2;
            line[x] = qRgba(shade, shade, shade, qAlpha(line[x]));
        }
    }
    return grey;
}

// Ends the setting-up of the labels on `bar`: from now on they size themselves.
void loadLabels(QWidget* bar) {
    for (TEkGradiLabel* label : bar->findChildren<TEkGradiLabel*>(Qt::FindDirectChildrenOnly))
        label->Loaded();
}

} // namespace

TForm1::TForm1(const QStringList& arguments, QWidget* parent)
    : QWidget(parent), themeColours(kDefaultTheme), arguments_(arguments) {
    findSettings = std::make_unique<TSearchStruct>();
    model.shownLineBytes = kShownLineBytes;
    createImageLists();
    createActions();
    createTopBar();
    createLists();
    createStatusBar();
    createTimers();
    createDialogs();
    createFindCommands();
    createClipMenu();
    createColumnSorting();
    createSectionDragging();
    createSettingsParts();
    layoutWindow();
    setAcceptDrops(true);
    setCaption(true);
    platform::setMessageBoxOwner(this);
}

TForm1::~TForm1() {
    if (platform::messageBoxOwner() == this)
        platform::setMessageBoxOwner(nullptr);
    // The rows point into the document: let them go first.
    SectionRows->clear();
    ValueRows->clear();
}

// Construction, lifecycle, the lists, the status bar and the colour theme. The other commands
// are defined by concern: Unit1Files.cpp, Unit1Edit.cpp, Unit1Find.cpp, Unit1Settings.cpp.

// --- Construction -----------------------------------------------------------------------------

void TForm1::createImageLists() {
    IlItems = new TImageList(12, 12, this);
    addItemImages(*IlItems);
    IlButtons = new TImageList(16, 16, this);
    addButtonImages(*IlButtons);
    for (int image = 0; image < btnCount; ++image)
        IlButtons->add(greyedImage(IlButtons->image(image)));
}

QAction* TForm1::addAction(const QString& caption, const QList<QKeySequence>& shortcuts, bool enabled,
                           const QString& hint) {
    auto* action = new QAction(caption, this);
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(enabled);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    QWidget::addAction(action);
    return action;
}

void TForm1::createActions() {
    using K = QKeySequence;
    ActNewFile = addAction("New", {K(Qt::CTRL | Qt::Key_N)}, true, " Create a New Ini File ");
    ActOpenFile = addAction("Open", {K(Qt::CTRL | Qt::Key_O)}, true, " Open an Existing Ini File ");
    ActReload = addAction("Reload", {K(Qt::Key_F5)}, false, " Reload The Open Ini File From Disk ");
    ActSave = addAction("Save", {K(Qt::CTRL | Qt::Key_S)}, false, " Save Ini File to Disk ");
    ActSaveAs = addAction("Save As", {K(Qt::Key_F12)}, false, " Save the Ini File to a New File Name ");
    ActSearch = addAction("Find", {K(Qt::CTRL | Qt::Key_F)}, false,
                          " Search the Ini File (F3=Find Next) (Shift+F3=Find Previous)");
    ActFindNext = addAction("Find Next", {K(Qt::Key_F3)}, false, {});
    ActFindPrevious = addAction("Find Previous", {K(Qt::SHIFT | Qt::Key_F3)}, false, {});
    ActValuesOnly =
        addAction("Values Only", {K(Qt::Key_F4)}, true, "Hide Comment, Empty Items and Error Items. ");
    ActAddSection = addAction("Add", {K(Qt::CTRL | Qt::Key_F8)}, false, " Add a New Section ");
    ActCopySection = addAction("Copy", {K(Qt::CTRL | Qt::Key_F10)}, true, " Copy Selected Section ");
    ActInsertSection = addAction("Insert", {K(Qt::CTRL | Qt::Key_F9)}, false,
                                 " Insert a New Section Before the Selected Section ");
    ActEditSection = addAction("Edit", {K(Qt::CTRL | Qt::Key_Return), K(Qt::CTRL | Qt::Key_Enter)}, false,
                               " Edit the Selected Section ");
    ActDeleteSection =
        addAction("Del", {K(Qt::CTRL | Qt::Key_Delete)}, false, " Delete the Selected Section ");
    ActSilentDeleteSection =
        addAction("Silent Delete Section", {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)}, false, {});
    ActAddItem = addAction("Add", {K(Qt::Key_F8)}, false, " Add a New Value Item ");
    ActInsertItem = addAction("Insert", {K(Qt::Key_F9)}, false, " Insert a New Value Item ");
    ActEditItem =
        addAction("Edit", {K(Qt::Key_Return), K(Qt::Key_Enter)}, false, " Edit Selected Value Item ");
    ActDeleteItem = addAction("Del", {K(Qt::Key_Delete)}, false, " Delete Selected Value Item ");
    ActSilentDeleteItem = addAction("Silent Delete Item", {K(Qt::SHIFT | Qt::Key_Delete)}, false, {});
    ActCopyItemValue = addAction("CopyItemValue", {K(Qt::CTRL | Qt::Key_Insert)}, true, {});
    ActPasteItemValue = addAction("PasteItemValue", {K(Qt::SHIFT | Qt::Key_Insert)}, true, {});
    ActGeneratePassword =
        addAction("GeneratePassword", {K(Qt::CTRL | Qt::Key_G)}, true, " Opens the Password Generator ");
    // The hint is its status-bar button's, which shows it from the action like every bound button.
    ActCreateShortcut = addAction({}, {K(Qt::CTRL | Qt::Key_K)}, true, " Opens the Create Shortcut Dialog ");
    ActAbout = addAction({}, {K(Qt::Key_F2)}, true, "Opens the about dialog");
    ActHelp = addAction({}, {K(Qt::Key_F1)}, true, "Opens the help on the internet in Your browser ");
    const auto categorize = [](const char* category, std::initializer_list<QAction*> actions) {
        for (QAction* action : actions)
            action->setProperty("category", category);
    };
    categorize("Section Actions", {ActAddSection, ActCopySection, ActInsertSection, ActEditSection,
                                   ActDeleteSection, ActSilentDeleteSection});
    categorize("Item Actions", {ActAddItem, ActInsertItem, ActEditItem, ActDeleteItem, ActSilentDeleteItem,
                                ActCopyItemValue, ActPasteItemValue});
    categorize("Program Actions", {ActGeneratePassword, ActCreateShortcut, ActAbout});

    // The commands of the other units connect themselves to their actions.
    connectCommand(ActNewFile, &TForm1::ActNewFileExecute);
    connectCommand(ActOpenFile, &TForm1::ActOpenFileExecute);
    connectCommand(ActReload, &TForm1::ActReloadExecute);
    connectCommand(ActSave, &TForm1::ActSaveExecute);
    connectCommand(ActSaveAs, &TForm1::ActSaveAsExecute);
    connectCommand(ActValuesOnly, &TForm1::ActValuesOnlyExecute);
    connect(ActHelp, &QAction::triggered, this, &TForm1::ActHelpExecute);
    // Section and item commands, the password generator (Unit1Edit.cpp).
    connectEditCommands();
}

int TForm1::scaled(int designPixels) const {
    return scaleFromDesign(designPixels, this);
}

QWidget* TForm1::createBar(const char* name) {
    auto* bar = new QWidget(this);
    bar->setObjectName(name);
    bar->setAutoFillBackground(true);
    // The labels measure their captions with the bar's font (they inherit it).
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(scaled(kBarFontHeight));
    bar->setFont(font);
    new TEkDockLayout(bar);
    return bar;
}

TEkGradiLabel* TForm1::addLabel(QWidget* bar, const char* name, TAlign align) {
    auto* label = new TEkGradiLabel(bar);
    label->setObjectName(name);
    // The window design's colours; the theme replaces most of them when the window shows.
    label->setGradiantDark(kDesignDark);
    label->setGradiantLight(kDesignLight);
    label->setClHotDark(kDesignHotDark);
    label->setClPressDark(kDesignHotDark);
    label->setClHotLight(kDesignHotLight);
    label->setClPressLight(kDesignHotLight);
    label->setClFontHot(kDesignFontHot);
    label->setClFontPressed(kDesignFontHot);
    static_cast<TEkDockLayout*>(bar->layout())->addWidget(label, align);
    return label;
}

TEkGradiLabel* TForm1::addBarButton(QWidget* bar, const char* name, QAction* action, int image,
                                    TAlign align) {
    TEkGradiLabel* button = addLabel(bar, name, align);
    button->setLabelType(altButton);
    button->setTextMarginHorz(kButtonMargin);
    button->setImages(IlButtons);
    button->setImageDisabledIndex(disabledButtonImage(image));
    // The image goes on the action: a bound button takes everything from it.
    setActionImageIndex(action, image);
    button->setAction(action);
    return button;
}

TEkGradiLabel* TForm1::addLetterButton(QWidget* bar, const char* name, QAction* action,
                                       const QString& letter) {
    // Not bound as a whole: the action's caption would replace the letter.
    TEkGradiLabel* button = addLabel(bar, name, alRight);
    button->setLabelType(altButton);
    button->setTextMarginHorz(kLetterMargin);
    button->setCaption(letter);
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    button->setToolTip(action->toolTip());
    button->setEnabled(action->isEnabled());
    connect(button, &TEkGradiLabel::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    return button;
}

TEkArt* TForm1::addEndPiece(QWidget* bar, const char* name, TEkArtType type, TAlign align) {
    auto* piece = new TEkArt(bar);
    piece->setObjectName(name);
    piece->setArtType(type);
    piece->setGradiDark(kDesignDark);
    piece->setGradiLight(kDesignLight);
    piece->resize(scaled(kEndPieceWidth), scaled(kBarHeight));
    static_cast<TEkDockLayout*>(bar->layout())->addWidget(piece, align);
    return piece;
}

TEkGradiLabel* TForm1::addSpacer(QWidget* bar, const char* name) {
    TEkGradiLabel* spacer = addLabel(bar, name, alLeft);
    spacer->setLabelType(altButton);
    spacer->setAlive(false);
    spacer->setAutoSize(false);
    spacer->resize(scaled(kSpacerWidth), spacer->height());
    // Hidden, it keeps its place in the bar and draws nothing: the bar shows between the groups.
    QSizePolicy policy = spacer->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    spacer->setSizePolicy(policy);
    spacer->hide();
    return spacer;
}

void TForm1::closeGroup(TEkArt* leftEnd, TEkGradiLabel* first, TEkGradiLabel* last, TEkArt* rightEnd) {
    leftEnd->setLabelAfter(first);
    rightEnd->setLabelBefore(last);
}

void TForm1::createTopBar() {
    PnlTop = createBar("PnlTop");
    EkArt1 = addEndPiece(PnlTop, "EkArt1", aatEndLeft);
    GlNew = addBarButton(PnlTop, "GlNew", ActNewFile, btnNew);
    GlOpen = addBarButton(PnlTop, "GlOpen", ActOpenFile, btnOpen);
    GlReload = addBarButton(PnlTop, "GlReload", ActReload, btnReload);
    GlSave = addBarButton(PnlTop, "GlSave", ActSave, btnSave);
    GlSaveAs = addBarButton(PnlTop, "GlSaveAs", ActSaveAs, btnSaveAs);
    GlSearch = addBarButton(PnlTop, "GlSearch", ActSearch, btnSearch);
    EkArt2 = addEndPiece(PnlTop, "EkArt2", aatEndRight);
    closeGroup(EkArt1, GlNew, GlSearch, EkArt2);

    GlSpaceSections = addSpacer(PnlTop, "GlSpaceSections");
    EkArt5 = addEndPiece(PnlTop, "EkArt5", aatEndLeft);
    GlSectionAdd = addBarButton(PnlTop, "GlSectionAdd", ActAddSection, btnSectionAdd);
    GlSectionCopy = addBarButton(PnlTop, "GlSectionCopy", ActCopySection, btnSectionCopy);
    // Starts disabled although its action is enabled; it follows the action's later changes.
    GlSectionCopy->setEnabled(false);
    GlSectionInsert = addBarButton(PnlTop, "GlSectionInsert", ActInsertSection, btnSectionInsert);
    GlSectionEdit = addBarButton(PnlTop, "GlSectionEdit", ActEditSection, btnSectionEdit);
    GlSectionDdelete = addBarButton(PnlTop, "GlSectionDdelete", ActDeleteSection, btnSectionDelete);
    EkArt6 = addEndPiece(PnlTop, "EkArt6", aatEndRight);
    closeGroup(EkArt5, GlSectionAdd, GlSectionDdelete, EkArt6);

    GlSpaceItems = addSpacer(PnlTop, "GlSpaceItems");
    EkArt3 = addEndPiece(PnlTop, "EkArt3", aatEndLeft);
    GlItemAdd = addBarButton(PnlTop, "GlItemAdd", ActAddItem, btnItemAdd);
    GlItemInsert = addBarButton(PnlTop, "GlItemInsert", ActInsertItem, btnItemInsert);
    GlItemEdit = addBarButton(PnlTop, "GlItemEdit", ActEditItem, btnItemEdit);
    GlItemDelete = addBarButton(PnlTop, "GlItemDelete", ActDeleteItem, btnItemDelete);
    EkArt4 = addEndPiece(PnlTop, "EkArt4", aatEndRight);
    closeGroup(EkArt3, GlItemAdd, GlItemDelete, EkArt4);

    connect(GlOpen, &TEkGradiLabel::mouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint) { GlOpenMouseDown(button); });
    connect(GlOpen, &TEkGradiLabel::mouseUp, this, &TForm1::GlOpenMouseUp);
    connect(GlOpen, &TEkGradiLabel::mouseLeft, this, &TForm1::GlOpenMouseLeave);
    // While the button is held Qt reports the leave only after the release: a move off the
    // label counts as leaving it.
    connect(GlOpen, &TEkGradiLabel::mouseMoved, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers, QPoint at) {
                if (!GlOpen->rect().contains(at))
                    GlOpenMouseLeave();
            });
    loadLabels(PnlTop);
}
void TForm1::createLists() {
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setHandleWidth(kSplitterWidth);
    Splitter1->setChildrenCollapsible(false);

    LvSections = new QTreeView(Splitter1);
    LvSections->setObjectName("LvSections");
    SectionRows = new TIniListModel({"Section Name", "C", "Comment"}, *IlItems, this);
    SectionRows->setColumnAlignment(2, Qt::AlignCenter);
    SectionRows->setTextSource(&sectionRowText);
    setupReportView(LvSections, SectionRows);
    LvSections->header()->resizeSection(0, kIconColumnWidth);
    LvSections->header()->resizeSection(1, scaled(180));
    LvSections->header()->resizeSection(2, scaled(60));
    // The comment column fills what the others leave and has no width of its own: a stretched
    // last column never shrinks below the width it had, and would scroll an empty list sideways.
    LvSections->header()->resizeSection(3, 0);
    LvSections->header()->setStretchLastSection(true);

    LvValues = new QTreeView(Splitter1);
    LvValues->setObjectName("LvValues");
    ValueRows = new TIniListModel({"Name", "Value", "Comment"}, *IlItems, this);
    ValueRows->setTextSource(&itemRowText);
    setupReportView(LvValues, ValueRows);
    LvValues->header()->resizeSection(0, kIconColumnWidth);
    LvValues->header()->resizeSection(1, scaled(282));
    LvValues->header()->resizeSection(2, scaled(280));
    LvValues->header()->resizeSection(3, scaled(100));

    Splitter1->addWidget(LvSections);
    Splitter1->addWidget(LvValues);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    connect(LvSections->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::sectionSelectionChanged);
    connect(LvValues->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::valueSelectionChanged);
    connect(LvSections, &QTreeView::doubleClicked, this, &TForm1::LvSectionsDblClick);
    connect(LvValues, &QTreeView::doubleClicked, this, &TForm1::LvValuesDblClick);
}

TEkGradiLabel* TForm1::addStatusLabel(QWidget* bar, const char* name, const QString& caption, TAlign align) {
    TEkGradiLabel* label = addLabel(bar, name, align);
    label->setAlive(false);
    label->setCaption(caption);
    return label;
}

TEkGradiLabel* TForm1::addCounter(QWidget* bar, const char* name, int image, const QString& hint) {
    TEkGradiLabel* counter = addStatusLabel(bar, name, QStringLiteral("0"));
    counter->setTextMarginHorz(kCounterMargin);
    counter->setMarginImage(kCounterImageMargin);
    counter->setImages(IlItems);
    counter->setImageIndex(image);
    counter->setToolTip(hint);
    return counter;
}

void TForm1::createStatusBar() {
    PnlBottom = createBar("PnlBottom");
    EkArt7 = addEndPiece(PnlBottom, "EkArt7", aatEndLeft);
    EkGradiLabel10 = addStatusLabel(PnlBottom, "EkGradiLabel10", "LoadTime:");
    LbLoadTime = addStatusLabel(PnlBottom, "LbLoadTime", "0");
    EkArt8 = addEndPiece(PnlBottom, "EkArt8", aatEndRight);
    closeGroup(EkArt7, EkGradiLabel10, LbLoadTime, EkArt8);

    EkArt9 = addEndPiece(PnlBottom, "EkArt9", aatEndLeft);
    EkGradiLabel20 = addStatusLabel(PnlBottom, "EkGradiLabel20", "ShowTime:");
    LbShowTime = addStatusLabel(PnlBottom, "LbShowTime", "0");
    EkArt10 = addEndPiece(PnlBottom, "EkArt10", aatEndRight);
    closeGroup(EkArt9, EkGradiLabel20, LbShowTime, EkArt10);
    // The times keep their width, so that the fields after them stay in place.
    for (TEkGradiLabel* time : {LbLoadTime, LbShowTime}) {
        time->setAutoSize(false);
        time->resize(scaled(kTimeWidth), time->height());
    }

    EkArt11 = addEndPiece(PnlBottom, "EkArt11", aatEndLeft);
    LbSectionCount = addCounter(PnlBottom, "LbSectionCount", imgSection, " Section Count ");
    LbValueCount = addCounter(PnlBottom, "LbValueCount", imgValue, " Item Value Count ");
    LbCommentCount = addCounter(PnlBottom, "LbCommentCount", imgComment, " Comment Count ");
    LbErrorCount = addCounter(PnlBottom, "LbErrorCount", imgError, " Item Error Count ");
    LbEmptyCount = addCounter(PnlBottom, "LbEmptyCount", imgBlank, " Blank Line Count ");
    GlValuesOnly = addLabel(PnlBottom, "GlValuesOnly", alLeft);
    GlValuesOnly->setTextMarginHorz(kToggleMargin);
    GlValuesOnly->setMarginImage(kToggleImageMargin);
    GlValuesOnly->setImages(IlItems);
    GlValuesOnly->setImageIndex(imgValuesOnlyOff);
    GlValuesOnly->setImageHotIndex(imgValuesOnlyOffHot);
    GlValuesOnly->setAction(ActValuesOnly);
    EkArt12 = addEndPiece(PnlBottom, "EkArt12", aatEndRight);
    closeGroup(EkArt11, LbSectionCount, GlValuesOnly, EkArt12);

    // Docked at the right edge, from the right: the first one added is the rightmost.
    EkArt14 = addEndPiece(PnlBottom, "EkArt14", aatEndRight, alRight);
    GlInfo = addLetterButton(PnlBottom, "GlInfo", ActAbout, "i");
    GlHelp = addLetterButton(PnlBottom, "GlHelp", ActHelp, "?");
    EkGradiLabel1 = addLetterButton(PnlBottom, "EkGradiLabel1", ActGeneratePassword, "P");
    for (TEkGradiLabel* letter : {GlHelp, GlInfo})
        letter->setFontColor(kDesignLetterColour);
    ButCreateShortcut = addBarButton(PnlBottom, "ButCreateShortcut", ActCreateShortcut, btnShortcut, alRight);
    ButCreateShortcut->setAlignment(taCenter);
    ButCreateShortcut->setAutoSize(false);
    ButCreateShortcut->setMarginImage(0);
    ButCreateShortcut->setImagePos(aipRight);
    ButCreateShortcut->resize(scaled(kShortcutWidth), ButCreateShortcut->height());
    // Enabled once a file is open (setFileName).
    ButCreateShortcut->setEnabled(false);
    EkArt13 = addEndPiece(PnlBottom, "EkArt13", aatEndLeft, alRight);
    closeGroup(EkArt13, ButCreateShortcut, GlInfo, EkArt14);
    loadLabels(PnlBottom);
}
void TForm1::createTimers() {
    LoadFileTimer = new QTimer(this);
    LoadFileTimer->setInterval(50);
    LoadFileTimer->setSingleShot(true);
    connect(LoadFileTimer, &QTimer::timeout, this, &TForm1::LoadFileTimerTimer);
    MruTimer = new QTimer(this);
    MruTimer->setInterval(600);
    connect(MruTimer, &QTimer::timeout, this, &TForm1::MruTimerTimer);
    MruCheck = new QTimer(this);
    MruCheck->setInterval(1000);
    MruCheck->setSingleShot(true);
    MruCheck->start();
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(100);
}

void TForm1::createDialogs() {
    MRUList = new TEkStringRC(this);
    MRUList->setMruMax(10);
    OpenTextFileDialog.defaultExt = "Ini";
    OpenTextFileDialog.filter =
        "All Velquin Files|*.Ini;*.IniCry|Ini Files|*.Ini|Ini Files Encrypted|*.IniCry|All Files|*.*";
    OpenTextFileDialog.encodings = {"Utf-8", "ANSI (System locale)", "Unicode (Utf-16 LE)",
                                    "Big Endian Unicode (Utf-16 BE)", "Auto"};
    OpenTextFileDialog.encodingIndex = 4;
    SaveTextFileDialog.defaultExt = "ini";
    SaveTextFileDialog.filter = "Ini File|*.Ini|Ini File Encrypted|*.IniCry|Other File|*.*";
    SaveTextFileDialog.encodings = OpenTextFileDialog.encodings.mid(0, 4);
    SaveTextFileDialog.encodingIndex = 0;
}

void TForm1::layoutWindow() {
    for (QWidget* bar : {PnlTop, PnlBottom})
        bar->setFixedHeight(kBarHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PnlTop);
    column->addWidget(Splitter1, 1);
    column->addWidget(PnlBottom);
    resize(scaled(kWindowWidth), scaled(kWindowHeight));
    Splitter1->setSizes({scaled(kSectionListWidth), scaled(kWindowWidth - kSectionListWidth)});
}

void TForm1::connectCommand(QAction* action, void (TForm1::*command)()) {
    connect(action, &QAction::triggered, this,
            [this, command] { runGuarded([this, command] { (this->*command)(); }); });
}

void TForm1::runGuarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        platform::showError(kProductName, QString::fromLocal8Bit(e.what()));
    }
}

// --- Window lifecycle ---------------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown)
        FormShow();
}

void TForm1::FormShow() {
    // The whole top bar stays visible: the window is never narrower than the right edge of
    // its last end piece. (Qt's minimum is the client width: no frame to add.)
    PnlTop->layout()->activate();
    setMinimumWidth(EkArt4->mapTo(this, QPoint(EkArt4->width(), 0)).x());
    // Place, view and theme (applied after its colours are read), recent files, find settings.
    loadSettings();
    LvSections->header()->resizeSection(0, kIconColumnWidth);
    LvValues->header()->resizeSection(0, kIconColumnWidth);
    LoadFileTimer->start();
    shown = true;
    const int dpi = logicalDpiY();
    const int barHeight = dpi < 100 ? 22 : dpi < 125 ? 24 : 26;
    PnlTop->setFixedHeight(barHeight);
    PnlBottom->setFixedHeight(barHeight);
}

// --- Colour theme -------------------------------------------------------------------------------

void TForm1::applyTheme() {
    applyThemeColours(PnlTop);
    applyThemeColours(PnlBottom);
}

void TForm1::applyThemeColours(QWidget* panel) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, toQColor(themeColours[3]));
    panel->setPalette(palette);
    for (QObject* child : panel->children()) {
        if (auto* label = qobject_cast<TEkGradiLabel*>(child))
            applyThemeToLabel(label);
        else if (auto* piece = qobject_cast<TEkArt*>(child))
            applyThemeToArt(piece);
    }
}

void TForm1::applyThemeToLabel(TEkGradiLabel* label) {
    label->setGradiantLight(themeColours[2]);
    label->setGradiantDark(themeColours[3]);
    label->setClHotLight(themeColours[4]);
    label->setClHotDark(themeColours[5]);
    label->setClPressLight(themeColours[4]);
    label->setClPressDark(themeColours[5]);
    label->setClFontHot(themeColours[6]);
    label->setFontColor(themeColours[7]);
}

void TForm1::applyThemeToArt(TEkArt* piece) {
    piece->setGradiLight(themeColours[2]);
    piece->setGradiDark(themeColours[3]);
}

void TForm1::LoadFileTimerTimer() {
    LoadFileTimer->stop();
    // A name of nothing is ignored; a folder or a pipe is refused by the open.
    if (arguments_.isEmpty() || platform::fileKind(arguments_.constFirst()) == platform::FileKind::Missing)
        return;
    const QString name = QFileInfo(arguments_.constFirst()).absoluteFilePath();
    runGuarded([&] { openFile(name, -1); });
}

bool TForm1::FormCloseQuery() {
    bool canClose = true;
    if (modified) {
        const int answer =
            platform::askYesNoCancel("Exit Velquin", "There is unsaved changes!\r\nDo You want to Save ?");
        if (answer == platform::IdCancel)
            return false;
        if (answer == platform::IdYes) {
            runGuarded([this] { ActSaveExecute(); });
            canClose = !modified;
        }
    }
    if (canClose)
        saveSettings();
    return canClose;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().constFirst().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    QStringList paths;
    if (const QMimeData* data = event->mimeData()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    // Opened once the drop has ended: the dragging program waits for the drop to finish, and a
    // password or message box must not hold it meanwhile.
    QTimer::singleShot(0, this, [this, paths] { openDroppedFiles(paths); });
}

void TForm1::openDroppedFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    const QString name = paths.constFirst();
    runGuarded([&] { openFile(QFileInfo(name).absoluteFilePath(), -1); });
}

QString TForm1::helpAddress() {
    return kMakerWebPage + "/velquin.htm";
}

void TForm1::ActHelpExecute() {
    const QString address = helpAddress();
    if (!platform::openUrlInBrowser(address))
        platform::showError(kProductName, "Could not open the help page in a browser:\r\n" + address);
}

void TForm1::LvSectionsDblClick() {
    ActEditSection->trigger();
}

void TForm1::LvValuesDblClick() {
    ActEditItem->trigger();
}

// --- Lists ---------------------------------------------------------------------------------------

namespace {

TEkIniSection* sectionOf(const TListRow* row) {
    return row ? static_cast<TEkIniSection*>(row->data) : nullptr;
}

const QString& noText() {
    static const QString empty;
    return empty;
}

} // namespace

const QString& sectionRowName(const TListRow& row) {
    const auto* section = static_cast<const TEkIniSection*>(row.data);
    return section ? section->name : noText();
}

QString sectionRowText(const TListRow& row, int k) {
    const auto* section = static_cast<const TEkIniSection*>(row.data);
    if (!section)
        return {};
    switch (k) {
    case 0:
        return section->name;
    case 1:
        return QString::number(row.number);
    default:
        return row.withComment ? section->comment : QString();
    }
}

const QString& itemRowText(const TListRow& row, int k) {
    const auto* item = static_cast<const TEkIniVal*>(row.data);
    if (!item)
        return noText();
    switch (k) {
    case 0:
        return item->name;
    case 1:
        return item->value;
    default:
        return row.withComment ? item->comment : noText();
    }
}

int TForm1::selectedRow(QTreeView* list) const {
    const QModelIndex current = list->selectionModel()->currentIndex();
    if (!current.isValid() || !list->selectionModel()->isRowSelected(current.row(), {}))
        return -1;
    return current.row();
}

void TForm1::clearSectionRows() {
    // Deleting a selected row deselects it first, which empties the value list.
    if (selectedRow(LvSections) >= 0)
        LvSections->selectionModel()->clear();
    for (TEkIniSection* section : model.sections)
        section->listItem = nullptr;
    SectionRows->clear();
}

void TForm1::clearValueRows() {
    if (selectedRow(LvValues) >= 0)
        LvValues->selectionModel()->clear();
    ValueRows->clear();
}

void TForm1::setValueRows(std::vector<TListRow>&& rows) {
    if (selectedRow(LvValues) >= 0)
        LvValues->selectionModel()->clear();
    ValueRows->setRows(std::move(rows));
}

void TForm1::sectionSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.column() == 0)
            LvSectionsSelectItem(SectionRows->row(index.row()), false);
    }
    for (const QModelIndex& index : selected.indexes()) {
        if (index.column() == 0)
            LvSectionsSelectItem(SectionRows->row(index.row()), true);
    }
}

void TForm1::valueSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.column() == 0)
            LvValuesSelectItem(ValueRows->row(index.row()), false);
    }
    for (const QModelIndex& index : selected.indexes()) {
        if (index.column() == 0)
            LvValuesSelectItem(ValueRows->row(index.row()), true);
    }
}

void TForm1::fillSectionList() {
    clearSectionRows();
    valueWidths_ = {};
    const std::uint32_t start = platform::timeGetTime();
    std::vector<TListRow> rows(size_t(model.sections.count));
    for (int i = 0; i < model.sections.count; ++i) {
        rows[size_t(i)].data = model.sections[i];
        rows[size_t(i)].image = imgSection;
    }
    SectionRows->setRows(std::move(rows));
    for (int i = 0; i < model.sections.count; ++i) {
        TListRow* row = SectionRows->row(i);
        model.sections[i]->listItem = row;
        updateSectionRow(model.sections[i], row);
    }
    LbShowTimeTag = platform::elapsedMs(start);
    LbShowTime->setCaption(QString::number(LbShowTimeTag));
}

void TForm1::updateSectionRow(TEkIniSection* section, TListRow* row) {
    if (!section || !row)
        return;
    int values = 0;
    int comments = 0;
    int errors = 0;
    int blanks = 0;
    // Only the values-only view counts by kind: a section of a million lines takes a while.
    if (valuesOnly)
        section->countItemTypes(values, comments, errors, blanks);
    row->number = valuesOnly ? values : section->values.count;
    row->withComment = !valuesOnly;
    SectionRows->rowChanged(row);
}

qint64 TForm1::shownReserve() const {
    qint64 lines = model.sections.count;
    for (const TEkIniSection* section : model.sections)
        lines += section->values.count;
    return lines * kShownLineBytes;
}

void TForm1::fillValueList(TEkIniSection* section) {
    std::vector<TListRow> rows;
    if (!section) {
        setValueRows(std::move(rows));
        return;
    }
    // A million items take a while to read from memory: the items are read on several threads,
    // each filling its part of the rows (and, in the values-only view, first counting them); see
    // DEVELOPERS.md, "Threads".
    const TIniValVec& items = section->values;
    const qint64 keep = shownReserve();
    const int parts = platform::partsFor(items.count, kItemsPerPart);
    auto from = [&](int part) { return int(qint64(items.count) * part / parts); };
    std::vector<int> firstRows(size_t(parts) + 1, 0);
    if (valuesOnly) {
        platform::runParts(parts, keep, [&](int part) {
            int shown = 0;
            for (int i = from(part); i < from(part + 1); ++i)
                shown += items[i]->type == itemValue;
            firstRows[size_t(part) + 1] = shown;
        });
        std::partial_sum(firstRows.begin(), firstRows.end(), firstRows.begin());
    } else {
        for (int part = 0; part <= parts; ++part)
            firstRows[size_t(part)] = from(part);
    }
    rows.resize(size_t(firstRows.back()));
    // The rows keep their addresses in the list: each item is linked while it is at hand.
    platform::runParts(parts, keep, [&](int part) {
        TListRow* row = rows.data() + firstRows[size_t(part)];
        for (int i = from(part); i < from(part + 1); ++i) {
            TEkIniVal* item = items[i];
            if (valuesOnly && item->type != itemValue) {
                item->listItem = nullptr;
                continue;
            }
            row->data = item;
            row->image = std::clamp(item->type, int(itemBlank), int(itemError));
            row->withComment = !valuesOnly;
            item->listItem = row++;
        }
    });
    setValueRows(std::move(rows));
}

void TForm1::sizeSectionColumns() {
    QHeaderView* header = LvSections->header();
    // Column 1 fills the list in the values-only view, column 3 in the normal view.
    header->setStretchLastSection(!valuesOnly);
    header->setSectionResizeMode(1, valuesOnly ? QHeaderView::Stretch : QHeaderView::Interactive);
    header->setSectionHidden(3, valuesOnly);

    const QFontMetrics metrics(LvSections->font());
    TWidestText names(LvSections->font(), metrics.horizontalAdvance(SectionRows->headerText(1)));
    TWidestText counts(LvSections->font(), metrics.horizontalAdvance(SectionRows->headerText(2)));
    const int n = SectionRows->count();
    names.addAll(n, [this](int i) -> const QString& { return sectionRowName(*SectionRows->row(i)); });
    for (int i = 0; i < n; ++i)
        counts.add(sectionRowText(*SectionRows->row(i), 1));
    const int pad = scaled(24);
    if (!valuesOnly)
        header->resizeSection(1, names.width() + pad);
    header->resizeSection(2, counts.width() + pad);
}

void TForm1::sizeValueColumns() {
    const int pad = scaled(20);
    constexpr int kCaptionMargin = 10;
    const QFontMetrics metrics(LvValues->font());
    const int n = valuesOnly ? 2 : 3;
    std::array<int, 3> w = {0, 0, 0};
    // Measuring every text of a big section takes a while: the widths of the section last
    // measured are kept until the document changes.
    if (valueWidths_.section == selectedSection && selectedSection && valueWidths_.valuesOnly == valuesOnly &&
        valueWidths_.font == LvValues->font() && valueWidths_.rows == ValueRows->count()) {
        w = valueWidths_.widths;
    } else {
        // Texts count with the pad, captions with their margin: widest text = w - pad.
        std::vector<TWidestText> widest;
        for (int k = 0; k < n; ++k)
            widest.emplace_back(LvValues->font(), metrics.horizontalAdvance(ValueRows->headerText(k + 1)) +
                                                      kCaptionMargin - pad);
        // One pass over the rows for all columns: each item is read from memory once.
        TWidestText::addRows(
            widest, ValueRows->count(),
            [this](int i, int k) -> const QString& { return itemRowText(*ValueRows->row(i), k); },
            shownReserve());
        for (int k = 0; k < n; ++k)
            w[size_t(k)] = widest[size_t(k)].width() + pad;
        valueWidths_ = {selectedSection, valuesOnly, LvValues->font(), ValueRows->count(), w};
    }
    const int avail = LvValues->viewport()->width() - LvValues->header()->sectionSize(0);
    if (avail > w[0] + w[1] + w[2]) {
        const int extra = (avail - (w[0] + w[1] + w[2])) / n;
        for (int k = 0; k < n; ++k)
            w[size_t(k)] += extra;
    }
    for (int k = 0; k < 3; ++k)
        LvValues->header()->resizeSection(k + 1, w[size_t(k)]);
}

void TForm1::refreshCounts() {
    std::array<int, 5>& n = shownCounts;
    if (countsChange) {
        for (size_t k = 0; k < n.size(); ++k)
            n[k] += (*countsChange)[k];
        countsChange.reset();
    } else {
        model.countItemTypes(n[0], n[1], n[2], n[3], n[4]);
    }
    LbSectionCount->setCaption(groupThousands(QString::number(n[0])));
    LbValueCount->setCaption(groupThousands(QString::number(n[1])));
    LbCommentCount->setCaption(groupThousands(QString::number(n[2])));
    LbErrorCount->setCaption(groupThousands(QString::number(n[3])));
    LbEmptyCount->setCaption(groupThousands(QString::number(n[4])));
}

void TForm1::setValuesOnlyView(bool on) {
    if (shown && on == valuesOnly)
        return;
    valuesOnly = on;
    GlValuesOnly->setImageIndex(on ? imgValuesOnlyOn : imgValuesOnlyOff);
    GlValuesOnly->setImageHotIndex(on ? imgValuesOnlyOnHot : imgValuesOnlyOffHot);
    if (shown && !fileName.isEmpty()) {
        fillSectionList();
        sizeSectionColumns();
    } else if (on || shown) {
        // With no file the lists are empty, but their comment columns still follow the view
        // (the normal view at start keeps the design's widths).
        sizeSectionColumns();
        sizeValueColumns();
    }
}

void TForm1::ActValuesOnlyExecute() {
    const int sectionIndex = selectedRow(LvSections);
    const TListRow* valueRow = ValueRows->row(selectedRow(LvValues));
    const void* item = valueRow ? valueRow->data : nullptr;
    setValuesOnlyView(!valuesOnly);
    if (sectionIndex >= 0)
        scrollItemIntoView(LvSections, sectionIndex);
    QCoreApplication::processEvents();
    if (item) {
        if (const TListRow* row = ValueRows->findRow(item)) {
            const QModelIndex index = ValueRows->index(row->index, 0);
            LvValues->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
            LvValues->scrollTo(index);
        }
    }
}

void TForm1::LvSectionsSelectItem(TListRow* row, bool selected) {
    setSortArrow(LvValues, -1, 0);
    if (selected) {
        selectedSection = sectionOf(row);
        fillValueList(selectedSection);
        sizeValueColumns();
    } else {
        selectedSection = nullptr;
    }
    enableSectionCommands(selected);
    if (!selected)
        clearValueRows();
    updateClipMenu();
}

void TForm1::enableSectionCommands(bool selected) {
    const bool e = selected && !readOnly;
    for (QAction* action : {ActAddItem, ActCopySection, ActInsertSection, ActEditSection, ActDeleteSection,
                            ActSilentDeleteSection})
        action->setEnabled(e);
    // The button starts disabled while its action is enabled: it follows each enabling, also one
    // that leaves the action as it was.
    GlSectionCopy->setEnabled(e);
    ActAddSection->setEnabled(e || !fileName.isEmpty());
}

void TForm1::LvValuesSelectItem(TListRow* row, bool selected) {
    (void)row;
    const bool e = selected && !readOnly;
    for (QAction* action : {ActInsertItem, ActEditItem, ActDeleteItem, ActSilentDeleteItem})
        action->setEnabled(e);
    // The section list's current index outlives its selection while the list is cleared:
    // only a selected section counts.
    ActAddItem->setEnabled(!readOnly && (selected || selectedRow(LvSections) >= 0));
    updateClipMenu();
}

void TForm1::enableRowCommands() {
    enableSectionCommands(selectedRow(LvSections) >= 0);
    LvValuesSelectItem(nullptr, selectedRow(LvValues) >= 0);
}

void TForm1::scrollItemIntoView(QTreeView* list, int index) {
    if (index < 0)
        return;
    list->selectionModel()->clear();
    const QModelIndex target = list->model()->index(index, 0);
    list->selectionModel()->setCurrentIndex(target,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(target, QAbstractItemView::EnsureVisible);
}
