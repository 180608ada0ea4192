#include "platform/gui/TextFileDialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace platform {

namespace {

// The extension of a file type that stands for exactly one ("*.IniCry" gives "IniCry"); empty
// for a type of several patterns or a wildcard one ("*.*").
QString singleExtension(const QString& patterns) {
    if (patterns.contains(QLatin1Char(';')) || !patterns.startsWith(QLatin1String("*.")))
        return QString();
    const QString extension = patterns.mid(2);
    if (extension.isEmpty() || extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')))
        return QString();
    return extension;
}

// Whether the name typed in `dialog` is one existing file, as typed. Several quoted names are the
// dialog's own business.
bool namesAFile(const QFileDialog& dialog, const QString& typed) {
    return !typed.isEmpty() && !typed.contains(QLatin1Char('"')) &&
           QFileInfo(dialog.directory().absoluteFilePath(typed)).isFile();
}

// Qt's dialog enables Open only for a typed name that its list shows, so a file that the chosen
// file type hides (a ".conf" file under "Ini Files") could not be opened by typing its name or
// path. This keeps Open enabled while the typed name is an existing file; confirming then opens
// it as the dialog opens any file it checks.
class TypedFileOpens : public QObject {
public:
    explicit TypedFileOpens(QFileDialog& dialog) : QObject(&dialog), dialog_(dialog) {
        edit_ = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        open_ = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (!edit_ || !open_)
            return;
        // After the dialog's own check, which it runs on the same signal.
        connect(edit_, &QLineEdit::textChanged, this, &TypedFileOpens::enableForTypedFile);
        // The dialog checks again at other times too (a folder finished loading).
        open_->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == open_ && event->type() == QEvent::EnabledChange)
            enableForTypedFile();
        return false;
    }

private:
    void enableForTypedFile() {
        if (open_->isEnabled())
            return;
        if (namesAFile(dialog_, edit_->text()))
            open_->setEnabled(true);
    }

    QFileDialog& dialog_;
    QLineEdit* edit_ = nullptr;
    QPushButton* open_ = nullptr;
};

// Qt's dialog adds its default extension to every typed name without one, and takes the row its
// list selected for the name so extended, so a file whose name has none could not be opened by
// typing it. The open dialog opens a typed name that names a file as it stands, and adds the
// extension only to one that does not; the save dialog always adds it, as the system's dialog.
class TypedNameDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
        if (acceptMode() == AcceptOpen && edit && list && namesAFile(*this, edit->text())) {
            setDefaultSuffix({});
            // The list and the detailed view share their selection: without it the typed name counts.
            list->selectionModel()->clear();
        }
        QFileDialog::accept();
    }
};

// "*.*" stands for every file, as in the system's dialog; Qt's own would list only names with a
// dot. The dialog sets its list's patterns from each file type chosen: run after every choice.
void listEveryFileForWildcard(QFileDialog& dialog) {
    auto* files = dialog.findChild<QFileSystemModel*>();
    if (!files)
        return;
    QStringList patterns = files->nameFilters();
    const qsizetype wildcard = patterns.indexOf(QLatin1String("*.*"));
    if (wildcard < 0)
        return;
    patterns[wildcard] = QStringLiteral("*");
    files->setNameFilters(patterns);
}

// Choosing a file type makes Qt's save dialog give the typed name that type's extension, which
// for "*.*" is "*": "notes.ini" would become "notes.*" and be saved under that name. The system's
// dialog keeps the name as typed for a type of every file, and so does this.
class WildcardKeepsTheName : public QObject {
public:
    explicit WildcardKeepsTheName(QFileDialog& dialog) : QObject(&dialog) {
        edit_ = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit_)
            return;
        kept_ = edit_->text();
        connect(edit_, &QLineEdit::textChanged, this, &WildcardKeepsTheName::keep);
        connect(&dialog, &QFileDialog::filterSelected, this, &WildcardKeepsTheName::restore);
    }

