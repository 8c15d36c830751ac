#include "filters/spotclean/median_scan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

MedianPath gMedianPath = MedianPath::automatic;

bool histogramsFor(int k, int size, bool cap) {
    if (k < 1 || k > kHistogramMaxSide) return false;
    switch (gMedianPath) {
    case MedianPath::reference:
        return false;
    case MedianPath::histogram:
        return true;
    default:
        return k >= 7 || (k >= 5 && size >= 9) || (k >= 3 && cap && size >= 40);
    }
}

namespace {

constexpr int kBins = 256;
constexpr int kBlocks = 16;                  // coarse bins of 16 values each
constexpr int kColumnBytes = kBins + kBlocks;  // a column histogram: fine bins, then coarse
constexpr int kMaxChannels = 4;
constexpr int kColumns = 176;  // image columns one set of column histograms holds
constexpr int kSets = 4;
constexpr int kMaxSpans = 1024;  // spans of one cap (a disc of size 99 has about 100)
constexpr int kNever = -0x40000000;

// Sixteen bins at a time: window sums (16-bit) and column counts (bytes). SSE2 where the
// compiler has it (all three builds do), plain loops elsewhere.
#if defined(__SSE2__)
inline void addSub16(uint16_t* sums, const uint8_t* add, const uint8_t* sub) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sub));
    __m128i* w = reinterpret_cast<__m128i*>(sums);
    const __m128i lo = _mm_sub_epi16(_mm_add_epi16(_mm_load_si128(w), _mm_unpacklo_epi8(a, zero)),
                                     _mm_unpacklo_epi8(b, zero));
    const __m128i hi = _mm_sub_epi16(_mm_add_epi16(_mm_load_si128(w + 1), _mm_unpackhi_epi8(a, zero)),
                                     _mm_unpackhi_epi8(b, zero));
    _mm_store_si128(w, lo);
    _mm_store_si128(w + 1, hi);
}
// The 16 bins at `add`, `add + stride`, ... (`count` of them) into `sums`.
inline void addRun16(uint16_t* sums, const uint8_t* add, intptr_t stride, int count) {
    const __m128i zero = _mm_setzero_si128();
    __m128i* w = reinterpret_cast<__m128i*>(sums);
    __m128i lo = _mm_load_si128(w), hi = _mm_load_si128(w + 1);
    for (; count > 0; --count, add += stride) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add));
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(a, zero));
        hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(a, zero));
    }
    _mm_store_si128(w, lo);
    _mm_store_si128(w + 1, hi);
}
inline void addTimes16(uint16_t* sums, const uint8_t* add, int times) {
    const __m128i zero = _mm_setzero_si128(), t = _mm_set1_epi16(int16_t(times));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add));
    __m128i* w = reinterpret_cast<__m128i*>(sums);
    _mm_store_si128(w, _mm_add_epi16(_mm_load_si128(w), _mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), t)));
    _mm_store_si128(w + 1, _mm_add_epi16(_mm_load_si128(w + 1), _mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), t)));
}
#else
inline void addSub16(uint16_t* sums, const uint8_t* add, const uint8_t* sub) {
    for (int j = 0; j < 16; ++j) sums[j] = uint16_t(sums[j] + add[j] - sub[j]);
}
inline void addRun16(uint16_t* sums, const uint8_t* add, intptr_t stride, int count) {
    for (; count > 0; --count, add += stride)
        for (int j = 0; j < 16; ++j) sums[j] = uint16_t(sums[j] + add[j]);
}
inline void addTimes16(uint16_t* sums, const uint8_t* add, int times) {
    for (int j = 0; j < 16; ++j) sums[j] = uint16_t(sums[j] + times * add[j]);
}
#endif

