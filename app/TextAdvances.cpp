#include "app/TextAdvances.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QTextLayout>
#include <QtEndian>
#include <algorithm>
#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace {

constexpr qint32 kUnknown = INT_MIN;
constexpr int kDenseIds = 1024; // the first ids have their pairs and steps in tables of 2 and 4 MB
constexpr qint16 kUnknownPair = SHRT_MIN;
constexpr char32_t kPlanes = 0x110000;

enum Kind : quint8 {
    kNew,    // not looked at yet
    kPlain,  // a character of a script whose runs the tables can sum
    kCommon, // a space, digit or sign: takes the script of its run
    kTab,    // advances to the next tab stop and starts a new run
    kOther,  // shaped by wider context: the text must be laid out
};

// Scripts whose runs are their characters' advances plus what neighbours do to each other.
bool summable(QChar::Script script) {
    switch (script) {
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Ethiopic:
    case QChar::Script_Cherokee:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
    case QChar::Script_Hangul:
    case QChar::Script_Yi:
        return true;
    default:
        return false;
    }
}

// Scripts of large alphabets, whose fonts are often without kerning or ligatures: a pair of
// their characters in such a font needs no correction, and is not measured.
QFontDatabase::WritingSystem largeAlphabet(int script) {
    switch (script) {
    case QChar::Script_Han:
    case QChar::Script_Bopomofo:
        return QFontDatabase::SimplifiedChinese;
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return QFontDatabase::Japanese;
    case QChar::Script_Hangul:
        return QFontDatabase::Korean;
    default:
        return QFontDatabase::Any;
    }
}

quint16 be16(const QByteArray& table, qsizetype at) {
    return at + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + at) : 0;
}

// Whether a GSUB or GPOS table has only features that shaping leaves off unless asked for
// (vertical forms, widths, alternates, figure styles), so that a character's glyph and advance
// do not depend on its neighbours. Any feature not known to be optional counts as applied.
bool optionalFeaturesOnly(const QByteArray& table) {
    if (table.isEmpty())
        return true;
    static const char* const optional[] = {
        "vert", "vrt2", "vkrn", "vpal", "vhal", "valt", "palt", "halt", "pwid", "fwid", "hwid",
        "twid", "qwid", "aalt", "salt", "smcp", "c2sc", "pcap", "c2pc", "unic", "onum", "lnum",
        "pnum", "tnum", "afrc", "ordn", "sups", "subs", "sinf", "zero", "jp78", "jp83", "jp90",
        "jp04", "trad", "smpl", "nlck", "expt", "hojo", "ruby", "ital", "case", "cpsp", "swsh",
        "cswh", "titl", "dlig", "hlig", "hist", "ornm", "nalt", "size"};
    constexpr qsizetype kFeatureListOffset = 6; // after the version and the script list's offset
    constexpr qsizetype kRecordSize = 6;        // tag, offset
    const qsizetype list = be16(table, kFeatureListOffset);
    if (list == 0 || list + 2 > table.size())
        return false;
    const int count = be16(table, list);
    if (list + 2 + count * kRecordSize > table.size())
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray tag = table.mid(list + 2 + i * kRecordSize, 4);
        const bool stylistic =
            (tag.startsWith("ss") || tag.startsWith("cv")) && tag.at(2) >= '0' && tag.at(2) <= '9';
        if (!stylistic && std::none_of(std::begin(optional), std::end(optional),
                                       [&](const char* name) { return tag == name; }))
            return false;
    }
    return true;
}

qint64 toFixed(qreal width) {
    return qRound64(width * 64);
}

} // namespace

struct TTextAdvances::Glyph {
    qint32 first = kUnknown; // the character's width alone in its run
    qint32 id = -1;          // its index in the pair tables
    char32_t ch = 0;
    quint8 kind = kNew;
    quint8 script = 0;  // of the character; in common_, the script of the run it is measured in
    bool quiet = false; // in a font without kerning or ligatures
};

