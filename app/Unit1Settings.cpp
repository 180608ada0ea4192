// The main window's settings, recent files, shortcut files and about box.
#include "app/Unit1.h"

#include "app/EkFunctions.h"
#include "app/EkGlobals.h"
#include "app/ShortcutFrm.h"
#include "app/infofrm.h"
#include "controls/EkGradiLabel.h"
#include "platform/core/SettingsFile.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/MessageBoxes.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

// "FormSettings": 16 little-endian 32-bit integers.
enum FormSetting : int {
    fsLeft,
    fsTop,
    fsWidth,
    fsHeight,
    fsListWidth,
    fsValuesOnly,
    fsThemeFirst, // the eight theme colours, in the theme's order
    fsCount = 16  // the last two are 0
};
using FormRecord = std::array<std::int32_t, fsCount>;
constexpr qsizetype kFormRecordBytes = fsCount * 4;

const QString kFormSettings = QStringLiteral("FormSettings");
const QString kMruPath = QStringLiteral("MRUPath");
const QString kFindStr = QStringLiteral("FindStr");
constexpr int kMruMax = 10;
constexpr int kDetectSelector = 4; // "Auto" of the open dialog

// A recent file as an "MRUPath" value holds it: the path, then its encoding selector as one
// digit (the list holds 0 to 9 only: the selectors of a load and those read here).
QString mruValue(const QString& path, int selector) {
    return path + QString::number(selector);
}

// The path and encoding selector of an "MRUPath" value. A value that does not end in a digit
// (edited by hand) is all path, read with the encoding detected: written back, it names the
// same file.
std::pair<QString, int> readMruValue(const QString& value) {
    if (!value.isEmpty() && value.back() >= u'0' && value.back() <= u'9')
        return {value.chopped(1), value.back().unicode() - u'0'};
    return {value, kDetectSelector};
}

QByteArray formRecordBytes(const FormRecord& record) {
    QByteArray bytes(kFormRecordBytes, '\0');
    for (int i = 0; i < fsCount; ++i)
        qToLittleEndian(record[size_t(i)], bytes.data() + 4 * i);
    return bytes;
}

// A stored "FormSettings" that is a whole record: one cut short would place the window and colour
// the bars with numbers that were never stored.
bool isFormRecord(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray && value.toByteArray().size() == kFormRecordBytes;
}

// The integers of a whole record.
FormRecord readFormRecord(const QByteArray& bytes) {
    FormRecord record;
    for (int i = 0; i < fsCount; ++i)
        record[size_t(i)] = qFromLittleEndian<std::int32_t>(bytes.constData() + 4 * i);
    return record;
}

// A stored recent file that is a text no longer than a path the settings keep and its selector:
// a list (a path holding ",") names no file.
bool isMruValue(const QVariant& value) {
    return value.typeId() == QMetaType::QString && value.toString().size() <= kLongestSettingText + 1;
}

// The editor's own values in `settings` that loadSettings does not use as they stand: they are
// kept only in the copy of the file.
QStringList valuesLeftOut(QSettings& settings) {
    QStringList keys;
    if (settings.contains(kFormSettings) && !isFormRecord(settings.value(kFormSettings)))
        keys << kFormSettings;
    for (int i = 0; i < kMruMax && settings.contains(kMruPath + QString::number(i)); ++i) {
        if (!isMruValue(settings.value(kMruPath + QString::number(i))))
            keys << kMruPath + QString::number(i);
    }
    return keys + TSearchStruct::valuesLeftOut(kFindStr, settings);
}

// Runs one group of settings; a failure is shown as the group's heading and its message.
void guarded(const QString& heading, const std::function<void()>& group) {
    try {
        group();
    } catch (const std::exception& e) {
        platform::showInfo(kProductName, heading + QString::fromUtf8(e.what()));
    }
}

// Keeps [start, start + length) inside [low, high) when it fits, else starts it at low.
std::int64_t keptInside(std::int64_t start, std::int64_t length, std::int64_t low, std::int64_t high) {
    return std::max(low, std::min(start, high - length));
}

