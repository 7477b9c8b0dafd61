#pragma once

// The name reader's byte searches, sixteen bytes at a time (SSE2, which every
// x86-64 processor has): lists are mostly short lines, and some C runtimes'
// memchr looks at one byte at a time. Inline, since the reader calls them
// once per line.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

namespace varnel {

inline __m128i LoadSixteenBytes(const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// The first `byte` in [begin, end), or end.
inline const char* FindByte(const char* begin, const char* end, char byte)
{
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; end - begin >= 16; begin += 16) {
        const auto matches =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(LoadSixteenBytes(begin), wanted)));
        if (matches != 0)
            return begin + std::countr_zero(matches);
    }
    return std::find(begin, end, byte);
}

// The number of LF bytes in [begin, end).
inline std::int64_t CountLineFeeds(const char* begin, const char* end)
{
    constexpr char kLineFeed = '\n';
    constexpr std::ptrdiff_t kMaxBlocks = 255;  // a byte counter holds up to 255
    const __m128i feed = _mm_set1_epi8(kLineFeed);
    std::int64_t feeds = 0;
    while (end - begin >= 16) {
        __m128i counters = _mm_setzero_si128();
        const char* stop = begin + std::min((end - begin) / 16, kMaxBlocks) * 16;
        for (; begin != stop; begin += 16)
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(LoadSixteenBytes(begin), feed));  // a match is -1
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        feeds += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
    return feeds + std::count(begin, end, kLineFeed);
}

}  // namespace varnel
