// Vector loops of the canvas conversion.
//
// Every loop converts two pixel rows at a time (pixels are 32-bit: blue, green, red, unused) and
// keeps the arithmetic exact: each intermediate is shown to stay inside its lane width, and
// the final shifts are the flooring shifts of the plain formulas, so the bytes equal the plain
// conversion. A loop leaves the columns it cannot fill a whole vector with to a narrower loop
// or to the caller.

#include "render/yuv_converter_simd.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define PICTAVO_YUV_X86 1
#endif

namespace pictavo::yuv {

#if PICTAVO_YUV_X86
namespace {

// Packed 16-bit coefficient pairs (low word first).
constexpr int pair(int low, int high)
{
    return int((unsigned(high) & 0xFFFFu) << 16 | (unsigned(low) & 0xFFFFu));
}
constexpr int kLumaBR = pair(25, 66);
constexpr int kLumaGX = pair(129, 0);
constexpr int kCbBR = pair(112, -38);
constexpr int kCbGX = pair(-74, 0);
constexpr int kCrBR = pair(-18, 112);
constexpr int kCrGX = pair(-94, 0);

void store32(std::uint8_t* to, __m128i v)
{
    const int bits = _mm_cvtsi128_si32(v);
    std::memcpy(to, &bits, 4);
}

// SSE2: the pixels split into 16-bit lanes (blue/red and green/unused), luma from two
// 16-bit multiply-adds per pixel, chroma from the 2 x 2 sums of each channel (at most 1020)
// with two multiply-adds per block.
int sse2RowPair(const std::uint8_t* row0, const std::uint8_t* row1, std::uint8_t* luma0,
                std::uint8_t* luma1, std::uint8_t* cb, std::uint8_t* cr, int width)
{
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i lumaBR = _mm_set1_epi32(kLumaBR);
    const __m128i lumaGX = _mm_set1_epi32(kLumaGX);
    const __m128i cbBR = _mm_set1_epi32(kCbBR);
    const __m128i cbGX = _mm_set1_epi32(kCbGX);
    const __m128i crBR = _mm_set1_epi32(kCrBR);
    const __m128i crGX = _mm_set1_epi32(kCrGX);
    const __m128i lumaOffset = _mm_set1_epi8(16);
    const __m128i chromaOffset = _mm_set1_epi8(char(0x80));

    auto luma = [&](__m128i br, __m128i gx) {
        return _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(br, lumaBR), _mm_madd_epi16(gx, lumaGX)),
                              8);
    };
    auto pairSum = [](__m128i a, __m128i b) {
        // Sums of neighbouring pixels: a holds columns 0-3, b columns 4-7.
        const __m128 fa = _mm_castsi128_ps(a);
        const __m128 fb = _mm_castsi128_ps(b);
        return _mm_add_epi16(_mm_castps_si128(_mm_shuffle_ps(fa, fb, 0x88)),
                             _mm_castps_si128(_mm_shuffle_ps(fa, fb, 0xDD)));
    };

    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i p00 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + x * 4));
        const __m128i p01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + x * 4 + 16));
        const __m128i p10 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1 + x * 4));
        const __m128i p11 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1 + x * 4 + 16));
        const __m128i br00 = _mm_and_si128(p00, lowBytes);
        const __m128i br01 = _mm_and_si128(p01, lowBytes);
        const __m128i br10 = _mm_and_si128(p10, lowBytes);
        const __m128i br11 = _mm_and_si128(p11, lowBytes);
        const __m128i gx00 = _mm_srli_epi16(p00, 8);
        const __m128i gx01 = _mm_srli_epi16(p01, 8);
        const __m128i gx10 = _mm_srli_epi16(p10, 8);
        const __m128i gx11 = _mm_srli_epi16(p11, 8);

        const __m128i y0 = _mm_packs_epi32(luma(br00, gx00), luma(br01, gx01));
        const __m128i y1 = _mm_packs_epi32(luma(br10, gx10), luma(br11, gx11));
        const __m128i y = _mm_add_epi8(_mm_packus_epi16(y0, y1), lumaOffset);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(luma0 + x), y);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(luma1 + x), _mm_unpackhi_epi64(y, y));

        const __m128i br = pairSum(_mm_add_epi16(br00, br10), _mm_add_epi16(br01, br11));
        const __m128i gx = pairSum(_mm_add_epi16(gx00, gx10), _mm_add_epi16(gx01, gx11));
        const __m128i u =
            _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(br, cbBR), _mm_madd_epi16(gx, cbGX)), 10);
        const __m128i v =
            _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(br, crBR), _mm_madd_epi16(gx, crGX)), 10);
        __m128i uv = _mm_packs_epi32(u, v);
        uv = _mm_xor_si128(_mm_packs_epi16(uv, uv), chromaOffset);
        store32(cb + x / 2, uv);
        store32(cr + x / 2, _mm_srli_epi64(uv, 32));
    }
    return x;
}