// The first of 16 bins at which the running total of `sums`, starting from `below`,
// reaches `rank`; `below` becomes the total before that bin. The last bin when the
// total never does (it always does when the sums are right).
#if defined(__SSE2__)
// Running totals of the 16 sums at once; the bins whose running total stays below the
// rank form a run from the first bin (the totals never decrease), and its length is the
// answer.
inline int findRank(const uint16_t* sums, int rank, int& below) {
    const __m128i* w = reinterpret_cast<const __m128i*>(sums);
    __m128i lo = _mm_load_si128(w), hi = _mm_load_si128(w + 1);
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 2));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 2));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 4));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 4));
    lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 8));
    hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 8));
    const __m128i carry = _mm_shufflehi_epi16(lo, 0xFF);  // the total of bins 0..7
    hi = _mm_add_epi16(hi, _mm_unpackhi_epi64(carry, carry));
    // Totals stay within 33 * 33, so the signed comparison is safe.
    const __m128i need = _mm_set1_epi16(int16_t(rank - below));
    const int under = _mm_movemask_epi8(_mm_packs_epi16(_mm_cmplt_epi16(lo, need), _mm_cmplt_epi16(hi, need)));
    const int j = std::min(__builtin_ctz(~unsigned(under)), 15);
    if (j > 0) {
        alignas(16) uint16_t totals[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(totals), lo);
        _mm_store_si128(reinterpret_cast<__m128i*>(totals + 8), hi);
        below += totals[j - 1];
    }
    return j;
}
#else
inline int findRank(const uint16_t* sums, int rank, int& below) {
    int j = 0;
    while (j < 15 && below + sums[j] < rank) below += sums[j++];
    return j;
}
#endif

// Column histogram counts are at most k (<= 33): a byte each. The sets are static, so
// nothing is allocated per dab.
alignas(64) uint8_t sColumnHists[kSets][kColumns * kMaxChannels * kColumnBytes];

// The image as a scan sees it: spans run along its rows. A column span is a row span
// of the transposed grid (the k x k neighbourhood and its median do not care).
struct Grid {
    const uint8_t* src;  // what the medians read: (x, y, c) at src + y * srcRow + x * srcCol + c
    intptr_t srcRow, srcCol;
    uint8_t* out;
    intptr_t outRow, outCol;
    const uint8_t* in;  // for the transparency test
    intptr_t inRow, inCol;
    int alpha;
    const uint8_t* mask;
    intptr_t maskRow, maskCol;
    int width, height, channels;
    bool follow;  // writing the result changes what the medians read (buildup)
};

// False when src and out overlap other than as the same buffer with the same layout.
bool gridOf(const SpeckView& v, bool transposed, Grid& g) {
    g.src = v.src;
    g.out = v.out;
    g.in = v.in;
    g.alpha = v.alpha;
    g.mask = v.mask;
    g.channels = v.channels;
    if (v.channels < 1 || v.channels > kMaxChannels) return false;
    const uint8_t* srcEnd = v.src + intptr_t(v.height - 1) * v.srcRow + intptr_t(v.width) * v.srcStride;
    const uint8_t* outEnd = v.out + intptr_t(v.height - 1) * v.outRow + intptr_t(v.width) * v.planes;
    const bool same = v.src == v.out && v.srcRow == v.outRow && v.srcStride == v.planes;
    const bool overlap = v.src < outEnd && v.out < srcEnd;
    if (overlap && !same) return false;
    g.follow = same;
    if (!transposed) {
        g.srcRow = v.srcRow, g.srcCol = v.srcStride;
        g.outRow = v.outRow, g.outCol = v.planes;
        g.inRow = v.inRow, g.inCol = v.inStride;
        g.maskRow = v.maskRow, g.maskCol = 1;
        g.width = v.width, g.height = v.height;
    } else {
        g.srcRow = v.srcStride, g.srcCol = v.srcRow;
        g.outRow = v.planes, g.outCol = v.outRow;
        g.inRow = v.inStride, g.inCol = v.inRow;
        g.maskRow = 1, g.maskCol = v.maskRow;
        g.width = v.height, g.height = v.width;
    }
    return true;
}

inline int clampTo(int value, int n) { return value < 0 ? 0 : value >= n ? n - 1 : value; }

