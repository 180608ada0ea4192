// The widest of a column's texts, for the automatic widths of the lists' columns.
#pragma once

#include "app/TextAdvances.h"
#include "platform/core/RunParts.h"
#include "platform/core/TestSeam.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

// The widest of many texts in one font, laying out only the texts that could be wider than the
// widest found. Each text's width is first summed from its characters (TTextAdvances), and the
// text of the widest sum is laid out. The sums are exact but for effects of four or more
// characters together; should the laid-out text differ from its sum, the texts are summed again
// and every one that may be wider is laid out. A text the sums cannot tell is laid out at once.
class TWidestText {
public:
    explicit TWidestText(const QFont& font, int start = 0);

    // Takes `text` into account.
    void add(const QString& text);
    // Takes the texts textAt(0) .. textAt(n - 1) into account.
    template <typename TextAt> void addAll(int n, TextAt textAt) {
        for (int i = 0; i < n; ++i)
            note(i, textAt(i));
        settle(n, textAt);
    }
    // Takes the texts textAt(row, k) of rows 0 .. rows - 1 into columns[k], for every column; all
    // the columns in one font. Many rows are summed on several threads, in parts, from what the
    // first rows put in the tables; texts that need more are summed on this thread after. So
    // textAt is called on several threads at once, and must only read. An exception of textAt on
    // any thread is thrown here once every thread has ended, the columns left part-way. The
    // threads leave `keep` bytes of address space to the caller (platform::runParts). See
    // DEVELOPERS.md, "Threads".
    template <typename TextAt>
    static void addRows(std::vector<TWidestText>& columns, int rows, TextAt textAt, qint64 keep = 0);

    int width() const { return width_; }
    int measured() const { return measured_; }

    // Test seam: while set, the sum of each text is moved by what it gives for the text, in 64ths
    // (to no less than 0), as an effect the tables of widths miss would move it. It is called on
    // the threads that sum.
    using SumBias = std::function<qint64(QStringView text)>;
    static inline platform::TestSeam<SumBias> sumBias;

private:
    static constexpr qint32 kNoSum = -1;
    // Texts longer than this are not laid out whole: that takes seconds for a text of megabytes.
    static constexpr qsizetype kExactLength = 4096;
    // A font equal to `font` that shares nothing with it.
    static QFont ownFont(const QFont& font);
    struct Widest {
        qint64 sum = kNoSum;
        int index = 0;
    };

    void note(int index, const QString& text) { noteSum(index, sum(text)); }
    void noteSum(int index, qint64 sum) {
        if (sum > widest_.sum)
            widest_ = {sum, index};
    }
    template <typename TextAt> void settle(int n, TextAt textAt) {
        // When the sum of the widest is not its width, any text may be wider than its sum.
        if (mayWiden(widest_.sum) && !measure(textAt(widest_.index), widest_.sum)) {
            for (int i = 0; i < n; ++i) {
                const QString& text = textAt(i);
                if (const qint64 s = text.isEmpty() ? kNoSum : width64(text); mayWiden(s))
                    measure(text, s);
            }
        }
        widest_ = {};
    }
    // The sum of `text` in 64ths of a pixel, or kNoSum for an empty text or one laid out now.
    qint64 sum(const QString& text);
    // `sum` of `text` as the sum bias moves it; the other answers of the width tables as they are.
    static qint64 biased(QStringView text, qint64 sum) {
        return sum >= 0 ? std::max<qint64>(sum + sumBias(text), 0) : sum;
    }
    // What the width tables give for `text`, moved by the sum bias when it is set.
    qint64 width64(QStringView text) const {
        const qint64 s = advances_->width64(text);
        return sumBias ? biased(text, s) : s;
    }
    bool mayWiden(qint64 sum) const { return sum >= 0 && TTextAdvances::pixels(sum + margin_) > width_; }
    // Lays `text` out (or sums it, beyond the length worth laying out) and widens to it.
    // False when `sum` was given and the text is not as wide as the sum tells.
    bool measure(const QString& text, qint64 sum = kNoSum);

    std::shared_ptr<TTextAdvances> advances_;
    QFontMetrics metrics_;
    int width_;
    int measured_ = 0;
    qint64 margin_ = 0; // the most a laid-out text was found wider than its sum, in 64ths
    Widest widest_;     // of the texts noted
};