// Four signed bytes packed into a 32-bit lane (byte 0 first): the per-pixel weights of the
// blue, green, red and unused bytes for the byte multiply-adds.
constexpr int bytes4(int b0, int b1, int b2, int b3)
{
    return int((unsigned(b3) & 0xFFu) << 24 | (unsigned(b2) & 0xFFu) << 16 |
               (unsigned(b1) & 0xFFu) << 8 | (unsigned(b0) & 0xFFu));
}

// Chroma with halved weights: M = 56 sB - 37 sG - 19 sR (and -9, -47, 56 for Cr) is half the
// plain sum, and floor(M / 512) = floor(2 M / 1024). Per pixel and row pair the halved terms
// stay within 16 bits (|56 B - 37 G| <= 14280, doubled over two rows <= 28560).
constexpr int kCbHalf = bytes4(56, -37, -19, 0);
constexpr int kCrHalf = bytes4(-9, -47, 56, 0);

#define PICTAVO_AVX2 __attribute__((target("avx2")))

// Stores 16 luma bytes of each row from the scaled sums 25 B + 129 G + 66 R (32-bit lanes,
// at most 56100, so they pack into unsigned 16 bits before the shift).
PICTAVO_AVX2 inline void avx2StoreLuma(__m256i sum00, __m256i sum01, __m256i sum10, __m256i sum11,
                                       std::uint8_t* luma0, std::uint8_t* luma1)
{
    const __m256i y0 = _mm256_srli_epi16(_mm256_packus_epi32(sum00, sum01), 8);
    const __m256i y1 = _mm256_srli_epi16(_mm256_packus_epi32(sum10, sum11), 8);
    // The packs interleave the two 128-bit halves; 32-bit lanes 0,4,1,5,... restore the order.
    const __m256i y = _mm256_permutevar8x32_epi32(
        _mm256_add_epi8(_mm256_packus_epi16(y0, y1), _mm256_set1_epi8(16)),
        _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(luma0), _mm256_castsi256_si128(y));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(luma1), _mm256_extracti128_si256(y, 1));
}

// Stores 8 Cb and 8 Cr bytes from the halved chroma terms of 16 columns (both rows summed,
// 32-bit lanes; a holds columns 0-7, b columns 8-15).
PICTAVO_AVX2 inline void avx2StoreChroma(__m256i cbA, __m256i cbB, __m256i crA, __m256i crB,
                                         std::uint8_t* cb, std::uint8_t* cr)
{
    // Column terms fit 16 bits; one multiply-add by 1 adds the two columns of each block.
    // Blocks come out in the order 0,1,4,5 | 2,3,6,7.
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i u = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_packs_epi32(cbA, cbB), ones), 9);
    const __m256i v = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_packs_epi32(crA, crB), ones), 9);
    __m256i uv = _mm256_packs_epi32(u, v);
    uv = _mm256_xor_si256(_mm256_packs_epi16(uv, uv), _mm256_set1_epi8(char(0x80)));
    const __m256i halves =
        _mm256_permutevar8x32_epi32(uv, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    const __m128i ordered =
        _mm_shuffle_epi8(_mm256_castsi256_si128(halves),
                         _mm_setr_epi8(0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(cb), ordered);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(cr), _mm_unpackhi_epi64(ordered, ordered));
}