std::int64_t overlap(std::int64_t a, std::int64_t aLength, std::int64_t b, std::int64_t bLength) {
    return std::max<std::int64_t>(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

// The size of a window of `size` within `area`, frame included, but never below `minimum`.
QSize fittedSize(QSize size, QSize minimum, const QRect& area, const QMargins& frame) {
    return QSize(
        std::max(minimum.width(), std::min(size.width(), area.width() - frame.left() - frame.right())),
        std::max(minimum.height(), std::min(size.height(), area.height() - frame.top() - frame.bottom())));
}

// The frame around `window`'s client area. Before the window manager has framed a new window
// the platform does not know it; the style's title-bar height then stands in, so that a window
// placed by the program keeps its title bar on the screen.
QMargins frameOf(const QWidget* window) {
    const QMargins known = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    return known.isNull() ? QMargins(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0)
                          : known;
}

// Where a window goes whose client area was stored at (left, top) with `size`: whole, frame
// included, on the one of `areas` its frame overlaps most; none when its frame meets no area.
// One that lies inside the area with its `known` frame (null while the platform does not know
// it) stays where it is; one that must be moved is given room for `frame` (see frameOf). The
// stored values may be anything: all arithmetic is 64-bit.
std::optional<QRect> placeOnScreen(std::int64_t left, std::int64_t top, QSize size, QSize minimum,
                                   const QMargins& known, const QMargins& frame, const QList<QRect>& areas) {
    // The frame's rectangle: the client area grown by the frame.
    const std::int64_t frameLeft = left - known.left();
    const std::int64_t frameTop = top - known.top();
    const std::int64_t frameWidth = std::int64_t(size.width()) + known.left() + known.right();
    const std::int64_t frameHeight = std::int64_t(size.height()) + known.top() + known.bottom();
    const QRect* best = nullptr;
    std::int64_t bestOverlap = 0;
    for (const QRect& area : areas) {
        // Each factor is at most the area's side, an int: the product fits.
        const std::int64_t shared = overlap(frameLeft, frameWidth, area.x(), area.width()) *
                                    overlap(frameTop, frameHeight, area.y(), area.height());
        if (shared > bestOverlap) {
            bestOverlap = shared;
            best = &area;
        }
    }
    if (!best)
        return std::nullopt;
    const QRect& area = *best;
    if (keptInside(frameLeft, frameWidth, area.x(), std::int64_t(area.x()) + area.width()) == frameLeft &&
        keptInside(frameTop, frameHeight, area.y(), std::int64_t(area.y()) + area.height()) == frameTop)
        return QRect(int(left), int(top), size.width(), size.height());
    const QSize fitted = fittedSize(size, minimum, area, frame);
    // client left in [area left + frame left, area right + 1 - frame right - width]; top alike
    const std::int64_t x =
        keptInside(left, std::int64_t(fitted.width()) + frame.right(), std::int64_t(area.x()) + frame.left(),
                   std::int64_t(area.x()) + area.width());
    const std::int64_t y =
        keptInside(top, std::int64_t(fitted.height()) + frame.bottom(), std::int64_t(area.y()) + frame.top(),
                   std::int64_t(area.y()) + area.height());
    return QRect(int(x), int(y), fitted.width(), fitted.height());
}

// Tells which lines and values of the settings file are left out, and where the file as it was
// is kept.
void reportLeftOut(platform::SettingsFile& store, const QStringList& values) {
    QString text = QStringLiteral("Settings");
    if (store.leftOutLineCount() > 0) {
        text += "\r\nThese lines of " + store.fileName() + " cannot be read or kept as they stand:";
        for (const platform::LeftOutLine& line : store.leftOutLines())
            text += "\r\n" + QString::number(line.number) + ": " + line.text;
        if (store.leftOutLineCount() > store.leftOutLines().size())
            text += "\r\n...";
    }
    if (!values.isEmpty()) {
        text += "\r\nThese settings of " + store.fileName() +
                " are not whole or too long, and are not used: " + values.join(", ") + ".";
        store.requireCopy();
    }
    const QString copy = store.keepCopy();
    text += copy.isEmpty()
                ? QStringLiteral("\r\nNo copy of the file could be made: it is not written while it "
                                 "holds them.")
                : "\r\nThe file as it was is kept as " + copy + ".";
    platform::showInfo(kProductName, text);
}

// What a settings file holds that its reader refuses.
QString moreThanSettingsTake() {
    return QStringLiteral("more than settings take (over %1 MiB, over %2 lines, or names of over %3 MiB)")
        .arg(QString::number(platform::kLargestSettingsFile >> 20),
             QString::number(platform::kMostSettingsLines),
             QString::number(platform::kMostSettingsNameBytes >> 20));
}

// The start of the message of a write that would make a settings file its reader refuses.
QString tooLargeWith(const platform::SettingsFile& store) {
    return "Settings\r\nWith the settings of this run, " + store.fileName() + " would hold " +
           moreThanSettingsTake() + ": ";
}

// Tells, once, what became of a settings file that is not read as it stands, and of the editor's
// own `values` in it that are left out.
void reportSettingsFile(platform::SettingsFile& store, const QStringList& values) {
    if (!store.notReadReason().isEmpty()) {
        platform::showInfo(kProductName,
                           QStringLiteral("Settings\r\nCannot open file \"%1\". %2.\r\nThe editor "
                                          "starts with its defaults and keeps no settings this run.")
                               .arg(store.fileName(), store.notReadReason()));
    } else if (!store.notHeldReason().isEmpty()) {
        platform::showInfo(
            kProductName,
            QStringLiteral("Settings\r\nCannot make a private copy of \"%1\" in \"%2\". %3.\r\nThe "
                           "editor starts with its defaults and keeps no settings this run.")
                .arg(store.fileName(), QDir::tempPath(), store.notHeldReason()));
    } else if (store.isTooLarge()) {
        const QString copy = store.keepCopy();
        QString text = "Settings\r\n" + store.fileName() + " holds " + moreThanSettingsTake() +
                       ": it is not read, and the editor starts with its defaults.";
        text += copy.isEmpty() ? QStringLiteral("\r\nNo copy of the file could be made: it is not written.")
                               : "\r\nThe file as it was is kept as " + copy + ".";
        platform::showInfo(kProductName, text);
    } else if (store.leftOutLineCount() > 0 || !values.isEmpty()) {
        reportLeftOut(store, values);
    }
}

} // namespace

// --- Settings -------------------------------------------------------------------------------------

void TForm1::centreOnScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    const QRect screen = primary->geometry();
    const QRect available = primary->availableGeometry();
    const QMargins frame = frameOf(this);
    const QSize outer = size().grownBy(frame);
    // The frame's corner; a window larger than the screen keeps its title bar and tool bar on it.
    const QPoint corner(std::max(screen.left() + (screen.width() - outer.width()) / 2, available.left()),
                        std::max(screen.top() + (screen.height() - outer.height()) / 2, available.top()));
    setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), size()));
}