struct TTextAdvances::PageTable {
    std::vector<std::unique_ptr<Page>> pages = std::vector<std::unique_ptr<Page>>(kPlanes / 256);
    Glyph& at(char32_t c) {
        std::unique_ptr<Page>& page = pages[c >> 8];
        if (!page)
            page = std::make_unique<Page>();
        return (*page)[c & 0xFF];
    }
};

TTextAdvances::TTextAdvances(const QFont& font)
    : font_(font), metrics_(font), tab64_(toFixed(metrics_.horizontalAdvance(QStringLiteral("\t")))),
      base_(std::make_unique<PageTable>()), common_(QChar::ScriptCount), anchors_(QChar::ScriptCount, 0),
      quietFonts_(QChar::ScriptCount, -1), rawFonts_(QChar::ScriptCount),
      bmp_(std::make_unique<Glyph*[]>(0x10000)) {
    if (tab64_ <= 0)
        tab64_ = 80 * 64; // Qt's default tab stop distance
    for (char16_t c = 0; c < 256; ++c)
        latin1Kinds_[c] = glyph(c).kind;
    for (Latin1Run& run : latin1_) {
        run.steps = std::make_unique<qint32[]>((kNone + 1) * 256);
        std::fill_n(run.steps.get(), (kNone + 1) * 256, kUnknown);
    }
}

TTextAdvances::~TTextAdvances() = default;

std::shared_ptr<TTextAdvances> TTextAdvances::forFont(const QFont& font) {
    constexpr size_t kKept = 2; // the lists use one font; tables of a few MB each
    static std::vector<std::shared_ptr<TTextAdvances>> kept;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]->font() == font) {
            std::rotate(kept.begin(), kept.begin() + qsizetype(i), kept.begin() + qsizetype(i) + 1);
            return kept.front();
        }
    }
    kept.insert(kept.begin(), std::make_shared<TTextAdvances>(font));
    if (kept.size() > kKept)
        kept.pop_back();
    return kept.front();
}

qint64 TTextAdvances::measure64(const QString& text) const {
    return toFixed(metrics_.horizontalAdvance(text));
}

void TTextAdvances::classify(Glyph& g, char32_t c) {
    g.ch = c;
    g.kind = kOther;
    if (c == '\t') {
        g.kind = kTab;
        return;
    }
    // Qt cuts a text at U+009C; other control characters, and the soft hyphen that a UTF-8 text
    // read as ANSI is full of, are as wide in a text as alone (mostly nothing).
    if (c == 0x9C)
        return;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return;
    case QChar::Other_Control:
        g.kind = kCommon;
        g.script = QChar::Script_Common;
        return;
    case QChar::Other_Format:
        if (c == QChar::SoftHyphen) {
            g.kind = kCommon;
            g.script = QChar::Script_Common;
        }
        return;
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return;
    default:
        break;
    }
    const bool joinsEmoji = (c >= 0x1F1E6 && c <= 0x1F1FF) || // regional indicators pair into flags
                            (c >= 0x1F3FB && c <= 0x1F3FF);   // skin tones join the emoji before
    const bool conjoiningJamo =
        (c >= 0x1100 && c <= 0x11FF) || (c >= 0xA960 && c <= 0xA97F) || (c >= 0xD7B0 && c <= 0xD7FF);
    if (joinsEmoji || conjoiningJamo || c == QChar::ObjectReplacementCharacter)
        return;
    const QChar::Script script = QChar::script(c);
    g.script = quint8(script);
    if (script == QChar::Script_Common) {
        g.kind = kCommon;
    } else if (summable(script)) {
        g.kind = kPlain;
        if (!anchors_[script])
            anchors_[script] = c;
    }
}

TTextAdvances::Glyph& TTextAdvances::glyph(char32_t c) {
    Glyph& g = base_->at(c);
    if (g.kind == kNew)
        classify(g, c);
    return g;
}

TTextAdvances::Glyph& TTextAdvances::commonGlyph(int run, char32_t c, const Glyph& base) {
    std::unique_ptr<PageTable>& table = common_[size_t(run)];
    if (!table)
        table = std::make_unique<PageTable>();
    Glyph& g = table->at(c);
    if (g.kind == kNew) {
        g = base;
        g.script = quint8(run);
    }
    return g;
}