PICTAVO_AVX2 inline __m256i avx2Load(const std::uint8_t* at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// Luma by byte multiply-add: the bytes B,G,G,R of each pixel weighted 25, 80, 49, 66 give two
// non-negative 16-bit terms (at most 26775 and 29325) whose sum is the scaled luma.
PICTAVO_AVX2 inline __m256i avx2LumaSum(__m256i pixels)
{
    const __m256i bggr = _mm256_setr_epi8(0, 1, 1, 2, 4, 5, 5, 6, 8, 9, 9, 10, 12, 13, 13, 14, 0, 1,
                                          1, 2, 4, 5, 5, 6, 8, 9, 9, 10, 12, 13, 13, 14);
    const __m256i terms = _mm256_maddubs_epi16(_mm256_shuffle_epi8(pixels, bggr),
                                               _mm256_set1_epi32(bytes4(25, 80, 49, 66)));
    return _mm256_madd_epi16(terms, _mm256_set1_epi16(1));
}

// Halved chroma terms of the columns of two rows.
PICTAVO_AVX2 inline __m256i avx2ColumnTerms(__m256i top, __m256i bottom, int weights)
{
    const __m256i w = _mm256_set1_epi32(weights);
    return _mm256_madd_epi16(
        _mm256_add_epi16(_mm256_maddubs_epi16(top, w), _mm256_maddubs_epi16(bottom, w)),
        _mm256_set1_epi16(1));
}

PICTAVO_AVX2 int avx2RowPair(const std::uint8_t* row0, const std::uint8_t* row1,
                             std::uint8_t* luma0, std::uint8_t* luma1, std::uint8_t* cb,
                             std::uint8_t* cr, int width)
{
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i p00 = avx2Load(row0 + x * 4);
        const __m256i p01 = avx2Load(row0 + x * 4 + 32);
        const __m256i p10 = avx2Load(row1 + x * 4);
        const __m256i p11 = avx2Load(row1 + x * 4 + 32);
        avx2StoreLuma(avx2LumaSum(p00), avx2LumaSum(p01), avx2LumaSum(p10), avx2LumaSum(p11),
                      luma0 + x, luma1 + x);
        avx2StoreChroma(avx2ColumnTerms(p00, p10, kCbHalf), avx2ColumnTerms(p01, p11, kCbHalf),
                        avx2ColumnTerms(p00, p10, kCrHalf), avx2ColumnTerms(p01, p11, kCrHalf),
                        cb + x / 2, cr + x / 2);
    }
    return x + sse2RowPair(row0 + x * 4, row1 + x * 4, luma0 + x, luma1 + x, cb + x / 2, cr + x / 2,
                           width - x);
}

// With byte dot products (VNNI) each 4-byte pixel takes one instruction per sum: luma as
// 256 G (masked out of the pixel) + 25 B - 127 G + 66 R, exact in 32 bits; the halved chroma
// terms accumulated over both rows of a column.
#define PICTAVO_VNNI __attribute__((target("avx2,avx512vnni,avx512vl")))

PICTAVO_VNNI inline __m256i vnniLumaSum(__m256i pixels)
{
    const __m256i green256 = _mm256_and_si256(pixels, _mm256_set1_epi32(0x0000FF00));
    return _mm256_dpbusd_epi32(green256, pixels, _mm256_set1_epi32(bytes4(25, -127, 66, 0)));
}

PICTAVO_VNNI inline __m256i vnniColumnTerms(__m256i top, __m256i bottom, int weights)
{
    const __m256i w = _mm256_set1_epi32(weights);
    return _mm256_dpbusd_epi32(_mm256_dpbusd_epi32(_mm256_setzero_si256(), top, w), bottom, w);
}

PICTAVO_VNNI int vnniRowPair(const std::uint8_t* row0, const std::uint8_t* row1,
                             std::uint8_t* luma0, std::uint8_t* luma1, std::uint8_t* cb,
                             std::uint8_t* cr, int width)
{
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i p00 = avx2Load(row0 + x * 4);
        const __m256i p01 = avx2Load(row0 + x * 4 + 32);
        const __m256i p10 = avx2Load(row1 + x * 4);
        const __m256i p11 = avx2Load(row1 + x * 4 + 32);
        avx2StoreLuma(vnniLumaSum(p00), vnniLumaSum(p01), vnniLumaSum(p10), vnniLumaSum(p11),
                      luma0 + x, luma1 + x);
        avx2StoreChroma(vnniColumnTerms(p00, p10, kCbHalf), vnniColumnTerms(p01, p11, kCbHalf),
                        vnniColumnTerms(p00, p10, kCrHalf), vnniColumnTerms(p01, p11, kCrHalf),
                        cb + x / 2, cr + x / 2);
    }
    return x + sse2RowPair(row0 + x * 4, row1 + x * 4, luma0 + x, luma1 + x, cb + x / 2, cr + x / 2,
                           width - x);
}

// The same on 512-bit vectors; the last 16-column piece goes to the 256-bit loop.
// (GCC 12 warns about the deliberately undefined pass-through operand inside some 512-bit
// intrinsics in unoptimised builds.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define PICTAVO_VNNI512 __attribute__((target("avx2,avx512f,avx512bw,avx512vnni,avx512vl")))

