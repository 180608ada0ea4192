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
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

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
    if (index == combo->count() - 1) // straight there, choosing none on the way
        QTest::keyClick(combo, Qt::Key_End);
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
    const char* typed;  // what the user types as the name; "" keeps the name the dialog began with
    const char* result; // the file name the dialog answers, inside the folder
};

void PrintTo(const TypedNameCase& c, std::ostream* os) {
    *os << c.name << ": type " << c.fileType << ", typed \"" << c.typed << "\" -> \"" << c.result << '"';
}

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
        if (*c.typed)
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
                                           TypedNameCase{"typed_extension", 1, "notes.txt", "notes.txt"},
                                           TypedNameCase{"other_keeps_the_name", 2, "", "start.ini"}),
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

// A typed name or path of an existing file opens it as typed, also when the chosen file type
// hides it; the default extension is added only to a name that names no file as typed.
TEST(OpenDialog, TypedNameOfAnExistingFileOpensAsTyped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid() && QDir(dir.path()).mkdir("etc"));
    ASSERT_TRUE(testsupport::writeFile(dir.filePath("both.Ini"), {}));
    // Each typed name, then after ">" the file it opens where that is another.
    for (const QString& row : {dir.filePath("app.conf"), QString("app.conf"), QString("etc/app.conf"),
                               QString("noext"), QString("both"), QString("plain>plain.Ini")}) {
        const QString typed = row.section('>', 0, 0);
        SCOPED_TRACE(typed.toStdString());
        const QString file = QDir(dir.path()).absoluteFilePath(row.section('>', -1));
        ASSERT_TRUE(testsupport::writeFile(file, {}));
        TextFileDialog dialog(TextFileDialog::Kind::Open);
        dialog.defaultExt = "Ini";
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
            // A name not found is told in a message box, and the dialog stays open.
            QTimer::singleShot(0, shown, [shown] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->reject();
                if (shown->isVisible())
                    shown->reject();
            });
            QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
        });
        ASSERT_TRUE(dialog.execute(nullptr));
        EXPECT_EQ(dialog.fileName, file);
    }
}

// "*.*" lists every file, names without a dot too, chosen by the program or by the user.
TEST(FileDialog, EveryFilePatternListsNamesWithoutADot) {
    QTemporaryDir dir;
    ASSERT_TRUE(testsupport::writeFile(dir.filePath("noext"), {}));
    for (const int filterIndex : {0, 1}) {
        TextFileDialog dialog(TextFileDialog::Kind::Open);
        dialog.filter = "All Files|*.*|Ini Files|*.Ini";
        dialog.filterIndex = filterIndex;
        dialog.fileName = dir.filePath("start.Ini");
        bool listed = false;
        actOnNextDialog([&](QFileDialog* open) {
            auto* files = open->findChild<QFileSystemModel*>();
            pickWithKeys(open->findChild<QComboBox*>("fileTypeCombo"), 0);
            listed = QTest::qWaitFor([&] { return files->rowCount(files->index(dir.path())) == 1; }, 2000);
            open->reject();
        });
        dialog.execute(nullptr);
        EXPECT_TRUE(listed) << filterIndex;
    }
}

} // namespace