void TForm1::saveSettings() {
    platform::SettingsFile store(kMakerName, kProductName);
    QSettings& settings = store.values();
    // The values left out at the start go now: the file is written only once it is copied.
    if (!valuesLeftOut(settings).isEmpty())
        store.requireCopy();
    QStringList written; // the names of the values this run writes
    guarded("FormSettings \r\n", [&] {
        FormRecord record{};
        // The client area, as loadSettings restores it: the window manager places a new
        // window's client area where it is asked, before it knows its frame.
        record[fsLeft] = geometry().x();
        record[fsTop] = geometry().y();
        record[fsWidth] = width();
        record[fsHeight] = height();
        record[fsListWidth] = LvSections->width();
        record[fsValuesOnly] = valuesOnly ? 1 : 0;
        for (size_t i = 0; i < themeColours.size(); ++i)
            record[fsThemeFirst + i] = std::int32_t(themeColours[i].value);
        settings.setValue(kFormSettings, formRecordBytes(record));
        written << kFormSettings;
    });
    guarded("MRUPath \r\n", [&] {
        const TEkStringList& list = *MRUList->getStrings();
        int count = 0;
        for (int i = 0; i < list.count(); ++i) {
            // A path so long names no file: none takes one of more than 4,096 bytes.
            if (list.get(i).size() > kLongestSettingText)
                continue;
            written << kMruPath + QString::number(count++);
            settings.setValue(written.last(), mruValue(list.get(i), int(list.object(i))));
        }
        // Entries of a longer list read at the start would come back at the next one. Values
        // this run did not read are not its to delete.
        for (int i = count; i < mruValuesRead; ++i)
            settings.remove(kMruPath + QString::number(i));
    });
    guarded("FindStr \r\n",
            [&] { written << findSettings->writeFindSettings(kFindStr, settings, findValuesRead); });
    // Settings that cannot be written are lost for this run, without a message when the start
    // told why (the file holds lines or values left out, and no copy of it could be kept).
    switch (store.write(written)) {
    case platform::SettingsFile::WriteOutcome::OthersLeftOut:
        platform::showInfo(kProductName, tooLargeWith(store) +
                                             "the values the editor does not write itself are "
                                             "left out.\r\nThe file as it was is kept as " +
                                             store.copyName() + ".");
        break;
    case platform::SettingsFile::WriteOutcome::TooLarge:
        platform::showInfo(kProductName, tooLargeWith(store) +
                                             "no copy of the file could be made, so it is not "
                                             "written, and the settings of this run are not kept.");
        break;
    default:
        break;
    }
}

