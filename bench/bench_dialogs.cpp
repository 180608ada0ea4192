// How long the item dialog takes to open on a long value, from the Edit command until it has
// painted itself, and to close again with Escape or Apply, through the real main window and
// the real dialog. Offscreen by default; on a real display (an X server with a window manager,
// where real fonts lay out the text) with QT_QPA_PLATFORM=xcb:
//   xvfb-run -a -s "-screen 0 1600x1000x24" bash -c 'openbox & sleep 1; QT_QPA_PLATFORM=xcb bench_dialogs'
#include "app/ItemFrm.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

// A file of one section whose first line is "long=" and a value of `valueBytes` path-like
// characters; written once per size.
QString longValueFile(int valueBytes) {
    static QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("long_%1.ini").arg(valueBytes));
    if (QFile::exists(name))
        return name;
    QByteArray text = "[Section]\r\nlong=";
    while (text.size() < valueBytes)
        text += "C:\\Program Files\\Velquin\\data\\file.dat,";
    text += "\r\nafter=1\r\n";
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return QString();
    return name;
}

enum class Close { Escape, Apply };

// Edit on the long line: the dialog opens, paints itself once (grab renders it as the screen
// would) and closes; the value must come back exactly as it was.
void editLongValue(benchmark::State& state, int valueBytes, Close close) {
    const QString name = longValueFile(valueBytes);
    platform::ScopedMessageBoxResponder boxes;
    TForm1 form;
    form.resize(1200, 800);
    form.show();
    form.openFile(name, -1);
    form.scrollItemIntoView(form.LvValues, 0);
    const TEkIniVal* item = form.model.sections[0]->values[0];
    const QString value = item->value;
    for (auto _ : state) {
        QTimer::singleShot(0, [close] {
            auto* dialog = qobject_cast<TFrmItem*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->grab();
            close == Close::Apply ? dialog->accept() : dialog->reject();
        });
        form.ActEditItem->trigger();
    }
    if (form.model.sections[0]->values[0] != item || item->value != value || !boxes.records.isEmpty())
        state.SkipWithError("the value changed");
    state.SetBytesProcessed(state.iterations() * value.size() * qint64(sizeof(QChar)));
}

BENCHMARK_CAPTURE(editLongValue, Escape_10MB, 10 << 20, Close::Escape)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(editLongValue, Apply_10MB, 10 << 20, Close::Apply)->Unit(benchmark::kMillisecond);

} // namespace