qint64 TTextAdvances::runWidth(int run, const QString& chars) {
    // Alone, a text takes the script of its first letter, or Common. Otherwise it is put after a
    // TAB behind a letter of the run: the TAB ends the letter's item but not its script, and
    // reaches a tab stop whatever the letter's width.
    int own = QChar::Script_Common;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars.at(i).isHighSurrogate() && i + 1 < chars.size()
                               ? QChar::surrogateToUcs4(chars.at(i), chars.at(i + 1))
                               : chars.at(i).unicode();
        if (const int s = QChar::script(c); s != QChar::Script_Common) {
            own = s;
            break;
        }
        if (c > 0xFFFF)
            ++i;
    }
    if (own == run || run == QChar::Script_Common)
        return measure64(chars);
    QString anchor = QString::fromUcs4(&anchors_[size_t(run)], 1) + QLatin1Char('\t');
    return measure64(anchor + chars) - measure64(anchor);
}

bool TTextAdvances::quietFont(int script) {
    if (quietFonts_[size_t(script)] < 0) {
        const QRawFont raw = QRawFont::fromFont(font_, largeAlphabet(script));
        rawFonts_[size_t(script)] = raw;
        quietFonts_[size_t(script)] = raw.isValid() && raw.fontTable("kern").isEmpty() &&
                                      optionalFeaturesOnly(raw.fontTable("GSUB")) &&
                                      optionalFeaturesOnly(raw.fontTable("GPOS"));
    }
    return quietFonts_[size_t(script)] > 0;
}

void TTextAdvances::fill(Glyph& g) {
    if (g.kind == kPlain && g.ch <= 0xFFFF)
        g.first = qint32(toFixed(metrics_.horizontalAdvance(QChar(char16_t(g.ch)))));
    else
        g.first = qint32(runWidth(g.script, QString::fromUcs4(&g.ch, 1)));
    g.id = ids_++;
    if (g.kind == kPlain && largeAlphabet(g.script) != QFontDatabase::Any && quietFont(g.script)) {
        // The character is drawn in the quiet font only if that font has it, at this advance.
        const QRawFont& raw = rawFonts_[g.script];
        const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&g.ch, 1));
        if (glyphs.size() == 1 && glyphs[0] != 0) {
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
            g.quiet = advances.size() == 1 && toFixed(advances[0].x()) == g.first;
        }
    }
}

template <bool Fill>
bool TTextAdvances::pair(Tables<Fill>& self, const Glyph& a, const Glyph& b, int& coded) {
    coded = 0;
    // Characters in runs of different scripts are laid out apart.
    if ((a.quiet && b.quiet) || a.script != b.script)
        return true;
    const bool dense = a.id < kDenseIds && b.id < kDenseIds;
    const size_t at = size_t(a.id) * kDenseIds + size_t(b.id);
    const quint64 far = quint64(a.id) << 32 | quint64(b.id);
    if (dense && self.pairs_ && self.pairs_[at] != kUnknownPair) {
        coded = self.pairs_[at];
        return true;
    }
    if (const auto found = dense ? self.farPairs_.end() : self.farPairs_.find(far);
        found != self.farPairs_.end()) {
        coded = found->second;
        return true;
    }
    if constexpr (!Fill) {
        return false;
    } else {
        const QString chars = QString::fromUcs4(&a.ch, 1) + QString::fromUcs4(&b.ch, 1);
        const int correction = int(self.runWidth(b.script, chars) - a.first - b.first);
        coded = 2 * correction + (correction != 0 && self.joins(chars));
        if (dense && coded > SHRT_MIN && coded <= SHRT_MAX) {
            if (!self.pairs_) {
                self.pairs_ = std::make_unique<qint16[]>(size_t(kDenseIds) * kDenseIds);
                std::fill_n(self.pairs_.get(), size_t(kDenseIds) * kDenseIds, kUnknownPair);
            }
            self.pairs_[at] = qint16(coded);
        } else {
            self.farPairs_[far] = coded;
        }
        return true;
    }
}