// How often index c occurs among clamp(first + i, 0, n - 1), i = 0 .. k - 1: the weight
// of an image row or column in a window that repeats the border.
inline int multiplicity(int c, int first, int k, int n) {
    if (n == 1) return k;
    if (c == 0) return std::clamp(1 - first, 0, k);
    if (c == n - 1) return std::clamp(first + k - (n - 1), 0, k);
    return first <= c && c < first + k;
}

struct ColumnSet {
    uint8_t* hist;  // [column - c0][channel][kColumnBytes]
    int top;        // the window's first row (unclamped)
    bool built;
};

struct Scan {
    Grid g;
    int k, half, rank;
    const PixelRule* rule;
    int c0, c1;  // the image columns the sets hold
    ColumnSet sets[kSets];
    int setCount;

    // The window of the current span: left edge, coarse sums (always current), fine sums
    // of each coarse bin as of the left edge in `synced` (kNever: not yet summed).
    int left;
    alignas(16) uint16_t coarse[kMaxChannels][kBlocks];
    alignas(16) uint16_t fine[kMaxChannels][kBlocks][16];
    int synced[kMaxChannels][kBlocks];

    uint8_t* column(const ColumnSet& s, int c, int ch) const {
        return s.hist + (intptr_t(c - c0) * g.channels + ch) * kColumnBytes;
    }
    const uint8_t* srcAt(int x, int y) const { return g.src + intptr_t(y) * g.srcRow + intptr_t(x) * g.srcCol; }
    bool takesPart(int x, int y) const {
        if (g.alpha >= 0 && g.in[intptr_t(y) * g.inRow + intptr_t(x) * g.inCol + g.alpha] == 0) return false;
        if (g.mask && g.mask[intptr_t(y) * g.maskRow + intptr_t(x) * g.maskCol] == 0) return false;
        return true;
    }

    // Adds image row y, `weight` times, to the column histograms of `s`.
    // The channel loops are unrolled for each count (1, 3 and 4 occur).
    template <class F>
    void byChannels(F f) {
        switch (g.channels) {
        case 1: f(std::integral_constant<int, 1>()); break;
        case 2: f(std::integral_constant<int, 2>()); break;
        case 3: f(std::integral_constant<int, 3>()); break;
        default: f(std::integral_constant<int, 4>()); break;
        }
    }

