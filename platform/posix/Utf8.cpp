#include "Utf8.hpp"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora::platform::detail {
namespace {

constexpr std::uint64_t asciiMask8 = 0x8080808080808080ULL;  // eight bytes
constexpr std::uint64_t asciiMask16 = 0xFF80FF80FF80FF80ULL; // four units
constexpr Unit replacement = 0xFFFD;

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

bool IsHigh(Unit u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLow(Unit u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The number of bytes of the ill-formed part at `p` (`left` bytes remain) that
// make one U+FFFD; see Utf8Decode.
std::size_t IllFormedLength(const unsigned char* p, std::size_t left)
{
    const unsigned char lead = p[0];
    const std::size_t need = lead >= 0xC2 && lead <= 0xDF   ? 1
                             : lead >= 0xE0 && lead <= 0xEF ? 2
                             : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                            : 0;
    if (need == 0)
        return 1;
    if (need >= left)
        return left;
    const unsigned char second = p[1];
    if (!IsContinuation(second))
        return 1;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 2;
    std::size_t length = 2;
    while (length <= need && IsContinuation(p[length]))
        ++length;
    return length;
}

// The general decoder, for text with ill-formed parts (and systems without SSE2;
// well-formed text takes ScanWellFormed and DecodeWellFormed).
//
// How a byte begins a sequence: its length (0: it begins none) and the range of
// the byte after it, in one table lookup instead of a chain of comparisons.
struct Lead {
    unsigned char length;
    unsigned char low;
    unsigned char high;
    unsigned char mask; // the lead's own bits of the value
};

constexpr Lead LeadOf(unsigned b)
{
    if (b < 0x80)
        return {1, 0x00, 0xFF, 0x7F};
    if (b >= 0xC2 && b <= 0xDF)
        return {2, 0x80, 0xBF, 0x1F};
    if (b >= 0xE0 && b <= 0xEF)
        return {3, static_cast<unsigned char>(b == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(b == 0xED ? 0x9F : 0xBF), 0x0F};
    if (b >= 0xF0 && b <= 0xF4)
        return {4, static_cast<unsigned char>(b == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(b == 0xF4 ? 0x8F : 0xBF), 0x07};
    return {0, 0, 0, 0};
}

struct LeadTable {
    Lead entries[256];
    constexpr LeadTable() : entries()
    {
        for (unsigned b = 0; b < 256; ++b)
            entries[b] = LeadOf(b);
    }
};

constexpr LeadTable leads;

// The well-formed sequence at `s` (at least four bytes readable): its length and
// value, or a length of 0.
struct Sequence {
    std::size_t length;
    std::uint32_t value;
};

Sequence ReadWellFormed(const unsigned char* s)
{
    const Lead lead = leads.entries[s[0]];
    const std::size_t length = lead.length;
    const unsigned c1 = s[1];
    const unsigned c2 = s[2];
    const unsigned c3 = s[3];
    // Bytes beyond the sequence count as continuations, so one test covers every length.
    const bool ok = length != 0 && (length < 2 || (c1 >= lead.low && c1 <= lead.high)) &&
                    (length < 3 || IsContinuation(static_cast<unsigned char>(c2))) &&
                    (length < 4 || IsContinuation(static_cast<unsigned char>(c3)));
    if (!ok)
        return {0, 0};
    const std::uint32_t all =
        (std::uint32_t(s[0] & lead.mask) << 18) | ((c1 & 0x3Fu) << 12) | ((c2 & 0x3Fu) << 6) | (c3 & 0x3Fu);
    return {length, all >> (6 * (4 - length))};
}

// One loop for counting (Write false) and converting (Write true); a converting
// caller has made sure that the units fit.
template <bool Write> std::size_t Decode(const unsigned char* s, std::size_t n, Unit* out)
{
    std::size_t i = 0;
    std::size_t u = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s + i, sizeof word);
            if ((word & asciiMask8) == 0) {
                if constexpr (Write) {
                    for (std::size_t k = 0; k < 8; ++k)
                        out[u + k] = s[i + k];
                }
                i += 8;
                u += 8;
                continue;
            }
        }
        Sequence sequence{0, 0};
        if (i + 4 <= n) {
            sequence = ReadWellFormed(s + i);
        } else {
            // The last bytes: copied behind zero bytes, which never continue a sequence.
            unsigned char tail[4] = {0, 0, 0, 0};
            std::memcpy(tail, s + i, n - i);
            sequence = ReadWellFormed(tail);
            if (sequence.length > n - i)
                sequence = {0, 0};
        }
        if (sequence.length == 0) {
            if constexpr (Write)
                out[u] = replacement;
            ++u;
            i += IllFormedLength(s + i, n - i);
        } else if (sequence.value < 0x10000) {
            if constexpr (Write)
                out[u] = static_cast<Unit>(sequence.value);
            ++u;
            i += sequence.length;
        } else {
            if constexpr (Write) {
                out[u] = static_cast<Unit>(0xD800 + ((sequence.value - 0x10000) >> 10));
                out[u + 1] = static_cast<Unit>(0xDC00 + ((sequence.value - 0x10000) & 0x3FF));
            }
            u += 2;
            i += sequence.length;
        }
    }
    return u;
}

// Text known to be well-formed, to units: no checks but the sequence length.
std::size_t DecodeWellFormed(const unsigned char* s, std::size_t n, Unit* out)
{
    std::size_t i = 0;
    std::size_t u = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s + i, sizeof word);
            if ((word & asciiMask8) == 0) {
                for (std::size_t k = 0; k < 8; ++k)
                    out[u + k] = s[i + k];
                i += 8;
                u += 8;
                continue;
            }
        }
        const unsigned lead = s[i];
        if (lead < 0x80) {
            out[u++] = static_cast<Unit>(lead);
            i += 1;
        } else if (lead < 0xE0) {
            out[u++] = static_cast<Unit>(((lead & 0x1F) << 6) | (s[i + 1] & 0x3F));
            i += 2;
        } else if (lead < 0xF0) {
            out[u++] =
                static_cast<Unit>(((lead & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
            i += 3;
        } else {
            const std::uint32_t value = (((lead & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) |
                                         ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu)) -
                                        0x10000;
            out[u] = static_cast<Unit>(0xD800 + (value >> 10));
            out[u + 1] = static_cast<Unit>(0xDC00 + (value & 0x3FF));
            u += 2;
            i += 4;
        }
    }
    return u;
}

#if defined(__SSE2__)
// Whether the text is well-formed, and then its unit count, sixteen bytes at a
// time: every continuation byte must be owed by the lead bytes before it (and
// every byte owed must be one), and the leads E0, ED, F0, F4 limit the byte after
// them. A unit per byte that is no continuation, a second one per four-byte lead.
bool ScanWellFormed(const unsigned char* s, std::size_t n, std::size_t* units)
{
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i one = _mm_set1_epi8(1);
    const auto below = [](__m128i x, int value) {
        return _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(value)));
    };
    const auto above = [](__m128i x, int value) {
        return _mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(value)));
    };
    const auto bits = [](__m128i m) { return static_cast<std::uint32_t>(_mm_movemask_epi8(m)); };

    __m128i continuations = _mm_setzero_si128(); // per-lane sums
    __m128i fourByteLeads = _mm_setzero_si128();
    std::uint32_t owed = 0;   // continuation bytes owed to the next block
    std::uint32_t limits = 0; // bit 0..3: the last byte was E0, ED, F0, F4
    std::uint32_t errors = 0;
    for (std::size_t i = 0; i < n; i += 16) {
        __m128i v;
        if (i + 16 <= n) {
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        } else {
            // Zero bytes behind the end: owing a continuation to one is an error.
            alignas(16) unsigned char tail[16] = {};
            std::memcpy(tail, s + i, n - i);
            v = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
        }
        const std::uint32_t high = bits(v);
        if (high == 0 && owed == 0)
            continue;
        // Signed order of b ^ 80 is the unsigned order of b.
        const __m128i x = _mm_xor_si128(v, flip);
        const __m128i isContinuation = _mm_and_si128(above(x, -1), below(x, 0x40));
        const __m128i isFourByteLead = above(x, 0x6F);
        const std::uint32_t cont = bits(isContinuation);
        const std::uint32_t lead2 = bits(above(x, 0x3F));
        const std::uint32_t lead3 = bits(above(x, 0x5F));
        const std::uint32_t lead4 = bits(isFourByteLead);
        const std::uint32_t need = (lead2 << 1) | (lead3 << 2) | (lead4 << 3) | owed;
        errors |= (need & 0xFFFF) ^ cont;
        owed = need >> 16;
        // C0, C1 and F5 to FF begin nothing.
        errors |= bits(_mm_or_si128(_mm_and_si128(above(x, 0x3F), below(x, 0x42)), above(x, 0x74)));
        const __m128i isE0 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xE0)));
        const __m128i isED = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xED)));
        const __m128i isF0 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xF0)));
        const __m128i isF4 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xF4)));
        if ((bits(_mm_or_si128(_mm_or_si128(isE0, isED), _mm_or_si128(isF0, isF4))) | limits) != 0) {
            const std::uint32_t e0 = bits(isE0);
            const std::uint32_t ed = bits(isED);
            const std::uint32_t f0 = bits(isF0);
            const std::uint32_t f4 = bits(isF4);
            const std::uint32_t belowA0 = bits(below(x, 0x20));
            const std::uint32_t below90 = bits(below(x, 0x10));
            errors |=
                ((((e0 << 1) | (limits & 1)) & belowA0) | (((ed << 1) | ((limits >> 1) & 1)) & ~belowA0) |
                 (((f0 << 1) | ((limits >> 2) & 1)) & below90) |
                 (((f4 << 1) | ((limits >> 3) & 1)) & ~below90)) &
                0xFFFF;
            limits = ((e0 >> 15) & 1) | (((ed >> 15) & 1) << 1) | (((f0 >> 15) & 1) << 2) |
                     (((f4 >> 15) & 1) << 3);
        }
        continuations = _mm_add_epi64(continuations,
                                      _mm_sad_epu8(_mm_and_si128(isContinuation, one), _mm_setzero_si128()));
        fourByteLeads = _mm_add_epi64(fourByteLeads,
                                      _mm_sad_epu8(_mm_and_si128(isFourByteLead, one), _mm_setzero_si128()));
    }
    if (errors != 0 || owed != 0)
        return false;
    alignas(16) std::uint64_t sums[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), continuations);
    const std::uint64_t cont = sums[0] + sums[1];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), fourByteLeads);
    const std::uint64_t four = sums[0] + sums[1];
    *units = n - cont + four;
    return true;
}
#else
bool ScanWellFormed(const unsigned char*, std::size_t, std::size_t*)
{
    return false; // the general loop decides
}
#endif