bool TTextAdvances::joins(const QString& chars) const {
    QTextLayout layout(chars, font_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    qsizetype glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        glyphs += run.glyphIndexes().size();
    return glyphs != QStringView(chars).toUcs4().size();
}

template <bool Fill>
bool TTextAdvances::triple(Tables<Fill>& self, const Glyph& a, const Glyph& b, const Glyph& c,
                           int& correction) {
    correction = 0;
    if (a.script != b.script || b.script != c.script)
        return true;
    const quint64 key = quint64(a.id) << 42 | quint64(b.id) << 21 | quint64(c.id);
    // A text of kerned letters meets the same few triples on every row: a small cache in front.
    auto& cached = self.tripleCache_[(key ^ key >> 21 ^ key >> 42) % self.tripleCache_.size()];
    if (cached.key == key + 1) {
        correction = cached.correction;
        return true;
    }
    if (const auto found = self.triples_.find(key); found != self.triples_.end()) {
        correction = found->second;
        if constexpr (Fill)
            cached = {key + 1, correction};
        return true;
    }
    if constexpr (!Fill) {
        return false;
    } else {
        int ab = 0;
        int bc = 0;
        pair<true>(self, a, b, ab);
        pair<true>(self, b, c, bc);
        ab >>= 1;
        bc >>= 1;
        const QString chars =
            QString::fromUcs4(&a.ch, 1) + QString::fromUcs4(&b.ch, 1) + QString::fromUcs4(&c.ch, 1);
        // What the three together are wider than their two pairs, the middle character counted once.
        correction = int(self.runWidth(c.script, chars) - (a.first + b.first + ab) -
                         (b.first + c.first + bc) + b.first);
        self.triples_[key] = correction;
        cached = {key + 1, correction};
        return true;
    }
}

namespace {
// As Qt finds the next tab stop: its fixed-point division rounds, so a text that ends within
// 1/128 of a stop's width before a stop goes on to the stop after.
qint64 nextTabStop(qint64 x, qint64 tab) {
    return (((x * 64 + tab / 2) / tab >> 6) + 1) * tab;
}
} // namespace

qint32 TTextAdvances::fillLatin1(Latin1Run& run, int script, int last, char16_t c) {
    Glyph* g = &glyph(c);
    if (g->kind == kCommon)
        g = &commonGlyph(script, c, *g);
    if (g->first == kUnknown)
        fill(*g);
    run.glyphs[c] = g;
    int coded = 0;
    if (last != kNone)
        pair<true>(*this, *run.glyphs[last], *g, coded);
    const qint64 step = 2 * qint64(g->first) + coded;
    if (step <= kUnknown || step > INT_MAX) // too wide to keep: measured again next time
        return kUnknown;
    return run.steps[last << 8 | c] = qint32(step);
}

qint64 TTextAdvances::width64(QStringView text) {
    const qint64 width = latin1Sum<true>(*this, text);
    return width == kNotLatin1 ? anySum<true>(*this, text) : width;
}

qint64 TTextAdvances::knownWidth64(QStringView text) const {
    const qint64 width = latin1Sum<false>(*this, text);
    return width == kNotLatin1 ? anySum<false>(*this, text) : width;
}

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELQUIN_WIDE_SUMS 1
// The steps of eight characters at a time, for processors that have AVX2: true with the sum in
// `width` when every character is of 0 to 255 and every step is known and joins nothing;
// false when the text needs the one-by-one loop.
__attribute__((target("avx2"))) bool sumEightAtATime(const char16_t* s, qsizetype n, const qint32* steps,
                                                     qint64& width) {
    constexpr qsizetype kLongest = 1 << 20; // so that no lane's sum of steps overflows
    if (n < 8 || n > kLongest)
        return false;
    const __m256i highest = _mm256_set1_epi32(0xFF);
    const __m256i none = _mm256_set1_epi32(256);
    const __m256i unknown = _mm256_set1_epi32(INT_MIN);
    const __m256i one = _mm256_set1_epi32(1);
    __m256i sum = _mm256_setzero_si256();
    __m256i refused = _mm256_setzero_si256();
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i c = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        __m256i before;
        if (i == 0) // the first character has none before it
            before = _mm256_blend_epi32(
                _mm256_permutevar8x32_epi32(c, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6)), none, 1);
        else
            before = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i - 1)));
        refused = _mm256_or_si256(refused, _mm256_cmpgt_epi32(c, highest));
        // Within the table even for a refused character: its row or column is clamped.
        const __m256i index = _mm256_or_si256(_mm256_slli_epi32(_mm256_min_epu32(before, none), 8),
                                              _mm256_min_epu32(c, highest));
        const __m256i step = _mm256_i32gather_epi32(steps, index, 4);
        refused = _mm256_or_si256(refused, _mm256_cmpeq_epi32(step, unknown));
        refused = _mm256_or_si256(refused, _mm256_and_si256(step, one));
        sum = _mm256_add_epi32(sum, _mm256_srai_epi32(step, 1));
    }
    if (!_mm256_testz_si256(refused, refused))
        return false;
    alignas(32) qint32 lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum);
    qint64 x = 0;
    for (const qint32 lane : lanes)
        x += lane;
    for (; i < n; ++i) {
        if (s[i] > 0xFF)
            return false;
        const qint32 step = steps[s[i - 1] << 8 | s[i]];
        if (step == INT_MIN || (step & 1))
            return false;
        x += step >> 1;
    }
    width = x;
    return true;
}
#endif

} // namespace

