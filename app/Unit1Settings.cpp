// The main window's settings, recent files, shortcut files and about box.
#include "app/Unit1.h"

#include "app/EkFunctions.h"
#include "app/EkGlobals.h"
#include "app/ShortcutFrm.h"
#include "app/infofrm.h"
#include "controls/EkGradiLabel.h"
#include "platform/core/SysUtils.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

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

QByteArray formRecordBytes(const FormRecord& record) {
    QByteArray bytes(kFormRecordBytes, '\0');
    for (int i = 0; i < fsCount; ++i)
        qToLittleEndian(record[size_t(i)], bytes.data() + 4 * i);
    return bytes;
}

// Overlays `record` with the integers `bytes` holds: a short value leaves the rest as they
// were, a long one is read up to the record's size.
void readFormRecord(const QByteArray& bytes, FormRecord& record) {
    QByteArray whole = formRecordBytes(record);
    std::copy_n(bytes.constData(), std::min(bytes.size(), kFormRecordBytes), whole.data());
    for (int i = 0; i < fsCount; ++i)
        record[size_t(i)] = qFromLittleEndian<std::int32_t>(whole.constData() + 4 * i);
}

// Runs one group of settings; a failure is shown as the group's heading and its message.
void guarded(const QString& heading, const std::function<void()>& group) {
    try {
        group();
    } catch (const std::exception& e) {
        showInfo(gProductName, heading + QString::fromUtf8(e.what()));
    }
}

bool meetsAScreen(const QRect& frame) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&frame](const QScreen* screen) {
        return screen->availableGeometry().intersects(frame);
    });
}

} // namespace

// --- Settings -------------------------------------------------------------------------------------

void TForm1::centreOnScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    const QRect screen = primary->geometry();
    const QRect available = primary->availableGeometry();
    // A window larger than the screen keeps its title bar and tool bar on it.
    move(std::max(screen.left() + (screen.width() - width()) / 2, available.left()),
         std::max(screen.top() + (screen.height() - height()) / 2, available.top()));
}

void TForm1::saveSettings() {
    QSettings settings(gMakerName, gProductName);
    // Settings that cannot be written are lost for this run, without a message.
    if (!settings.isWritable())
        return;
    guarded("FormSettings \r\n", [&] {
        FormRecord record{};
        record[fsLeft] = x();
        record[fsTop] = y();
        record[fsWidth] = width();
        record[fsHeight] = height();
        record[fsListWidth] = LvSections->width();
        record[fsValuesOnly] = valuesOnly ? 1 : 0;
        for (size_t i = 0; i < themeColours.size(); ++i)
            record[fsThemeFirst + i] = std::int32_t(themeColours[i].value);
        settings.setValue(kFormSettings, formRecordBytes(record));
    });
    guarded("MRUPath \r\n", [&] {
        const TEkStringList& list = *MRUList->getStrings();
        for (int i = 0; i < list.count(); ++i)
            settings.setValue(kMruPath + QString::number(i), list.get(i) + QString::number(list.object(i)));
        // Entries of a longer list from an earlier run would come back at the next start.
        for (int i = list.count(); i < kMruMax; ++i)
            settings.remove(kMruPath + QString::number(i));
    });
    guarded("FindStr \r\n", [&] { findSettings->writeFindSettings(kFindStr, settings); });
    settings.sync();
}

void TForm1::loadSettings() {
    QSettings settings(gMakerName, gProductName);
    if (settings.status() != QSettings::NoError || settings.allKeys().isEmpty()) {
        centreOnScreen();
        setValuesOnlyView(false);
        applyTheme();
        return;
    }
    guarded("FormSettings\r\n", [&] {
        if (!settings.contains(kFormSettings)) {
            centreOnScreen();
            setValuesOnlyView(false);
            applyTheme();
            return;
        }
        const QVariant value = settings.value(kFormSettings);
        if (value.typeId() != QMetaType::QByteArray)
            throw std::runtime_error("Invalid data type for 'FormSettings'");
        // What the value lacks keeps the window's own (design) values.
        FormRecord record{x(), y(), width(), height(), LvSections->width(), valuesOnly ? 1 : 0};
        for (size_t i = 0; i < themeColours.size(); ++i)
            record[fsThemeFirst + i] = std::int32_t(themeColours[i].value);
        readFormRecord(value.toByteArray(), record);

        const int w = record[fsWidth] > 0 ? record[fsWidth] : width();
        const int h = record[fsHeight] > 0 ? record[fsHeight] : height();
        resize(w, h);
        if (meetsAScreen(QRect(record[fsLeft], record[fsTop], w, h)))
            move(record[fsLeft], record[fsTop]);
        else
            centreOnScreen();
        // The section list stays inside the window, leaving the value list its least width.
        const int room =
            std::max(1, width() - Splitter1->handleWidth() - LvValues->minimumSizeHint().width());
        const int listWidth =
            std::min(record[fsListWidth] > 0 ? record[fsListWidth] : LvSections->width(), room);
        Splitter1->setSizes({listWidth, std::max(1, width() - Splitter1->handleWidth() - listWidth)});
        setValuesOnlyView(record[fsValuesOnly] != 0);
        for (size_t i = 0; i < themeColours.size(); ++i)
            themeColours[i] = TColor(std::uint32_t(record[fsThemeFirst + i]));
        applyTheme();
    });
    guarded("MRUPath\r\n", [&] {
        TEkStringList& list = *MRUList->getStrings();
        list.clear();
        for (int i = 0; i < kMruMax; ++i) {
            const QString key = kMruPath + QString::number(i);
            if (!settings.contains(key))
                break;
            // The path, then the encoding selector as one digit. A value without a path is
            // skipped: it names no file.
            const QString value = settings.value(key).toString();
            if (value.size() < 2)
                continue;
            list.add(value.chopped(1), value.back().unicode() - u'0');
        }
    });
    guarded("FindStr\r\n", [&] { findSettings->readFindSettings(kFindStr, settings); });
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