private:
    static bool hasWildcardExtension(const QString& name) { return name.endsWith(QLatin1String(".*")); }
    void keep(const QString& text) {
        if (!hasWildcardExtension(text))
            kept_ = text;
    }
    void restore() {
        if (hasWildcardExtension(edit_->text()))
            edit_->setText(kept_);
    }

    QLineEdit* edit_ = nullptr;
    QString kept_;
};

} // namespace

TextFileDialog::TextFileDialog(Kind kind) : kind_(kind) {}

QString TextFileDialog::suffixForFilter(int index) const {
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QString extension =
        index >= 0 && 2 * index + 1 < parts.size() ? singleExtension(parts[2 * index + 1]) : QString();
    // The default extension keeps its own spelling for the type it names.
    if (extension.isEmpty() || extension.compare(defaultExt, Qt::CaseInsensitive) == 0)
        return defaultExt;
    return extension;
}

QStringList TextFileDialog::nameFilters() const {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt's dialog shows the patterns after the caption, so a caption that already names
        // them ("Shortcut Files (*.lnk)") gives them up rather than show them twice.
        QString caption = parts[i];
        for (const QString& named : {parts[i + 1], patterns}) {
            if (caption.endsWith(QLatin1Char('(') + named + QLatin1Char(')'), Qt::CaseInsensitive)) {
                caption.chop(named.size() + 2);
                while (caption.endsWith(QLatin1Char(' ')))
                    caption.chop(1);
                break;
            }
        }
        result << (caption.isEmpty() ? QStringLiteral("(%1)").arg(patterns)
                                     : QStringLiteral("%1 (%2)").arg(caption, patterns));
    }
    return result;
}

bool TextFileDialog::execute(QWidget* parent) {
    if (responder) {
        std::optional<TextFileChoice> choice = responder(*this);
        if (!choice)
            return false;
        fileName = choice->fileName;
        encodingIndex = choice->encodingIndex;
        return true;
    }

    TypedNameDialog dialog(parent);
    // The system dialog cannot take the encoding list; Qt's own dialog can.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (kind_ == Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        new TypedFileOpens(dialog);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        new WildcardKeepsTheName(dialog);
    }
    const QStringList filters = nameFilters();
    dialog.setNameFilters(filters);
    if (filterIndex >= 0 && filterIndex < filters.size())
        dialog.selectNameFilter(filters[filterIndex]);
    listEveryFileForWildcard(dialog);
    // A typed name without extension gets the one of the chosen file type, as in the system's
    // dialog: choosing the encrypted type must not give a plain ".ini" file.
    dialog.setDefaultSuffix(suffixForFilter(filterIndex));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [this, &dialog, filters](const QString& chosen) {
                         dialog.setDefaultSuffix(suffixForFilter(int(filters.indexOf(chosen))));
                         listEveryFileForWildcard(dialog);
                     });
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);

    // A dialog without encodings (the shortcut files' one) shows no encoding list.
    QComboBox* encodingCombo = nullptr;
    if (!encodings.isEmpty()) {
        auto* encodingLabel = new QLabel(QStringLiteral("Encoding:"), &dialog);
        encodingCombo = new QComboBox(&dialog);
        encodingCombo->addItems(encodings);
        if (encodingIndex >= 0 && encodingIndex < encodings.size())
            encodingCombo->setCurrentIndex(encodingIndex);
        encodingLabel->setBuddy(encodingCombo);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            const int row = grid->rowCount();
            grid->addWidget(encodingLabel, row, 0);
            grid->addWidget(encodingCombo, row, 1);
        }
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    if (encodingCombo)
        encodingIndex = encodingCombo->currentIndex();
    return true;
}

std::optional<TextFileChoice> ScopedTextFileResponder::respond(const TextFileDialog& dialog) {
    records.append({dialog.kind(), dialog.fileName, dialog.encodingIndex});
    if (answers.isEmpty())
        return std::nullopt;
    return answers.takeFirst();
}

void ScopedTextFileResponder::answer(const QString& fileName, int encodingIndex) {
    if (fileName.isEmpty())
        answers.append(std::nullopt);
    else
        answers.append(TextFileChoice{fileName, encodingIndex});
}

} // namespace platform
