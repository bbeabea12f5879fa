#include "core/ByteScan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUILLMERE_UTF8_SSSE3 1
#endif

namespace core {

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed sequence at p (Unicode's table of well-formed byte sequences: no overlong
// forms, no surrogates, nothing past U+10FFFF), or 0 when there is none.
int sequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = p[0];
    const qsizetype left = end - p;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
            return 0;
        if ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] > 0x9F))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        if ((lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

bool isValidUtf8Scalar(QByteArrayView bytes);

#ifdef QUILLMERE_UTF8_SSSE3

// Sixteen bytes at a time with three table look-ups per byte pair (Keiser and Lemire, "Validating UTF-8 in less
// than one instruction per byte"): each look-up yields the errors a pair's first byte's high and low half and its
// second byte's high half allow, and an error bit left in all three is a real one.
constexpr uint8_t kTooShort = 1 << 0;  // a lead or ASCII byte where a continuation must follow
constexpr uint8_t kTooLong = 1 << 1;   // a continuation after ASCII
constexpr uint8_t kOverlong3 = 1 << 2; // E0 80..9F
constexpr uint8_t kTooLarge = 1 << 3;  // past U+10FFFF
constexpr uint8_t kSurrogate = 1 << 4; // ED A0..BF
constexpr uint8_t kOverlong2 = 1 << 5; // C0 or C1 as lead
constexpr uint8_t kTooLarge1000 = 1 << 6;
constexpr uint8_t kOverlong4 = 1 << 6; // F0 80..8F
constexpr uint8_t kTwoConts = 1 << 7;  // a continuation after a continuation, unless a 3rd or 4th byte
constexpr uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

constexpr uint8_t kFirstHigh[16] = {kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTwoConts,
                                    kTwoConts,
                                    kTwoConts,
                                    kTwoConts,
                                    kTooShort | kOverlong2,
                                    kTooShort,
                                    kTooShort | kOverlong3 | kSurrogate,
                                    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
constexpr uint8_t kFirstLow[16] = {kCarry | kOverlong3 | kOverlong2 | kOverlong4,
                                   kCarry | kOverlong2,
                                   kCarry,
                                   kCarry,
                                   kCarry | kTooLarge,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000};
constexpr uint8_t kSecondHigh[16] = {kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
                                     kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
                                     kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
                                     kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort,
                                     kTooShort};

__attribute__((target("ssse3"))) bool isValidUtf8Ssse3(QByteArrayView bytes)
{
    const __m128i firstHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstHigh));
    const __m128i firstLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstLow));
    const __m128i secondHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSecondHigh));
    const __m128i lowHalf = _mm_set1_epi8(0x0F);
    const __m128i thirdLeads = _mm_set1_epi8(char(0xE0 - 0x80));
    const __m128i fourthLeads = _mm_set1_epi8(char(0xF0 - 0x80));
    const __m128i highBit = _mm_set1_epi8(char(0x80));
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    __m128i previous = _mm_setzero_si128();
    __m128i errors = _mm_setzero_si128();
    // The rest after the whole chunks, then ASCII that closes nothing: a sequence cut short by the end shows as an
    // error.
    alignas(16) char rest[32] = {};
    for (int tail = 0; tail < 2 || p < end;) {
        __m128i input;
        if (end - p >= 16) {
            input = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            p += 16;
        } else {
            if (tail == 0 && p < end) {
                memcpy(rest, p, size_t(end - p));
                p = end;
            }
            input = _mm_load_si128(reinterpret_cast<const __m128i*>(rest + 16 * tail++));
        }
        // Every chunk is checked in full: text that mixes scripts would mispredict a branch around ASCII ones.
        const __m128i prev1 = _mm_alignr_epi8(input, previous, 15);
        const __m128i special =
            _mm_and_si128(_mm_and_si128(_mm_shuffle_epi8(firstHigh, _mm_and_si128(_mm_srli_epi16(prev1, 4), lowHalf)),
                                        _mm_shuffle_epi8(firstLow, _mm_and_si128(prev1, lowHalf))),
                          _mm_shuffle_epi8(secondHigh, _mm_and_si128(_mm_srli_epi16(input, 4), lowHalf)));
        // Third and fourth bytes of a sequence must be continuations, where two in a row is no error.
        const __m128i thirdOrFourth = _mm_or_si128(_mm_subs_epu8(_mm_alignr_epi8(input, previous, 14), thirdLeads),
                                                   _mm_subs_epu8(_mm_alignr_epi8(input, previous, 13), fourthLeads));
        errors = _mm_or_si128(errors, _mm_xor_si128(_mm_and_si128(thirdOrFourth, highBit), special));
        previous = input;
    }
    return _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) == 0xFFFF;
}

