// How long the real main window takes to open and show very large files: one section of a
// million lines, a hundred thousand small sections, and a value of 2 MB among short lines.
// Offscreen by default; on a real display (an X server with a window manager, where real fonts
// measure the texts) with QT_QPA_PLATFORM=xcb:
//   xvfb-run -a -s "-screen 0 1600x1000x24" bash -c 'openbox & sleep 1; QT_QPA_PLATFORM=xcb bench_window'
#include "app/IniListModels.h"
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
    int longValueBytes = 0; // the first line of the first section holds a value this long
};

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

// Writes the file once per shape and returns its name.
QString largeFile(const LargeFile& shape) {
    const QString name = workDir().filePath(QStringLiteral("large_%1x%2_%3.ini")
                                                .arg(shape.sections)
                                                .arg(shape.linesPerSection)
                                                .arg(shape.longValueBytes));
    if (QFile::exists(name))
        return name;
    QByteArray text;
    text.reserve(qsizetype(shape.sections) * (shape.linesPerSection * 26 + 24));
    for (int s = 0; s < shape.sections; ++s) {
        text += "[Section" + QByteArray::number(s) + "] ; comment\r\n";
        if (s == 0 && shape.longValueBytes > 0) {
            text += "long=";
            while (text.size() < shape.longValueBytes)
                text += "C:\\Program Files\\Velquin\\data\\file.dat,";
            text += "\r\n";
        }
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
        if (form.ValueRows->count() != shape.linesPerSection + (shape.longValueBytes > 0 ? 1 : 0))
            state.SkipWithError("the section was not shown");
    }
}

constexpr LargeFile kMillionLines{1, 1000000};
constexpr LargeFile kManySections{100000, 2};
constexpr LargeFile kLongValue{1, 1000, 2 << 20};

BENCHMARK_CAPTURE(openAndShow, OneSectionOfAMillionLines, kMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndShow, HundredThousandSections, kManySections)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openAndShow, ValueOf2MB, kLongValue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(selectSection, OneSectionOfAMillionLines, kMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(selectSection, ValueOf2MB, kLongValue)->Unit(benchmark::kMillisecond);

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
