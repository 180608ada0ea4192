// The open and save dialogs for text files: a file dialog with an added list of encodings.
// The caller gets the chosen file name and the index of the chosen encoding in its list.
#pragma once

#include "platform/core/TestSeam.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// What a confirmed dialog answers.
struct TextFileChoice {
    QString fileName;
    int encodingIndex = 0;
};

// One dialog's settings, kept between runs like a component on a form: a run starts from
// `fileName` and `encodingIndex` and, when confirmed, leaves the user's choice in them.
class TextFileDialog {
public:
    enum class Kind { Open, Save };

    explicit TextFileDialog(Kind kind);

    Kind kind() const { return kind_; }

    // Appended to a typed name without extension, without the dot; by the open dialog only
    // when the name as typed is no file.
    QString defaultExt;
    QString filter;      // "Caption|*.a;*.b|Caption2|*.*": pairs of caption and patterns; "*.*" is every file
    int filterIndex = 0; // the filter selected at start, from 0
    QStringList encodings; // none: the dialog shows no encoding list
    int encodingIndex = 0;
    QString fileName; // preset name at start; the chosen one after a confirmed run

    // Shows the dialog modally over `parent`. True when the user confirmed; `fileName` and
    // `encodingIndex` then hold the choice. A cancelled run changes nothing. When a test
    // responder is installed it answers instead and nothing is shown.
    bool execute(QWidget* parent);

    // The filter turned into the file dialog's own name filters ("Caption (*.a *.b)"). A
    // caption that ends with its own patterns in brackets names them once.
    QStringList nameFilters() const;
    // The extension a typed name without one gets while file type `index` is chosen: the
    // type's own extension when it names exactly one ("*.IniCry"), else `defaultExt`.
    QString suffixForFilter(int index) const;

    // Test seam: answers for every dialog with a choice, or with nothing for Cancel.
    using Responder = std::function<std::optional<TextFileChoice>(const TextFileDialog& dialog)>;
    static inline TestSeam<Responder> responder;

private:
    Kind kind_;
};

// For tests: while it lives, every dialog is answered from `answers` (front first; Cancel
// once they run out) and each dialog's kind and preset name are recorded.
class ScopedTextFileResponder {
public:
    struct Record {
        TextFileDialog::Kind kind;
        QString presetName;
        int presetEncoding;
    };

    ScopedTextFileResponder() = default;

    // Queues a confirmed answer, or a Cancel when `fileName` is empty.
    void answer(const QString& fileName, int encodingIndex = 0);

    QList<Record> records;
    QList<std::optional<TextFileChoice>> answers;

private:
    std::optional<TextFileChoice> respond(const TextFileDialog& dialog);

    ScopedSeam<TextFileDialog::Responder> installed_{
        TextFileDialog::responder, [this](const TextFileDialog& dialog) { return respond(dialog); }};
};

} // namespace platform