// The bytes of one unit (or of a surrogate pair, then `step` is 2).
std::size_t EncodedLength(const Unit* s, std::size_t i, std::size_t n, std::size_t* step)
{
    const Unit unit = s[i];
    *step = 1;
    if (unit < 0x80)
        return 1;
    if (unit < 0x800)
        return 2;
    if (IsHigh(unit) && i + 1 < n && IsLow(s[i + 1])) {
        *step = 2;
        return 4;
    }
    return 3; // lone surrogates become U+FFFD
}

std::size_t CountBytes(const Unit* s, std::size_t n)
{
    std::size_t bytes = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Eight units at a time: one byte each, one more from U+0080, one more from
    // U+0800. Blocks holding surrogates are counted unit by unit.
    const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
    const auto above = [](__m128i x, int value) {
        return _mm_cmpgt_epi16(x, _mm_set1_epi16(static_cast<short>(value ^ 0x8000)));
    };
    const auto below = [](__m128i x, int value) {
        return _mm_cmplt_epi16(x, _mm_set1_epi16(static_cast<short>(value ^ 0x8000)));
    };
    __m128i extra = _mm_setzero_si128(); // per lane, at most 2 per block
    std::size_t blocks = 0;
    const auto flush = [&] {
        alignas(16) std::int32_t sums[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_madd_epi16(extra, _mm_set1_epi16(1)));
        bytes += static_cast<std::size_t>(sums[0]) + static_cast<std::size_t>(sums[1]) +
                 static_cast<std::size_t>(sums[2]) + static_cast<std::size_t>(sums[3]);
        extra = _mm_setzero_si128();
        blocks = 0;
    };
    while (i + 8 <= n) {
        const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), flip);
        if (_mm_movemask_epi8(_mm_and_si128(above(x, 0xD7FF), below(x, 0xE000))) != 0) {
            const std::size_t end = i + 8;
            while (i < end) {
                std::size_t step;
                bytes += EncodedLength(s, i, n, &step);
                i += step;
            }
            continue;
        }
        extra = _mm_sub_epi16(extra, above(x, 0x7F));
        extra = _mm_sub_epi16(extra, above(x, 0x7FF));
        bytes += 8;
        i += 8;
        if (++blocks == 8192)
            flush();
    }
    flush();