void TForm1::loadSettings() {
    platform::SettingsFile store(kMakerName, kProductName);
    QSettings& settings = store.values();
    const QStringList leftOut = valuesLeftOut(settings);
    reportSettingsFile(store, leftOut);
    mruValuesRead = 0;
    findValuesRead = 0;
    if (settings.allKeys().isEmpty()) {
        centreOnScreen();
        setValuesOnlyView(false);
        applyTheme();
        return;
    }
    guarded("FormSettings\r\n", [&] {
        if (!settings.contains(kFormSettings) || leftOut.contains(kFormSettings)) {
            centreOnScreen();
            setValuesOnlyView(false);
            return;
        }
        const FormRecord record = readFormRecord(settings.value(kFormSettings).toByteArray());
        restorePlace(record[fsLeft], record[fsTop], record[fsWidth], record[fsHeight]);
        // The section list takes two thirds of the window at most, so that the value list stays
        // usable, and never leaves the value list less than its least width.
        const std::int64_t most = std::max<std::int64_t>(
            1, std::min(std::int64_t(width()) * 2 / 3, std::int64_t(width()) - Splitter1->handleWidth() -
                                                           LvValues->minimumSizeHint().width()));
        const int listWidth = int(std::min<std::int64_t>(
            record[fsListWidth] > 0 ? record[fsListWidth] : LvSections->width(), most));
        Splitter1->setSizes({listWidth, std::max(1, width() - Splitter1->handleWidth() - listWidth)});
        setValuesOnlyView(record[fsValuesOnly] != 0);
        for (size_t i = 0; i < themeColours.size(); ++i)
            themeColours[i] = TColor(std::uint32_t(record[fsThemeFirst + i]));
    });
    // Also when the record could not be read: the bars then take the default theme, which is
    // the window design's colours.
    applyTheme();
    guarded("MRUPath\r\n", [&] {
        TEkStringList& list = *MRUList->getStrings();
        list.clear();
        for (int i = 0; i < kMruMax; ++i) {
            const QString key = kMruPath + QString::number(i);
            if (!settings.contains(key))
                break;
            mruValuesRead = i + 1;
            // A value without a path is skipped: it names no file.
            const QVariant value = settings.value(key);
            if (!isMruValue(value))
                continue;
            const auto [path, selector] = readMruValue(value.toString());
            if (!path.isEmpty())
                list.add(path, selector);
        }
    });
    guarded("FindStr\r\n", [&] { findValuesRead = findSettings->readFindSettings(kFindStr, settings); });
}