template <bool Fill> qint64 TTextAdvances::latin1Sum(Tables<Fill>& self, QStringView text) {
    const qsizetype n = text.size();
    const char16_t* s = text.utf16();
    // All the letters of 0 to 255 are Latin: the text is one run, of Latin letters if it has one.
    int script = QChar::Script_Common;
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] > 0xFF)
            return kNotLatin1;
        if (self.latin1Kinds_[s[i]] == kPlain) {
            script = QChar::Script_Latin;
            break;
        }
    }
    auto& run = self.latin1_[script == QChar::Script_Latin ? 0 : 1];
#ifdef VELQUIN_WIDE_SUMS
    if constexpr (!Fill) {
        static const bool avx2 = __builtin_cpu_supports("avx2");
        if (qint64 width = 0; avx2 && sumEightAtATime(s, n, run.steps.get(), width))
            return width;
    }
#endif
    // The loop of a million rows: one look-up per character.
    qint64 x = 0;
    int before = kNone; // the two characters before, in the same run
    int last = kNone;
    qint32 joined = 0; // whether the pair before joins into other glyphs (bit 0)
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c > 0xFF)
            return kNotLatin1;
        qint32 step = run.steps[last << 8 | c];
        if (step == kUnknown) {
            if (self.latin1Kinds_[c] == kTab) {
                x = nextTabStop(x, self.tab64_);
                last = kNone;
                joined = 0;
                continue;
            }
            if (self.latin1Kinds_[c] == kOther)
                return kLayOut;
            if constexpr (!Fill) {
                return kDefer;
            } else {
                step = self.fillLatin1(run, script, last, c);
                if (step == kUnknown)
                    return kLayOut;
            }
        }
        x += step >> 1;
        if ((step | joined) & 1 && before != kNone) {
            int correction = 0;
            if (!triple<Fill>(self, *run.glyphs[before], *run.glyphs[last], *run.glyphs[c], correction))
                return kDefer;
            x += correction;
        }
        joined = step;
        before = last;
        last = c;
    }
    return x;
}

template <bool Fill> auto TTextAdvances::find(Tables<Fill>& self, char32_t c) -> GlyphOf<Fill>* {
    if constexpr (Fill) {
        if (c > 0xFFFF)
            return &self.glyph(c);
        Glyph*& known = self.bmp_[c];
        return known ? known : known = &self.glyph(c);
    } else {
        if (c <= 0xFFFF)
            return self.bmp_[c];
        const Page* page = self.base_->pages[c >> 8].get();
        return page && (*page)[c & 0xFF].kind != kNew ? &(*page)[c & 0xFF] : nullptr;
    }
}

