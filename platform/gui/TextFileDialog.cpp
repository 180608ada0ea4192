#include "platform/gui/TextFileDialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace platform {

namespace {

TextFileDialog::Responder& responderSlot() {
    static TextFileDialog::Responder responder;
    return responder;
}

} // namespace

TextFileDialog::TextFileDialog(Kind kind) : kind_(kind) {}

QStringList TextFileDialog::nameFilters() const {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return result;
}

bool TextFileDialog::execute(QWidget* parent) {
    if (const Responder& responder = responderSlot()) {
        std::optional<TextFileChoice> choice = responder(*this);
        if (!choice)
            return false;
        fileName = choice->fileName;
        encodingIndex = choice->encodingIndex;
        return true;
    }

    QFileDialog dialog(parent);
    // The system dialog cannot take the encoding list; Qt's own dialog can.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (kind_ == Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.setDefaultSuffix(defaultExt);
    const QStringList filters = nameFilters();
    dialog.setNameFilters(filters);
    if (filterIndex >= 0 && filterIndex < filters.size())
        dialog.selectNameFilter(filters[filterIndex]);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);

    auto* encodingLabel = new QLabel(QStringLiteral("Encoding:"), &dialog);
    auto* encodingCombo = new QComboBox(&dialog);
    encodingCombo->addItems(encodings);
    if (encodingIndex >= 0 && encodingIndex < encodings.size())
        encodingCombo->setCurrentIndex(encodingIndex);
    encodingLabel->setBuddy(encodingCombo);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(encodingLabel, row, 0);
        grid->addWidget(encodingCombo, row, 1);
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    encodingIndex = encodingCombo->currentIndex();
    return true;
}

TextFileDialog::Responder TextFileDialog::setResponder(Responder responder) {
    Responder previous = std::move(responderSlot());
    responderSlot() = std::move(responder);
    return previous;
}

ScopedTextFileResponder::ScopedTextFileResponder() {
    previous_ = TextFileDialog::setResponder([this](const TextFileDialog& dialog) {
        records.append({dialog.kind(), dialog.fileName, dialog.encodingIndex});
        if (answers.isEmpty())
            return std::optional<TextFileChoice>();
        return answers.takeFirst();
    });
}

ScopedTextFileResponder::~ScopedTextFileResponder() {
    TextFileDialog::setResponder(std::move(previous_));
}

void ScopedTextFileResponder::answer(const QString& fileName, int encodingIndex) {
    if (fileName.isEmpty())
        answers.append(std::nullopt);
    else
        answers.append(TextFileChoice{fileName, encodingIndex});
}

} // namespace platform