void TForm1::restorePlace(int left, int top, int storedWidth, int storedHeight) {
    const QSize size =
        QSize(storedWidth > 0 ? storedWidth : width(), storedHeight > 0 ? storedHeight : height())
            .expandedTo(minimumSize());
    const QMargins known = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QMargins frame = frameOf(this);
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    if (const std::optional<QRect> place =
            placeOnScreen(left, top, size, minimumSize(), known, frame, areas)) {
        setGeometry(*place);
    } else if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        resize(fittedSize(size, minimumSize(), primary->availableGeometry(), frame));
        centreOnScreen();
    }
}

// --- Recent files ---------------------------------------------------------------------------------

void TForm1::addToMru() {
    if (fileName.isEmpty())
        return;
    TEkStringList& list = *MRUList->getStrings();
    int found = -1;
    for (int i = 0; i < list.count() && found < 0; ++i) {
        if (list.get(i) == fileName)
            found = i;
    }
    if (found == 0)
        return;
    if (found > 0)
        list.remove(found);
    while (list.count() >= kMruMax)
        list.remove(list.count() - 1);
    list.insert(0, fileName, encodingSelector);
}

void TForm1::showMruPopup() {
    PopupMRU->popup(GlOpen->mapToGlobal(QPoint(0, GlOpen->height() + 3)));
}

void TForm1::PopupMRUPopup() {
    PopupMRU->clear();
    const TEkStringList& list = *MRUList->getStrings();
    for (int i = 0; i < list.count(); ++i) {
        // "&" would mark a shortcut letter in a caption.
        QAction* entry = PopupMRU->addAction(QString(list.get(i)).replace('&', "&&"));
        entry->setData(QVariantList{list.get(i), int(list.object(i))});
        connect(entry, &QAction::triggered, this, [this, entry] { MnuMruMenuItemClick(entry); });
    }
}

void TForm1::MnuMruMenuItemClick(QAction* entry) {
    if (!entry || askSaveChanges())
        return;
    const QVariantList data = entry->data().toList();
    if (data.size() != 2)
        return;
    runGuarded([&] { openFile(data[0].toString(), data[1].toInt()); });
}

void TForm1::MruCheckTimer() {
    MruCheck->stop();
    TEkStringList& list = *MRUList->getStrings();
    for (int i = list.count() - 1; i >= 0; --i) {
        if (!platform::FileExists(list.get(i)))
            list.remove(i);
    }
}

// --- Press and hold on Open -----------------------------------------------------------------------

void TForm1::GlOpenMouseDown(Qt::MouseButton button) {
    // The click still runs Open when the button is released in time.
    if (button == Qt::LeftButton)
        MruTimer->start();
}

void TForm1::GlOpenMouseUp() {
    MruTimer->stop();
}

void TForm1::GlOpenMouseLeave() {
    MruTimer->stop();
}

void TForm1::MruTimerTimer() {
    if (!MruTimer->isActive())
        return;
    MruTimer->stop();
    // With nothing to offer, the press stays the button's: a release over it still opens.
    if (MRUList->getCount() == 0)
        return;
    // The held press belongs to the pop-up now: the button lets it go without a click.
    GlOpen->releaseWithoutClick();
    showMruPopup();
}

// --- Shortcut files and the about box -------------------------------------------------------------

void TForm1::ActCreateShortcutExecute() {
    TFrmShortcut::createShortcuts(fileName, this);
}

void TForm1::ActAboutExecute() {
    TInfoForm::showAbout(themeColours[0], themeColours[1], this);
}

void TForm1::createSettingsParts() {
    PopupMRU = new QMenu(this);
    PopupMRU->setObjectName("PopupMRU");
    connect(PopupMRU, &QMenu::aboutToShow, this, &TForm1::PopupMRUPopup);
    connect(MruCheck, &QTimer::timeout, this, &TForm1::MruCheckTimer);
    connectCommand(ActCreateShortcut, &TForm1::ActCreateShortcutExecute);
    connectCommand(ActAbout, &TForm1::ActAboutExecute);
}
