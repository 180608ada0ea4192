// How long the real main window takes to open and show very large files, offscreen: one
// section of a million lines, and a hundred thousand small sections; and how long one item
// command takes on a section of a million lines, against one of a thousand.
#include "app/IniListModels.h"
#include "app/ItemFrm.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct LargeFile {
    int sections;
    int linesPerSection;
};

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

// Writes the file once per shape and returns its name.
QString largeFile(const LargeFile& shape) {
    const QString name =
        workDir().filePath(QStringLiteral("large_%1x%2.ini").arg(shape.sections).arg(shape.linesPerSection));
    if (QFile::exists(name))
        return name;
    QByteArray text;
    text.reserve(qsizetype(shape.sections) * (shape.linesPerSection * 26 + 24));
    for (int s = 0; s < shape.sections; ++s) {
        text += "[Section" + QByteArray::number(s) + "] ; comment\r\n";
        for (int i = 0; i < shape.linesPerSection; ++i)
            text += "key" + QByteArray::number(i) + "=value" + QByteArray::number(i) + "\r\n";
    }
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return name;
}

// A main window on the offscreen screen, whose message boxes answer themselves.
struct ShownForm {
    ShownForm() {
        form.resize(1200, 800);
        form.show();
    }
    platform::ScopedMessageBoxResponder boxes;
    TForm1 form;
};

// The whole Open command on a shown window: load, fill both lists, size the columns.
void openAndShow(benchmark::State& state, LargeFile shape) {
    const QString name = largeFile(shape);
    ShownForm shown;
    TForm1& form = shown.form;
    for (auto _ : state) {
        form.openFile(name, -1);
        if (form.SectionRows->count() != shape.sections || !shown.boxes.records.isEmpty())
            state.SkipWithError("the file was not shown");
    }
    state.counters["load_ms"] = form.LbLoadTime->Caption().toDouble();
    state.counters["show_ms"] = form.LbShowTime->Caption().toDouble();
}

// Selecting the last (largest) section again refills the item list.
void selectSection(benchmark::State& state, LargeFile shape) {
    const QString name = largeFile(shape);
    ShownForm shown;
    TForm1& form = shown.form;
    form.openFile(name, -1);
    for (auto _ : state) {
        form.scrollItemIntoView(form.LvSections, 0);
        form.scrollItemIntoView(form.LvSections, shape.sections - 1);
        if (form.ValueRows->count() != shape.linesPerSection)
            state.SkipWithError("the section was not shown");
    }
}

enum class ItemCommand { Add, InsertAtMiddle, Edit, Delete };

// One item command through its action, the item dialog answered through its seam, measured
// until the window has been laid out and painted again.
void itemCommand(benchmark::State& state, LargeFile shape, ItemCommand command) {
    const QString name = largeFile(shape);
    ShownForm shown;
    TForm1& form = shown.form;
    form.openFile(name, -1);
    QApplication::processEvents();
    ScopedDialogResponder<TFrmItem> answer([](const QString&, const TItemText& prefill, bool) {
        TItemText text = prefill;
        text.name = QStringLiteral("benchName");
        text.value += QStringLiteral("x");
        return std::optional<TItemText>(text);
    });
    form.scrollItemIntoView(form.LvValues, form.ValueRows->count() / 2);
    QAction* action = command == ItemCommand::Add              ? form.ActAddItem
                      : command == ItemCommand::InsertAtMiddle ? form.ActInsertItem
                      : command == ItemCommand::Edit           ? form.ActEditItem
                                                               : form.ActSilentDeleteItem;
    const int before = form.ValueRows->count();
    for (auto _ : state) {
        action->trigger();
        QApplication::processEvents();
    }
    const int expected = command == ItemCommand::Edit     ? before
                         : command == ItemCommand::Delete ? before - int(state.iterations())
                                                          : before + int(state.iterations());
    if (form.ValueRows->count() != expected || !shown.boxes.records.isEmpty())
        state.SkipWithError("the command did not run");
}

constexpr LargeFile kMillionLines{1, 1000000};
constexpr LargeFile kThousandLines{1, 1000};
constexpr LargeFile kManySections{100000, 2};

BENCHMARK_CAPTURE(openAndShow, OneSectionOfAMillionLines, kMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndShow, HundredThousandSections, kManySections)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(selectSection, OneSectionOfAMillionLines, kMillionLines)->Unit(benchmark::kMillisecond);

#define ITEM_COMMAND(command)                                                                                \
    BENCHMARK_CAPTURE(itemCommand, command##_MillionLines, kMillionLines, ItemCommand::command)              \
        ->Unit(benchmark::kMicrosecond);                                                                     \
    BENCHMARK_CAPTURE(itemCommand, command##_ThousandLines, kThousandLines, ItemCommand::command)            \
        ->Unit(benchmark::kMicrosecond)
ITEM_COMMAND(Add);
ITEM_COMMAND(InsertAtMiddle);
ITEM_COMMAND(Edit);
ITEM_COMMAND(Delete);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