    void addRow(ColumnSet& s, int y, int weight) {
        byChannels([&](auto n) { addRowOf<decltype(n)::value>(s, y, weight); });
    }
    // Fine bins only: build() sums the coarse ones afterwards.
    template <int channels>
    void addRowOf(ColumnSet& s, int y, int weight) {
        const uint8_t* p = srcAt(c0, y);
        uint8_t* h = column(s, c0, 0);
        for (int c = c0; c <= c1; ++c, p += g.srcCol)
            for (int ch = 0; ch < channels; ++ch, h += kColumnBytes) {
                const int v = p[ch];
                h[v] = uint8_t(h[v] + weight);
            }
    }
    // Each coarse bin of every column histogram of `s` as the sum of its 16 fine bins.
    void sumCoarse(ColumnSet& s) {
        uint8_t* h = s.hist;
        for (int n = (c1 - c0 + 1) * g.channels; n > 0; --n, h += kColumnBytes) {
#if defined(__SSE2__)
            const __m128i zero = _mm_setzero_si128();
            for (int b = 0; b < kBlocks; b += 2) {
                // Two bins' bytes summed in halves, the halves added, the pair stored.
                const __m128i s0 = _mm_sad_epu8(_mm_load_si128(reinterpret_cast<const __m128i*>(h + b * 16)), zero);
                const __m128i s1 = _mm_sad_epu8(_mm_load_si128(reinterpret_cast<const __m128i*>(h + b * 16 + 16)), zero);
                const __m128i both = _mm_add_epi32(_mm_unpacklo_epi64(s0, s1), _mm_unpackhi_epi64(s0, s1));
                h[kBins + b] = uint8_t(_mm_cvtsi128_si32(both));
                h[kBins + b + 1] = uint8_t(_mm_extract_epi16(both, 4));
            }
#else
            for (int b = 0; b < kBlocks; ++b) {
                int sum = 0;
                for (int j = 0; j < 16; ++j) sum += h[b * 16 + j];
                h[kBins + b] = uint8_t(sum);
            }
#endif
        }
    }
    // Row `leaving` goes out of the column histograms of `s`, row `entering` comes in.
    void swapRows(ColumnSet& s, int leaving, int entering) {
        if (leaving == entering) return;
        byChannels([&](auto n) { swapRowsOf<decltype(n)::value>(s, leaving, entering); });
    }
    template <int channels>
    void swapRowsOf(ColumnSet& s, int leaving, int entering) {
        const uint8_t* a = srcAt(c0, leaving);
        const uint8_t* b = srcAt(c0, entering);
        uint8_t* h = column(s, c0, 0);
        for (int c = c0; c <= c1; ++c, a += g.srcCol, b += g.srcCol)
            for (int ch = 0; ch < channels; ++ch, h += kColumnBytes) {
                const int va = a[ch], vb = b[ch];
                if (va == vb) continue;
                --h[va];
                ++h[vb];
                --h[kBins + (va >> 4)];
                ++h[kBins + (vb >> 4)];
            }
    }
    void build(ColumnSet& s, int top) {
        std::memset(s.hist, 0, size_t(c1 - c0 + 1) * g.channels * kColumnBytes);
        for (int j = 0; j < k;) {  // runs of the same (clamped) row are added at once
            const int y = clampTo(top + j, g.height);
            int run = 1;
            while (j + run < k && clampTo(top + j + run, g.height) == y) ++run;
            addRow(s, y, run);
            j += run;
        }
        sumCoarse(s);
        s.top = top;
        s.built = true;
    }
    void moveTo(ColumnSet& s, int top) {
        if (!s.built || 2 * std::abs(top - s.top) >= k) {
            build(s, top);
            return;
        }
        for (; s.top < top; ++s.top) swapRows(s, clampTo(s.top, g.height), clampTo(s.top + k, g.height));
        for (; s.top > top; --s.top) swapRows(s, clampTo(s.top - 1 + k, g.height), clampTo(s.top - 1, g.height));
    }

    // `sums` = the 16 bins at `offset` of channel ch summed over the window's columns.
    void sumWindow(const ColumnSet& s, int ch, int offset, uint16_t* sums) const {
        std::fill(sums, sums + 16, uint16_t(0));
        if (left >= 0 && left + k <= g.width) {  // no border repeated
            addRun16(sums, column(s, left, ch) + offset, intptr_t(g.channels) * kColumnBytes, k);
            return;
        }
        for (int i = 0; i < k;) {
            const int c = clampTo(left + i, g.width);
            int run = 1;
            while (i + run < k && clampTo(left + i + run, g.width) == c) ++run;
            addTimes16(sums, column(s, c, ch) + offset, run);
            i += run;
        }
    }
    // The window of the first pixel x of a span on set `s`.
    void startWindow(const ColumnSet& s, int x) {
        left = x - half;
        for (int ch = 0; ch < g.channels; ++ch) {
            sumWindow(s, ch, kBins, coarse[ch]);
            std::fill(synced[ch], synced[ch] + kBlocks, kNever);
        }
    }
    // One pixel to the right: the coarse sums follow at once, the fine ones when asked.
    template <int channels>
    void stepWindow(const ColumnSet& s) {
        const int leaving = clampTo(left, g.width), entering = clampTo(left + k, g.width);
        ++left;
        if (leaving == entering) return;
        const uint8_t* out = column(s, leaving, 0) + kBins;
        const uint8_t* in = column(s, entering, 0) + kBins;
        for (int ch = 0; ch < channels; ++ch, out += kColumnBytes, in += kColumnBytes)
            addSub16(coarse[ch], in, out);
    }
    // The fine sums of coarse bin b of channel ch, brought to the current window.
    void syncFine(const ColumnSet& s, int ch, int b) {
        const int from = synced[ch][b];
        if (from == left) return;
        uint16_t* f = fine[ch][b];
        const int off = b * 16;
        if (from == kNever || 2 * (left - from) >= k) {
            sumWindow(s, ch, off, f);
        } else {
            for (int q = from; q < left; ++q) {
                const int leaving = clampTo(q, g.width), entering = clampTo(q + k, g.width);
                if (leaving == entering) continue;
                addSub16(f, column(s, entering, ch) + off, column(s, leaving, ch) + off);
            }
        }
        synced[ch][b] = left;
    }
    uint8_t median(const ColumnSet& s, int ch) {
        int below = 0;
        const int b = findRank(coarse[ch], rank, below);
        syncFine(s, ch, b);
        return uint8_t(b * 16 + findRank(fine[ch][b], rank, below));
    }