template <typename TextAt>
void TWidestText::addRows(std::vector<TWidestText>& columns, int rows, TextAt textAt, qint64 keep) {
    using Text = std::pair<int, int>; // a row and a column
    struct Part {
        std::vector<Widest> widest;
        std::vector<int> laidOut; // the widest of the texts laid out, per column
        std::vector<int> layouts; // how many were, per column
        std::vector<Text> later;  // what the tables cannot tell yet
    };
    const int k = int(columns.size());
    // Sums the texts at(0) .. at(n - 1) in parts of at least `perPart` texts, on several
    // threads, and adds to `later` those the tables cannot tell yet.
    auto sumInParts = [&](qint64 n, qint64 perPart, auto at, std::vector<Text>& later) {
        const int threads = platform::partsFor(n, perPart);
        auto parts = std::vector<Part>(size_t(threads));
        // A text the sums cannot tell (Arabic, combining marks) is laid out on its part's thread,
        // in a font of that thread's own: Qt keeps font engines per thread, and a font's copies
        // share a cache. Making a font reads the font it copies, so the fonts are made here,
        // before the threads start; part 0 runs here, in the columns' font.
        std::vector<QFont> fonts;
        for (int t = 1; t < threads; ++t)
            fonts.push_back(ownFont(columns.front().advances_->font()));
        // The loop over a part's texts is made twice, with and without the sum bias, so that the
        // sums of a list do not ask the seam text by text.
        auto sumPart = [&](int t, auto withBias) {
            Part& part = parts[size_t(t)];
            part.widest.resize(size_t(k));
            part.laidOut.resize(size_t(k));
            part.layouts.resize(size_t(k));
            std::optional<QFontMetrics> metrics;
            for (qint64 j = n * t / threads; j < n * (t + 1) / threads; ++j) {
                const auto [i, c] = at(j);
                const QString& text = textAt(i, c);
                if (text.isEmpty())
                    continue;
                qint64 s = columns[size_t(c)].advances_->knownWidth64(text);
                if constexpr (withBias)
                    s = biased(text, s);
                if (s == TTextAdvances::kLayOut && text.size() <= kExactLength) {
                    if (!metrics)
                        metrics.emplace(t == 0 ? columns.front().metrics_
                                               : QFontMetrics(fonts[size_t(t) - 1]));
                    part.laidOut[size_t(c)] =
                        std::max(part.laidOut[size_t(c)], metrics->horizontalAdvance(text));
                    ++part.layouts[size_t(c)];
                } else if (s < 0) {
                    part.later.emplace_back(i, c);
                } else if (s > part.widest[size_t(c)].sum) {
                    part.widest[size_t(c)] = {s, i};
                }
            }
        };
        const bool withBias = bool(sumBias);
        platform::runParts(threads, keep, [&](int t) {
            if (withBias)
                sumPart(t, std::true_type());
            else
                sumPart(t, std::false_type());
        });
        for (const Part& part : parts) {
            for (int c = 0; c < k; ++c) {
                columns[size_t(c)].noteSum(part.widest[size_t(c)].index, part.widest[size_t(c)].sum);
                columns[size_t(c)].width_ = std::max(columns[size_t(c)].width_, part.laidOut[size_t(c)]);
                columns[size_t(c)].measured_ += part.layouts[size_t(c)];
            }
            later.insert(later.end(), part.later.begin(), part.later.end());
        }
    };
    // The first rows fill the tables with the characters and pairs that the rest mostly use.
    constexpr int kFirstTexts = 2000;
    constexpr qint64 kTextsPerPart = 50000; // fewer texts of new rows are not worth a thread
    constexpr qint64 kLaterPerPart = 4000;  // texts read before are quicker to read again
    const int first = std::min(rows, kFirstTexts);
    for (int i = 0; i < first; ++i) {
        for (int c = 0; c < k; ++c)
            columns[size_t(c)].note(i, textAt(i, c));
    }
    std::vector<Text> later;
    sumInParts(
        qint64(rows - first) * k, kTextsPerPart,
        [&](qint64 j) { return Text(first + int(j / k), int(j % k)); }, later);
    // What the tables could not tell: the first texts fill them and the rest are summed again,
    // as long as that leaves most of them told; else all are summed here.
    auto note = [&](const Text& text) {
        columns[size_t(text.second)].note(text.first, textAt(text.first, text.second));
    };
    while (!later.empty()) {
        const size_t filling = std::min(later.size(), size_t(kFirstTexts));
        std::for_each(later.begin(), later.begin() + qsizetype(filling), note);
        std::vector<Text> rest(later.begin() + qsizetype(filling), later.end());
        later.clear();
        sumInParts(
            qint64(rest.size()), kLaterPerPart, [&](qint64 j) { return rest[size_t(j)]; }, later);
        if (later.size() * 2 > rest.size()) {
            std::for_each(later.begin(), later.end(), note);
            break;
        }
    }
    for (int c = 0; c < k; ++c)
        columns[size_t(c)].settle(rows, [&](int i) -> decltype(auto) { return textAt(i, c); });
}