template <bool Fill>
auto TTextAdvances::findCommon(Tables<Fill>& self, int run, char32_t c, const Glyph& base) -> GlyphOf<Fill>* {
    if constexpr (Fill) {
        return &self.commonGlyph(run, c, base);
    } else {
        const PageTable* table = self.common_[size_t(run)].get();
        const Page* page = table ? table->pages[c >> 8].get() : nullptr;
        return page && (*page)[c & 0xFF].kind != kNew ? &(*page)[c & 0xFF] : nullptr;
    }
}

template <bool Fill>
bool TTextAdvances::step(Tables<Fill>& self, const Glyph* last, const Glyph& g, qint64& stepped) {
    int coded = 0;
    if (last && !pair<Fill>(self, *last, g, coded))
        return false;
    stepped = 2 * qint64(g.first) + coded;
    if constexpr (Fill) {
        const unsigned row = last ? unsigned(last->id) : 0;
        if (row < kDenseIds && unsigned(g.id) < kDenseIds && stepped > kUnknown && stepped <= INT_MAX) {
            if (!self.steps_) {
                self.steps_ = std::make_unique<qint32[]>(size_t(kDenseIds) * kDenseIds);
                std::fill_n(self.steps_.get(), size_t(kDenseIds) * kDenseIds, kUnknown);
            }
            self.steps_[row * kDenseIds + unsigned(g.id)] = qint32(stepped);
        }
    }
    return true;
}

template <bool Fill> qint64 TTextAdvances::anySum(Tables<Fill>& self, QStringView text) {
    const qsizetype n = text.size();
    const char16_t* s = text.utf16();
    auto decode = [&](qsizetype& i) -> char32_t {
        const char16_t u = s[i];
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
            return QChar::surrogateToUcs4(u, s[++i]);
        return u;
    };
    // Leading spaces, digits and signs belong to the run of the first letter.
    int run = QChar::Script_Common;
    for (qsizetype i = 0; i < n; ++i) {
        const Glyph* g = find<Fill>(self, decode(i));
        if (!g)
            return kDefer;
        if (g->kind == kOther)
            return kLayOut;
        if (g->kind == kPlain) {
            run = g->script;
            break;
        }
    }
    // A character of another script than the one before starts a new run: the pair tables know
    // that such neighbours do nothing to each other.
    Glyph* const* bmp = self.bmp_.get();
    const qint32* steps = self.steps_.get();
    qint64 x = 0;
    const Glyph* before = nullptr; // the two characters before
    const Glyph* last = nullptr;
    unsigned lastId = 0; // of `last`, 0 for none
    qint64 joined = 0;   // whether the pair before joins into other glyphs (bit 0)
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = decode(i);
        GlyphOf<Fill>* g = c <= 0xFFFF ? bmp[c] : nullptr;
        if (!g && !(g = find<Fill>(self, c)))
            return kDefer;
        if (g->kind == kPlain) {
            run = g->script;
        } else if (g->kind == kCommon) {
            if (!(g = findCommon<Fill>(self, run, c, *g)))
                return kDefer;
        } else if (g->kind == kTab) {
            x = nextTabStop(x, self.tab64_);
            last = nullptr;
            lastId = 0;
            joined = 0;
            continue;
        } else {
            return kLayOut;
        }
        // Most steps are known and looked up here; a character not measured yet has no id.
        const unsigned id = unsigned(g->id);
        qint64 stepped =
            steps && lastId < kDenseIds && id < kDenseIds ? steps[lastId * kDenseIds + id] : kUnknown;
        if (stepped == kUnknown) {
            if (g->first == kUnknown) {
                if constexpr (Fill)
                    self.fill(*g);
                else
                    return kDefer;
            }
            if (!step<Fill>(self, last, *g, stepped))
                return kDefer;
            steps = self.steps_.get();
        }
        x += stepped >> 1;
        if ((stepped | joined) & 1 && before) {
            int correction = 0;
            if (!triple<Fill>(self, *before, *last, *g, correction))
                return kDefer;
            x += correction;
        }
        joined = stepped;
        before = last;
        last = g;
        lastId = unsigned(g->id);
    }
    return x;
}
