// The real text-file dialog, driven as a user would: choose a file type and an encoding, type
// a name, confirm. A guard cancels any dialog that is still open after a few seconds, so no
// test can wait forever.
#include "platform/gui/TextFileDialog.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using platform::TextFileDialog;

// Runs `act` on the next modal file dialog, once it is shown.
void actOnNextDialog(const std::function<void(QFileDialog*)>& act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start(10);
    QTimer::singleShot(5000, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

// The user picks entry `index` of a combo box with the keyboard, as from its list.
void pickWithKeys(QComboBox* combo, int index) {
    combo->setFocus();
    while (combo->currentIndex() < index)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > index)
        QTest::keyClick(combo, Qt::Key_Up);
}

// The combo box of `dialog` whose first entry is `firstItem`.
QComboBox* comboStartingWith(QFileDialog* dialog, const QString& firstItem) {
    for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
        if (combo->count() > 0 && combo->itemText(0) == firstItem)
            return combo;
    }
    return nullptr;
}

struct TypedNameCase {
    const char* name;
    int fileType;       // index of the file type the user picks
    const char* typed;  // what the user types as the name
    const char* result; // the file name the dialog answers, inside the folder
};

class SaveDialogTypedName : public ::testing::TestWithParam<TypedNameCase> {};

TEST_P(SaveDialogTypedName, TakesTheExtensionOfTheChosenFileType) {
    const TypedNameCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TextFileDialog dialog(TextFileDialog::Kind::Save);
    dialog.defaultExt = "ini";
    dialog.filter = "Ini File|*.Ini|Ini File Encrypted|*.IniCry|Other File|*.*";
    dialog.encodings = {"Utf-8", "ANSI (System locale)", "Unicode (Utf-16 LE)",
                        "Big Endian Unicode (Utf-16 BE)"};
    dialog.fileName = dir.filePath("start.ini");
    bool found = false;
    actOnNextDialog([&](QFileDialog* shown) {
        QComboBox* types = comboStartingWith(shown, "Ini File (*.Ini)");
        QComboBox* encodings = comboStartingWith(shown, "Utf-8");
        found = types && encodings;
        if (!found) {
            shown->reject();
            return;
        }
        pickWithKeys(types, c.fileType);
        pickWithKeys(encodings, 2);
        shown->selectFile(dir.filePath(c.typed));
        QMetaObject::invokeMethod(shown, "accept");
    });
    ASSERT_TRUE(dialog.execute(nullptr));
    ASSERT_TRUE(found);
    EXPECT_EQ(dialog.fileName, dir.filePath(c.result));
    EXPECT_EQ(dialog.encodingIndex, 2);
}

INSTANTIATE_TEST_SUITE_P(FileTypes, SaveDialogTypedName,
                         ::testing::Values(TypedNameCase{"plain", 0, "secret", "secret.ini"},
                                           TypedNameCase{"encrypted", 1, "secret", "secret.IniCry"},
                                           TypedNameCase{"other", 2, "secret", "secret.ini"},
                                           TypedNameCase{"typed_extension", 1, "notes.txt", "notes.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The file types as the dialog lists them, each naming its patterns once.
TEST(FileDialog, ListsEachFileTypeWithItsPatternsOnce) {
    const struct {
        const char* filter;
        QStringList shown;
    } rows[] = {{"Shortcut Files (*.lnk)|*.lnk", {"Shortcut Files (*.lnk)"}},
                {"Ini File|*.Ini|Other File|*.*", {"Ini File (*.Ini)", "Other File (*.*)"}},
                {"Both (*.a;*.b)|*.a;*.b|(*.c)|*.c", {"Both (*.a *.b)", "(*.c)"}},
                {"Text (plain)|*.txt", {"Text (plain) (*.txt)"}}};
    for (const auto& row : rows) {
        TextFileDialog dialog(TextFileDialog::Kind::Save);
        dialog.filter = row.filter;
        QStringList shown;
        actOnNextDialog([&](QFileDialog* open) {
            if (auto* types = open->findChild<QComboBox*>("fileTypeCombo"))
                for (int i = 0; i < types->count(); ++i)
                    shown << types->itemText(i);
            open->reject();
        });
        dialog.execute(nullptr);
        EXPECT_EQ(shown.join(" | "), row.shown.join(" | ")) << row.filter;
    }
}

// A typed name or path of an existing file opens it, also when the chosen file type hides it.
TEST(OpenDialog, TypedNameOfAnExistingFileOpensWhateverTheFileType) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid() && QDir(dir.path()).mkdir("etc"));
    for (const QString& typed : {dir.filePath("app.conf"), QString("app.conf"), QString("etc/app.conf")}) {
        SCOPED_TRACE(typed.toStdString());
        const QString file = QDir(dir.path()).absoluteFilePath(typed);
        ASSERT_TRUE(testsupport::writeFile(file, {}));
        TextFileDialog dialog(TextFileDialog::Kind::Open);
        dialog.filter = "Ini Files|*.Ini|All Files|*.*";
        dialog.fileName = dir.filePath("start.ini");
        actOnNextDialog([&](QFileDialog* shown) {
            auto* edit = shown->findChild<QLineEdit*>("fileNameEdit");
            auto* files = shown->findChild<QFileSystemModel*>();
            auto* buttons = shown->findChild<QDialogButtonBox*>();
            if (!edit || !files || !buttons)
                return shown->reject();
            // The user sees the folder's list (its subfolder) before typing.
            EXPECT_TRUE(QTest::qWaitFor([&] { return files->rowCount(files->index(dir.path())) > 0; }));
            QApplication::setActiveWindow(shown);
            edit->setFocus();
            edit->clear();
            QTest::keyClicks(edit, typed);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
            QTimer::singleShot(0, shown, [shown] { // a refused name leaves the dialog open
                if (shown->isVisible())
                    shown->reject();
            });
        });
        ASSERT_TRUE(dialog.execute(nullptr));
        EXPECT_EQ(dialog.fileName, file);
    }
}

} // namespace
