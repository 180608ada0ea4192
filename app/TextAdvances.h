// Widths of many texts in one font, told without laying each text out.
//
// Laying out a text (itemizing it into script runs, choosing fallback fonts, shaping each run)
// costs microseconds; a list of a million rows cannot afford it for every row. But a run of
// text in the alphabetic scripts, and in Chinese, Japanese and Korean, is as wide as the sum of
// its characters' advances plus what each character does to its neighbours. Kerning adjusts
// pairs, and adds up; a ligature joins glyphs, and may reach a third character. So the width of
// a text is summed from tables measured once with QFontMetricsF: per character (its advance),
// per pair of neighbours (the pair's correction, and whether it joins) and, beside a pair that
// joins, per triple (what the pairs miss). The tables are filled the first time an entry is
// needed. Characters take the script of their run as Qt's itemizer gives it, so a space or a
// digit among Greek or Japanese letters is measured in that run's font; neighbours of different
// scripts are laid out apart and do nothing to each other. A font whose tables hold no kerning
// or ligature features leaves its pairs unmeasured: Chinese and Japanese texts have too many.
//
// A text of characters whose shape depends on wider context (combining marks, Arabic and the
// Indic scripts, joiners, emoji sequences) or of U+009C, at which Qt cuts a text, is not summed:
// width64() says so and the caller lays it out.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRawFont>
#include <QString>
#include <QStringView>
#include <array>
#include <climits>
#include <functional>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

class TTextAdvances {
public:
    explicit TTextAdvances(const QFont& font);
    ~TTextAdvances();
    TTextAdvances(const TTextAdvances&) = delete;
    TTextAdvances& operator=(const TTextAdvances&) = delete;

    // The tables of `font`, shared by every caller on the GUI thread for as long as the font
    // is in use; the two fonts used last are kept.
    static std::shared_ptr<TTextAdvances> forFont(const QFont& font);

    // The width of `text` as QFontMetricsF::horizontalAdvance gives it, in 64ths of a pixel
    // (the unit Qt's layout adds in); -1 when the text must be laid out to know it. Fills the
    // tables the text needs; the first text of a new alphabet costs a few layouts of two or
    // three characters per new neighbour pair.
    qint64 width64(QStringView text);
    // What width64 gives, but only from what the tables hold: kDefer when they lack something.
    // Only reads, so several threads may call it while no thread calls width64.
    qint64 knownWidth64(QStringView text) const;
    static constexpr qint64 kLayOut = -1;
    static constexpr qint64 kDefer = -2;
    // The whole pixels QFontMetrics::horizontalAdvance rounds a width of `w64` 64ths to.
    static int pixels(qint64 w64) { return int((w64 + 32) >> 6); }

    const QFont& font() const { return font_; }

private:
    struct Glyph;
    using Page = std::array<Glyph, 256>;
    struct PageTable;
    // The characters 0 to 255 in a run of Latin letters or of Common characters alone: most
    // texts of INI files, summed without looking up pages.
    static constexpr int kNone = 256; // no character before, in a run
    struct Latin1Run {
        // For each character before (or kNone) and character: twice what the character adds
        // to the width (its advance and the pair's correction), plus 1 when the pair joins;
        // kUnknown for a pair not measured yet, a TAB or a character to lay out.
        std::unique_ptr<qint32[]> steps;
        std::array<const Glyph*, 256> glyphs{};
    };

    static constexpr qint64 kNotLatin1 = INT_MIN;
    // The tables are a cache of what laying out tells: filling them changes no width. The sums
    // of a text take the tables as `self`: with Fill, to fill what they lack; without, const,
    // only to read them, which is what lets several threads sum at once.
    template <bool Fill> using Tables = std::conditional_t<Fill, TTextAdvances, const TTextAdvances>;
    template <bool Fill> using GlyphOf = std::conditional_t<Fill, Glyph, const Glyph>;
    template <bool Fill> static qint64 latin1Sum(Tables<Fill>& self, QStringView text);
    template <bool Fill> static qint64 anySum(Tables<Fill>& self, QStringView text);
    template <bool Fill> static GlyphOf<Fill>* find(Tables<Fill>& self, char32_t c);
    template <bool Fill>
    static GlyphOf<Fill>* findCommon(Tables<Fill>& self, int run, char32_t c, const Glyph& base);
    // The correction of a pair, coded as twice the correction plus 1 when the pair joins.
    template <bool Fill> static bool pair(Tables<Fill>& self, const Glyph& a, const Glyph& b, int& coded);
    // Whether shaping `chars` joins some of them into one glyph (a ligature).
    bool joins(const QString& chars) const;
    // The step of `g` after `last` (null at a run's start or after a TAB): twice the width `g`
    // adds, plus 1 when the pair joins.
    template <bool Fill>
    static bool step(Tables<Fill>& self, const Glyph* last, const Glyph& g, qint64& stepped);
    template <bool Fill>
    static bool triple(Tables<Fill>& self, const Glyph& a, const Glyph& b, const Glyph& c, int& correction);
    qint32 fillLatin1(Latin1Run& run, int script, int last, char16_t c);

    Glyph& glyph(char32_t c);
    Glyph& commonGlyph(int run, char32_t c, const Glyph& base);
    void classify(Glyph& g, char32_t c);
    void fill(Glyph& g);
    // The width of `chars` laid out as part of a run of script `run`, in 64ths.
    qint64 runWidth(int run, const QString& chars);
    qint64 measure64(const QString& text) const;
    bool quietFont(int script);

    QFont font_;
    QFontMetricsF metrics_;
    qint64 tab64_;
    std::unique_ptr<PageTable> base_;
    std::vector<std::unique_ptr<PageTable>> common_; // per run script: its spaces, digits, signs
    std::vector<char32_t> anchors_;                  // per script: a character that starts such a run
    std::vector<signed char> quietFonts_;            // per script: -1 not known, 0 no, 1 yes
    std::vector<QRawFont> rawFonts_;
    int ids_ = 1;                     // id 0 stands for no character before, in the step table
    std::unique_ptr<qint16[]> pairs_; // kDenseIds x kDenseIds, for the first ids
    std::unique_ptr<qint32[]> steps_; // kDenseIds x kDenseIds of what step() gives; row 0 at a run's start
    std::unique_ptr<Glyph*[]> bmp_;   // the glyphs of 0 to 0xFFFF, without the pages; null when new
    std::unordered_map<quint64, int> farPairs_;
    std::unordered_map<quint64, int> triples_;
    struct TripleCache {
        quint64 key = 0; // the triple's key + 1; 0 for none
        int correction = 0;
    };
    std::array<TripleCache, 4096> tripleCache_{};
    std::array<quint8, 256> latin1Kinds_;
    Latin1Run latin1_[2]; // in a run of Latin letters, and of Common characters alone
};
