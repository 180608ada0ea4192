// The further controls' painting: round shapes by size, whole repaints of a slider and of a
// progress bar, and the painter's alpha composite of a full-HD bitmap against a plain copy of
// the same bytes.
#include "controls/extra/EkBmpRound.h"
#include "controls/extra/EkProgress.h"
#include "controls/extra/EkSlider.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

void roundBall(benchmark::State& state) {
    const int size = int(state.range(0));
    TRoundBmp bmp(size, size);
    for (auto _ : state) {
        bmp.drawBall(160, TRect(0, 0, size, size), TEkColor(0, 120, 196), TEkColor(255, 241, 170));
        benchmark::DoNotOptimize(bmp.bits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(roundBall)->Arg(16)->Arg(64)->Arg(256);

// One synchronous repaint of a shown control: the parent's background, the control's bitmaps,
// the composite and the copy to the window.
template <class Control> void repaint(benchmark::State& state, QSize size) {
    QWidget host;
    host.resize(size + QSize(20, 20));
    Control control(&host);
    control.setGeometry(QRect(QPoint(10, 10), size));
    control.setPosition(37);
    host.show();
    QApplication::processEvents();
    for (auto _ : state)
        control.repaint();
    state.SetItemsProcessed(state.iterations());
}
void sliderRepaint(benchmark::State& state) {
    repaint<TEkSlider>(state, QSize(300, 40));
}
BENCHMARK(sliderRepaint);

void progressRepaint(benchmark::State& state) {
    repaint<TEkProgress>(state, QSize(300, 18));
}
BENCHMARK(progressRepaint);

constexpr int kHdWidth = 1920, kHdHeight = 1080;

void compositeFullHd(benchmark::State& state) {
    TEkBmp src(kHdWidth, kHdHeight), dst(kHdWidth, kHdHeight);
    // Every alpha from 0 to 255, so that the blend takes all three of its paths.
    for (int i = 0; i < kHdWidth * kHdHeight; ++i)
        src.bits()[i] = (TPixel(i & 0xFF) << 24) | 0x3080C0u;
    for (auto _ : state) {
        src.drawTo(&dst, 0, 0, bmAlphaBlend);
        benchmark::DoNotOptimize(dst.bits());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kHdWidth) * kHdHeight * 4);
}
BENCHMARK(compositeFullHd);

void memcpyFullHd(benchmark::State& state) {
    std::vector<TPixel> src(size_t(kHdWidth) * kHdHeight, 0x803080C0u), dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * sizeof(TPixel));
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(src.size() * sizeof(TPixel)));
}
BENCHMARK(memcpyFullHd);

} // namespace