// The same with thirty-two bytes at a time; a byte's predecessors in the lane below come across the halves.
__attribute__((target("avx2"))) bool isValidUtf8Avx2(QByteArrayView bytes)
{
    const __m256i firstHigh =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstHigh)));
    const __m256i firstLow = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kFirstLow)));
    const __m256i secondHigh =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kSecondHigh)));
    const __m256i lowHalf = _mm256_set1_epi8(0x0F);
    const __m256i thirdLeads = _mm256_set1_epi8(char(0xE0 - 0x80));
    const __m256i fourthLeads = _mm256_set1_epi8(char(0xF0 - 0x80));
    const __m256i highBit = _mm256_set1_epi8(char(0x80));
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    __m256i previous = _mm256_setzero_si256();
    __m256i errors = _mm256_setzero_si256();
    alignas(32) char rest[64] = {};
    for (int tail = 0; tail < 2 || p < end;) {
        __m256i input;
        if (end - p >= 32) {
            input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
            p += 32;
        } else {
            if (tail == 0 && p < end) {
                memcpy(rest, p, size_t(end - p));
                p = end;
            }
            input = _mm256_load_si256(reinterpret_cast<const __m256i*>(rest + 32 * tail++));
        }
        const __m256i carried = _mm256_permute2x128_si256(previous, input, 0x21);
        const __m256i prev1 = _mm256_alignr_epi8(input, carried, 15);
        const __m256i special = _mm256_and_si256(
            _mm256_and_si256(_mm256_shuffle_epi8(firstHigh, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), lowHalf)),
                             _mm256_shuffle_epi8(firstLow, _mm256_and_si256(prev1, lowHalf))),
            _mm256_shuffle_epi8(secondHigh, _mm256_and_si256(_mm256_srli_epi16(input, 4), lowHalf)));
        const __m256i thirdOrFourth =
            _mm256_or_si256(_mm256_subs_epu8(_mm256_alignr_epi8(input, carried, 14), thirdLeads),
                            _mm256_subs_epu8(_mm256_alignr_epi8(input, carried, 13), fourthLeads));
        errors = _mm256_or_si256(errors, _mm256_xor_si256(_mm256_and_si256(thirdOrFourth, highBit), special));
        previous = input;
    }
    return _mm256_testz_si256(errors, errors) != 0;
}

#endif

} // namespace

bool isValidUtf8(QByteArrayView bytes)
{
#ifdef QUILLMERE_UTF8_SSSE3
    static const bool avx2 = __builtin_cpu_supports("avx2");
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (avx2)
        return isValidUtf8Avx2(bytes);
    if (ssse3)
        return isValidUtf8Ssse3(bytes);
#endif
    return isValidUtf8Scalar(bytes);
}

namespace {

bool isValidUtf8Scalar(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
#ifdef __SSE2__
        while (end - p >= 16) {
            const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            if (high != 0) {
                p += __builtin_ctz(unsigned(high));
                break;
            }
            p += 16;
        }
        if (p == end)
            break;
#endif
        // Byte by byte while the text is not ASCII, as words of other scripts come in runs.
        do {
            if (*p < 0x80) {
                ++p;
                break;
            }
            const int length = sequenceLength(p, end);
            if (length == 0)
                return false;
            p += length;
        } while (p < end);
    }
    return true;
}

} // namespace

qsizetype countByte(QByteArrayView bytes, char byte)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    qsizetype count = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(byte);
    while (end - p >= 16) {
        // Per byte lane a count that cannot pass 255 before it is added up.
        const char* const stop = p + std::min<qsizetype>((end - p) / 16, 255) * 16;
        __m128i lanes = _mm_setzero_si128();
        for (; p < stop; p += 16) {
            const __m128i equal = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), wanted);
            lanes = _mm_sub_epi8(lanes, equal);
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    }
#endif
    return count + std::count(p, end, byte);
}

} // namespace core