PICTAVO_VNNI512 int vnni512RowPair(const std::uint8_t* row0, const std::uint8_t* row1,
                                   std::uint8_t* luma0, std::uint8_t* luma1, std::uint8_t* cb,
                                   std::uint8_t* cr, int width)
{
    const __m512i greenBits = _mm512_set1_epi32(0x0000FF00);
    const __m512i lumaTerms = _mm512_set1_epi32(bytes4(25, -127, 66, 0));
    const __m512i cbTerms = _mm512_set1_epi32(kCbHalf);
    const __m512i crTerms = _mm512_set1_epi32(kCrHalf);
    const __m512i ones = _mm512_set1_epi16(1);
    const __m512i zero = _mm512_setzero_si512();
    const __m512i lumaOffset = _mm512_set1_epi8(16);
    const __m512i chromaOffset = _mm512_set1_epi8(char(0x80));
    // Undo the per-128-bit interleave of the packs: luma by 32-bit lanes, chroma by 16-bit
    // lanes (Cb words first, then Cr).
    const __m512i lumaOrder =
        _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m512i chromaOrder =
        _mm512_set_epi16(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 27, 19, 11, 3, 26, 18, 10,
                         2, 25, 17, 9, 1, 24, 16, 8, 0);

    int x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m512i p00 = _mm512_loadu_si512(row0 + x * 4);
        const __m512i p01 = _mm512_loadu_si512(row0 + x * 4 + 64);
        const __m512i p10 = _mm512_loadu_si512(row1 + x * 4);
        const __m512i p11 = _mm512_loadu_si512(row1 + x * 4 + 64);

        const __m512i l00 = _mm512_dpbusd_epi32(_mm512_and_si512(p00, greenBits), p00, lumaTerms);
        const __m512i l01 = _mm512_dpbusd_epi32(_mm512_and_si512(p01, greenBits), p01, lumaTerms);
        const __m512i l10 = _mm512_dpbusd_epi32(_mm512_and_si512(p10, greenBits), p10, lumaTerms);
        const __m512i l11 = _mm512_dpbusd_epi32(_mm512_and_si512(p11, greenBits), p11, lumaTerms);
        const __m512i y0 = _mm512_srli_epi16(_mm512_packus_epi32(l00, l01), 8);
        const __m512i y1 = _mm512_srli_epi16(_mm512_packus_epi32(l10, l11), 8);
        const __m512i y = _mm512_permutexvar_epi32(
            lumaOrder, _mm512_add_epi8(_mm512_packus_epi16(y0, y1), lumaOffset));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(luma0 + x), _mm512_castsi512_si256(y));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(luma1 + x), _mm512_extracti64x4_epi64(y, 1));

        const __m512i ua =
            _mm512_dpbusd_epi32(_mm512_dpbusd_epi32(zero, p00, cbTerms), p10, cbTerms);
        const __m512i ub =
            _mm512_dpbusd_epi32(_mm512_dpbusd_epi32(zero, p01, cbTerms), p11, cbTerms);
        const __m512i va =
            _mm512_dpbusd_epi32(_mm512_dpbusd_epi32(zero, p00, crTerms), p10, crTerms);
        const __m512i vb =
            _mm512_dpbusd_epi32(_mm512_dpbusd_epi32(zero, p01, crTerms), p11, crTerms);
        const __m512i u = _mm512_srai_epi32(_mm512_madd_epi16(_mm512_packs_epi32(ua, ub), ones), 9);
        const __m512i v = _mm512_srai_epi32(_mm512_madd_epi16(_mm512_packs_epi32(va, vb), ones), 9);
        __m512i uv = _mm512_packs_epi32(u, v);
        uv = _mm512_xor_si512(_mm512_packs_epi16(uv, uv), chromaOffset);
        const __m256i ordered = _mm512_castsi512_si256(_mm512_permutexvar_epi16(chromaOrder, uv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x / 2), _mm256_castsi256_si128(ordered));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + x / 2),
                         _mm256_extracti128_si256(ordered, 1));
    }
    return x + vnniRowPair(row0 + x * 4, row1 + x * 4, luma0 + x, luma1 + x, cb + x / 2, cr + x / 2,
                           width - x);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

} // namespace

RowPairLoop simdRowPairLoop(Loop loop)
{
    switch (loop) {
    case Loop::Sse2:
        return sse2RowPair;
    case Loop::Avx2:
        return __builtin_cpu_supports("avx2") ? avx2RowPair : nullptr;
    case Loop::Avx512Vnni:
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vnni") &&
                       __builtin_cpu_supports("avx512vl")
                   ? vnni512RowPair
                   : nullptr;
    case Loop::Avx2Vnni:
        return __builtin_cpu_supports("avx512vnni") && __builtin_cpu_supports("avx512vl")
                   ? vnniRowPair
                   : nullptr;
    default:
        return nullptr;
    }
}

#else

RowPairLoop simdRowPairLoop(Loop)
{
    return nullptr;
}

#endif

} // namespace pictavo::yuv