    // Pixel (x, y) of the current span changed from a to v in channel ch: every column
    // histogram that holds row y, and the window sums, follow.
    void follow(const ColumnSet& current, int x, int y, int ch, int a, int v) {
        for (int i = 0; i < setCount; ++i) {
            ColumnSet& s = sets[i];
            if (!s.built) continue;
            const int rows = multiplicity(y, s.top, k, g.height);
            if (rows == 0) continue;
            uint8_t* h = column(s, x, ch);
            h[a] = uint8_t(h[a] - rows);
            h[v] = uint8_t(h[v] + rows);
            h[kBins + (a >> 4)] = uint8_t(h[kBins + (a >> 4)] - rows);
            h[kBins + (v >> 4)] = uint8_t(h[kBins + (v >> 4)] + rows);
            if (&s != &current) continue;
            const int now = rows * multiplicity(x, left, k, g.width);
            coarse[ch][a >> 4] = uint16_t(coarse[ch][a >> 4] - now);
            coarse[ch][v >> 4] = uint16_t(coarse[ch][v >> 4] + now);
            if (synced[ch][a >> 4] != kNever) {
                const int then = rows * multiplicity(x, synced[ch][a >> 4], k, g.width);
                fine[ch][a >> 4][a & 15] = uint16_t(fine[ch][a >> 4][a & 15] - then);
            }
            if (synced[ch][v >> 4] != kNever) {
                const int then = rows * multiplicity(x, synced[ch][v >> 4], k, g.width);
                fine[ch][v >> 4][v & 15] = uint16_t(fine[ch][v >> 4][v & 15] + then);
            }
        }
    }

    // The pixels x0 .. x1 (inside the image) of row y, on set `s` already at row y's window.
    void span(const ColumnSet& s, int y, int x0, int x1) {
        byChannels([&](auto n) { spanOf<decltype(n)::value>(s, y, x0, x1); });
    }
    template <int channels>
    void spanOf(const ColumnSet& s, int y, int x0, int x1) {
        startWindow(s, x0);
        for (int x = x0; x <= x1; ++x) {
            if (x > x0) stepWindow<channels>(s);
            if (!takesPart(x, y)) continue;
            uint8_t medians[kMaxChannels], own[kMaxChannels], result[kMaxChannels];
            for (int ch = 0; ch < channels; ++ch) medians[ch] = median(s, ch);
            const uint8_t* p = srcAt(x, y);
            for (int ch = 0; ch < channels; ++ch) own[ch] = p[ch];
            if (!rule->decide(*rule, medians, own, channels, result)) continue;
            uint8_t* o = g.out + intptr_t(y) * g.outRow + intptr_t(x) * g.outCol;
            for (int ch = 0; ch < channels; ++ch) o[ch] = result[ch];
            if (!g.follow) continue;
            for (int ch = 0; ch < channels; ++ch)
                if (result[ch] != own[ch]) follow(s, x, y, ch, own[ch], result[ch]);
        }
    }

