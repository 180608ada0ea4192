// How long the real main window takes to open and show very large files: one section of a
// million lines (of ASCII, and of accented Latin, Greek and Chinese), a hundred thousand small
// sections, and a value of 2 MB among short lines; how
// long it takes to find in, and sort, the 128 MB generated file and a section of a million
// lines; and how long one item command takes on a section of a million lines, against one of a
// thousand. Offscreen by default; on a real display (an X server with a window manager, where
// real fonts measure the texts) with QT_QPA_PLATFORM=xcb:
//   xvfb-run -a -s "-screen 0 1600x1000x24" bash -c 'openbox & sleep 1; QT_QPA_PLATFORM=xcb bench_window'
#include "app/FrmSearch.h"
#include "app/IniListModels.h"
#include "app/ItemFrm.h"
#include "app/Unit1.h"
#include "bench/GeneratedIni.h"
#include "platform/gui/MessageBoxes.h"
#include "tests/support/DialogResponders.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct LargeFile {
    int sections;
    int linesPerSection;
    int longValueBytes = 0; // the first line of the first section holds a value this long
    bool accented = false;  // lines of accented Latin, Greek and Chinese words instead of ASCII
};

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

// Writes the file once per shape and returns its name.
QString largeFile(const LargeFile& shape) {
    const QString name = workDir().filePath(QStringLiteral("large_%1x%2_%3%4.ini")
                                                .arg(shape.sections)
                                                .arg(shape.linesPerSection)
                                                .arg(shape.longValueBytes)
                                                .arg(shape.accented ? "_accented" : ""));
    if (QFile::exists(name))
        return name;
    QByteArray text;
    text.reserve(qsizetype(shape.sections) * (shape.linesPerSection * 26 + 24));
    if (shape.accented)
        text += "\xEF\xBB\xBF"; // UTF-8, told by its byte-order mark
    for (int s = 0; s < shape.sections; ++s) {
        text += "[Section" + QByteArray::number(s) + "] ; comment\r\n";
        if (s == 0 && shape.longValueBytes > 0) {
            text += "long=";
            while (text.size() < shape.longValueBytes)
                text += "C:\\Program Files\\Velquin\\data\\file.dat,";
            text += "\r\n";
        }
        for (int i = 0; i < shape.linesPerSection; ++i) {
            if (shape.accented)
                text += "Schl\xC3\xBCssel " + QByteArray::number(i) +
                        " \xCE\xBA\xCE\xBB\xCE\xB5\xCE\xB9\xCE\xB4\xCE\xAF="
                        "\xE5\x80\xBC " +
                        QByteArray::number(i * 7) + " \xE6\x95\xB0\xE6\x8D\xAE\xE5\xBA\x93\r\n";
            else
                text += "key" + QByteArray::number(i) + "=value" + QByteArray::number(i) + "\r\n";
        }
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
        if (form.ValueRows->count() != shape.linesPerSection + (shape.longValueBytes > 0 ? 1 : 0))
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
    platform::ScopedSeam answer(TFrmItem::responder, [](const QString&, const TItemText& prefill, bool) {
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
constexpr LargeFile kMillionAccentedLines{1, 1000000, 0, true};
constexpr LargeFile kThousandLines{1, 1000};
constexpr LargeFile kManySections{100000, 2};
constexpr LargeFile kLongValue{1, 1000, 2 << 20};

BENCHMARK_CAPTURE(openAndShow, OneSectionOfAMillionLines, kMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndShow, HundredThousandSections, kManySections)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndShow, ValueOf2MB, kLongValue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndShow, OneSectionOfAMillionAccentedLines, kMillionAccentedLines)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(selectSection, OneSectionOfAMillionLines, kMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(selectSection, OneSectionOfAMillionAccentedLines, kMillionAccentedLines)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(selectSection, ValueOf2MB, kLongValue)->Unit(benchmark::kMillisecond);

// --- Find and sort -------------------------------------------------------------------------------

// The 128 MB generated file (UTF-8 with a byte-order mark), written once.
QString generatedFile() {
    const QString name = workDir().filePath(QStringLiteral("generated_128mb.ini"));
    if (QFile::exists(name))
        return name;
    const QByteArray text = "\xEF\xBB\xBF" + generateIniText(qint64(128) << 20, false).toUtf8();
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return name;
}

// While it lives, the find dialog answers Find First for `text`, searching everywhere.
struct FindFirstAnswer : platform::ScopedSeam<TFormSearch::Responder> {
    explicit FindFirstAnswer(const QString& text)
        : ScopedSeam(TFormSearch::responder, [text](TFormSearch& dialog) {
              dialog.setFindText(text);
              return true;
          }) {}
};

// Find First of a text the document does not hold: the whole document is searched and
// "No Mach Vere Found!" answered.
void findFirstNoHit(benchmark::State& state) {
    const QString name = generatedFile();
    ShownForm shown;
    TForm1& form = shown.form;
    form.openFile(name, -1);
    FindFirstAnswer answer(QStringLiteral("NoSuchText"));
    for (auto _ : state) {
        shown.boxes.records.clear();
        form.ActSearchExecute();
        if (shown.boxes.records.size() != 1)
            state.SkipWithError("the search found something");
    }
    state.SetBytesProcessed(state.iterations() * QFile(name).size());
}

// F3 from one hit to the next, a million lines further on, in the 128 MB file.
void findNextMillionLinesOn(benchmark::State& state) {
    constexpr int kFirstLine = 100000;
    constexpr int kLinesApart = 1000000;
    const QString name = generatedFile();
    ShownForm shown;
    TForm1& form = shown.form;
    form.openFile(name, -1);
    // The two hits: lines kFirstLine and kFirstLine + kLinesApart, counted over every section.
    struct Hit {
        int section = -1;
        int item = -1;
    } hits[2];
    int line = 0;
    int lines = 0;
    for (int s = 0; s < form.model.sections.count; ++s) {
        TEkIniSection* section = form.model.sections[s];
        for (int i = 0; i < section->values.count; ++i, ++line) {
            if (line == kFirstLine || line == kFirstLine + kLinesApart) {
                section->values[i]->setValue(QStringLiteral("NeedleText"));
                hits[line == kFirstLine ? 0 : 1] = {s, i};
            }
        }
        lines = line;
    }
    FindFirstAnswer answer(QStringLiteral("NeedleText"));
    form.ActSearchExecute();
    for (auto _ : state) {
        state.PauseTiming();
        form.scrollItemIntoView(form.LvSections, hits[0].section);
        form.scrollItemIntoView(form.LvValues, hits[0].item);
        state.ResumeTiming();
        form.ActFindNextExecute();
        if (form.selectedRow(form.LvSections) != hits[1].section ||
            form.selectedRow(form.LvValues) != hits[1].item)
            state.SkipWithError("the second hit was not selected");
    }
    // The file text between the hits, in proportion to its lines.
    state.SetBytesProcessed(state.iterations() * (QFile(name).size() * kLinesApart / lines));
}

// A click on the Name column of a section of a million items: sort, then show the items again.
// Each click turns the direction, so every run reverses the order the last one left.
void sortMillionItemsByColumnClick(benchmark::State& state) {
    const QString name = largeFile(kMillionLines);
    ShownForm shown;
    TForm1& form = shown.form;
    form.openFile(name, -1);
    for (auto _ : state) {
        form.LvValuesColumnClick(1);
        if (form.ValueRows->count() != kMillionLines.linesPerSection)
            state.SkipWithError("the items were not shown");
    }
}

// Sort All of the 128 MB file from the reverse order, and the section list shown again.
void sortAllGenerated(benchmark::State& state) {
    const QString name = generatedFile();
    ShownForm shown;
    TForm1& form = shown.form;
    form.openFile(name, -1);
    for (auto _ : state) {
        state.PauseTiming();
        form.model.sortAll(0, false);
        state.ResumeTiming();
        form.MnuSortAllAlphabeticallyClick();
    }
    state.SetBytesProcessed(state.iterations() * QFile(name).size());
}

BENCHMARK(findFirstNoHit)->Name("FindFirstNoHit/128MB")->Unit(benchmark::kMillisecond);
BENCHMARK(findNextMillionLinesOn)->Name("FindNextAMillionLinesOn/128MB")->Unit(benchmark::kMillisecond);
BENCHMARK(sortMillionItemsByColumnClick)
    ->Name("ColumnClickSort/OneSectionOfAMillionLines")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(sortAllGenerated)->Name("SortAll/128MB")->Unit(benchmark::kMillisecond)->Iterations(3);

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