#endif
    while (i < n) {
        std::size_t step;
        bytes += EncodedLength(s, i, n, &step);
        i += step;
    }
    return bytes;
}

// Writes while the bytes fit in `capacity`; 0 when they do not.
std::size_t Encode(const Unit* s, std::size_t n, unsigned char* out, std::size_t capacity)
{
    std::size_t i = 0;
    std::size_t b = 0;
    while (i < n) {
        if (i + 4 <= n && b + 4 <= capacity) {
            std::uint64_t word;
            std::memcpy(&word, s + i, sizeof word);
            if ((word & asciiMask16) == 0) {
                for (std::size_t k = 0; k < 4; ++k)
                    out[b + k] = static_cast<unsigned char>(s[i + k]);
                i += 4;
                b += 4;
                continue;
            }
        }
        std::size_t step;
        const std::size_t length = EncodedLength(s, i, n, &step);
        if (b + length > capacity)
            return 0;
        const Unit unit = s[i];
        if (length == 1) {
            out[b] = static_cast<unsigned char>(unit);
        } else if (length == 2) {
            out[b] = static_cast<unsigned char>(0xC0 | (unit >> 6));
            out[b + 1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        } else if (length == 4) {
            const std::uint32_t value = 0x10000 + ((unit - 0xD800u) << 10) + (s[i + 1] - 0xDC00u);
            out[b] = static_cast<unsigned char>(0xF0 | (value >> 18));
            out[b + 1] = static_cast<unsigned char>(0x80 | ((value >> 12) & 0x3F));
            out[b + 2] = static_cast<unsigned char>(0x80 | ((value >> 6) & 0x3F));
            out[b + 3] = static_cast<unsigned char>(0x80 | (value & 0x3F));
        } else {
            const Unit written = (IsHigh(unit) || IsLow(unit)) ? replacement : unit;
            out[b] = static_cast<unsigned char>(0xE0 | (written >> 12));
            out[b + 1] = static_cast<unsigned char>(0x80 | ((written >> 6) & 0x3F));
            out[b + 2] = static_cast<unsigned char>(0x80 | (written & 0x3F));
        }
        b += length;
        i += step;
    }
    return b;
}

} // namespace

std::size_t Utf8Decode(const unsigned char* source, std::size_t count, Unit* target, std::size_t capacity)
{
    std::size_t units = 0;
    if (ScanWellFormed(source, count, &units)) {
        if (target == nullptr)
            return units;
        return units > capacity ? 0 : DecodeWellFormed(source, count, target);
    }
    if (target == nullptr)
        return Decode<false>(source, count, nullptr);
    // Every unit takes at least one byte, so a capacity of the byte count needs no sizing pass.
    if (capacity < count && Decode<false>(source, count, nullptr) > capacity)
        return 0;
    return Decode<true>(source, count, target);
}

std::size_t Utf8Encode(const Unit* source, std::size_t count, char* target, std::size_t capacity)
{
    if (target == nullptr)
        return CountBytes(source, count);
    return Encode(source, count, reinterpret_cast<unsigned char*>(target), capacity);
}

} // namespace velmora::platform::detail