    void setUp(int side, const PixelRule& r) {
        k = side;
        half = side / 2;
        rank = (side * side + 1) / 2;
        rule = &r;
        setCount = 0;
        for (int i = 0; i < kSets; ++i) sets[i] = ColumnSet{sColumnHists[i], 0, false};
    }
};

Scan sScan;  // large: kept out of the stack

struct CapSpan {
    int y, x0, x1;
};
CapSpan sSpans[kMaxSpans];
int sSpanCount;
bool sSpansOverflow;

void collectSpan(void*, int y, int x0, int x1) {
    if (sSpanCount == kMaxSpans) {
        sSpansOverflow = true;
        return;
    }
    sSpans[sSpanCount++] = CapSpan{y, x0, x1};
}

}  // namespace

bool histogramSpan(const SpeckView& v, int k, const PixelRule& rule, bool column, int line, int from,
                   int to) {
    Scan& sc = sScan;
    if (k < 1 || k > kHistogramMaxSide || !gridOf(v, column, sc.g)) return false;
    const Grid& g = sc.g;
    if (line < 0 || line >= g.height) return true;
    int x0 = std::max(from, 0);
    const int x1 = std::min(to, g.width - 1);
    sc.setUp(k, rule);
    sc.setCount = 1;
    // Pieces that fit the work area, each on column histograms taken afresh.
    const int perPiece = kColumns - k + 1;
    while (x0 <= x1) {
        const int last = std::min(x1, x0 + perPiece - 1);
        sc.c0 = clampTo(x0 - sc.half, g.width);
        sc.c1 = clampTo(last - sc.half + k - 1, g.width);
        sc.build(sc.sets[0], line - sc.half);
        sc.span(sc.sets[0], line, x0, last);
        x0 = last + 1;
    }
    return true;
}

bool histogramCap(const SpeckView& v, int k, const PixelRule& rule, int cx, int cy, int size) {
    Scan& sc = sScan;
    if (k < 1 || k > kHistogramMaxSide || !gridOf(v, false, sc.g)) return false;
    const Grid& g = sc.g;
    sSpanCount = 0;
    sSpansOverflow = false;
    walkCapDisc(cx, cy, size, collectSpan, nullptr);
    if (sSpansOverflow) return false;
    // Clipped to the image; the columns all spans' windows need.
    int count = 0, lo = g.width, hi = -1;
    for (int i = 0; i < sSpanCount; ++i) {
        CapSpan s = sSpans[i];
        if (s.y < 0 || s.y >= g.height) continue;
        s.x0 = std::max(s.x0, 0);
        s.x1 = std::min(s.x1, g.width - 1);
        if (s.x0 > s.x1) continue;
        lo = std::min(lo, s.x0);
        hi = std::max(hi, s.x1);
        sSpans[count++] = s;
    }
    if (count == 0) return true;
    sc.setUp(k, rule);
    sc.c0 = clampTo(lo - sc.half, g.width);
    sc.c1 = clampTo(hi - sc.half + k - 1, g.width);
    if (sc.c1 - sc.c0 + 1 > kColumns) return false;
    sc.setCount = kSets;
    for (int i = 0; i < count; ++i) {
        const CapSpan& s = sSpans[i];
        const int top = s.y - sc.half;
        // The set already a row away (the midpoint circle walks four runs of
        // consecutive rows), else a fresh one, else the nearest.
        ColumnSet* pick = nullptr;
        int nearest = 0;
        for (ColumnSet& set : sc.sets)
            if (set.built && (!pick || std::abs(set.top - top) < nearest)) {
                pick = &set;
                nearest = std::abs(set.top - top);
            }
        if (!pick || nearest > 1)
            for (ColumnSet& set : sc.sets)
                if (!set.built) {
                    pick = &set;
                    break;
                }
        sc.moveTo(*pick, top);
        sc.span(*pick, s.y, s.x0, s.x1);
    }
    return true;
}
