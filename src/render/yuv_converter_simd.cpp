// Vector loops of the canvas conversion.
//
// Every loop works on two pixel rows at a time and keeps the arithmetic exact: the pixels are
// split into 16-bit lanes (blue/red and green/unused of each pixel), luma comes from two
// 16-bit multiply-and-adds per pixel, and chroma from the 2 x 2 sums of each channel (at most
// 1020) with two multiply-and-adds per block. No intermediate exceeds 32 bits and the final
// shifts are the arithmetic shifts of the plain formulas, so the bytes equal the plain
// conversion.

#include "render/yuv_converter_simd.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
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

#define PICTAVO_AVX2 __attribute__((target("avx2")))

PICTAVO_AVX2 inline __m256i avx2Luma(__m256i br, __m256i gx)
{
    return _mm256_add_epi32(_mm256_madd_epi16(br, _mm256_set1_epi32(kLumaBR)),
                            _mm256_madd_epi16(gx, _mm256_set1_epi32(kLumaGX)));
}

// Sums of neighbouring pixels; a holds columns 0-7, b columns 8-15.
PICTAVO_AVX2 inline __m256i avx2PairSum(__m256i a, __m256i b)
{
    const __m256 fa = _mm256_castsi256_ps(a);
    const __m256 fb = _mm256_castsi256_ps(b);
    return _mm256_add_epi16(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0x88)),
                            _mm256_castps_si256(_mm256_shuffle_ps(fa, fb, 0xDD)));
}

PICTAVO_AVX2 int avx2RowPair(const std::uint8_t* row0, const std::uint8_t* row1,
                             std::uint8_t* luma0, std::uint8_t* luma1, std::uint8_t* cb,
                             std::uint8_t* cr, int width)
{
    const __m256i lowBytes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i cbBR = _mm256_set1_epi32(kCbBR);
    const __m256i cbGX = _mm256_set1_epi32(kCbGX);
    const __m256i crBR = _mm256_set1_epi32(kCrBR);
    const __m256i crGX = _mm256_set1_epi32(kCrGX);
    const __m256i lumaOffset = _mm256_set1_epi8(16);
    const __m256i chromaOffset = _mm256_set1_epi8(char(0x80));
    // 32-bit lanes 0,4,1,5,2,6,3,7: undoes the per-half interleave of the packs.
    const __m256i laneOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m128i chromaOrder = _mm_setr_epi8(0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15);

    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i p00 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row0 + x * 4));
        const __m256i p01 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row0 + x * 4 + 32));
        const __m256i p10 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row1 + x * 4));
        const __m256i p11 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row1 + x * 4 + 32));
        const __m256i br00 = _mm256_and_si256(p00, lowBytes);
        const __m256i br01 = _mm256_and_si256(p01, lowBytes);
        const __m256i br10 = _mm256_and_si256(p10, lowBytes);
        const __m256i br11 = _mm256_and_si256(p11, lowBytes);
        const __m256i gx00 = _mm256_srli_epi16(p00, 8);
        const __m256i gx01 = _mm256_srli_epi16(p01, 8);
        const __m256i gx10 = _mm256_srli_epi16(p10, 8);
        const __m256i gx11 = _mm256_srli_epi16(p11, 8);

        // Luma sums are at most 56100: they pack into unsigned 16 bits before the shift.
        const __m256i y0 =
            _mm256_srli_epi16(_mm256_packus_epi32(avx2Luma(br00, gx00), avx2Luma(br01, gx01)), 8);
        const __m256i y1 =
            _mm256_srli_epi16(_mm256_packus_epi32(avx2Luma(br10, gx10), avx2Luma(br11, gx11)), 8);
        const __m256i y = _mm256_permutevar8x32_epi32(
            _mm256_add_epi8(_mm256_packus_epi16(y0, y1), lumaOffset), laneOrder);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma0 + x), _mm256_castsi256_si128(y));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma1 + x), _mm256_extracti128_si256(y, 1));

        // Blocks come out in the order 0,1,4,5 | 2,3,6,7.
        const __m256i br = avx2PairSum(_mm256_add_epi16(br00, br10), _mm256_add_epi16(br01, br11));
        const __m256i gx = avx2PairSum(_mm256_add_epi16(gx00, gx10), _mm256_add_epi16(gx01, gx11));
        const __m256i u = _mm256_srai_epi32(
            _mm256_add_epi32(_mm256_madd_epi16(br, cbBR), _mm256_madd_epi16(gx, cbGX)), 10);
        const __m256i v = _mm256_srai_epi32(
            _mm256_add_epi32(_mm256_madd_epi16(br, crBR), _mm256_madd_epi16(gx, crGX)), 10);
        __m256i uv = _mm256_packs_epi32(u, v);
        uv = _mm256_xor_si256(_mm256_packs_epi16(uv, uv), chromaOffset);
        const __m128i ordered = _mm_shuffle_epi8(
            _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(uv, laneOrder)), chromaOrder);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cb + x / 2), ordered);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cr + x / 2),
                         _mm_unpackhi_epi64(ordered, ordered));
    }
    return x;
}

// With byte dot products (VNNI) each pixel's luma and chroma terms take one instruction:
//   luma: 256 G (masked from the pixel) + 25 B - 127 G + 66 R, exact in 32 bits;
//   chroma: 56 B - 37 G - 19 R summed over the two rows of a column (within 16 bits), the
//   columns of a block added by a 16-bit multiply-and-add; the halved coefficients give
//   floor(M / 512) = floor(2 M / 1024), the same value as the full ones.
#define PICTAVO_VNNI __attribute__((target("avx2,avx512vnni,avx512vl")))

constexpr int bytes4(int b0, int b1, int b2, int b3)
{
    return int((unsigned(b3) & 0xFFu) << 24 | (unsigned(b2) & 0xFFu) << 16 |
               (unsigned(b1) & 0xFFu) << 8 | (unsigned(b0) & 0xFFu));
}

PICTAVO_VNNI int vnniRowPair(const std::uint8_t* row0, const std::uint8_t* row1,
                             std::uint8_t* luma0, std::uint8_t* luma1, std::uint8_t* cb,
                             std::uint8_t* cr, int width)
{
    const __m256i greenBits = _mm256_set1_epi32(0x0000FF00);
    const __m256i lumaTerms = _mm256_set1_epi32(bytes4(25, -127, 66, 0));
    const __m256i cbTerms = _mm256_set1_epi32(bytes4(56, -37, -19, 0));
    const __m256i crTerms = _mm256_set1_epi32(bytes4(-9, -47, 56, 0));
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lumaOffset = _mm256_set1_epi8(16);
    const __m256i chromaOffset = _mm256_set1_epi8(char(0x80));
    const __m256i laneOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m128i chromaOrder = _mm_setr_epi8(0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15);

    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i p00 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row0 + x * 4));
        const __m256i p01 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row0 + x * 4 + 32));
        const __m256i p10 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row1 + x * 4));
        const __m256i p11 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row1 + x * 4 + 32));

        const __m256i l00 = _mm256_dpbusd_epi32(_mm256_and_si256(p00, greenBits), p00, lumaTerms);
        const __m256i l01 = _mm256_dpbusd_epi32(_mm256_and_si256(p01, greenBits), p01, lumaTerms);
        const __m256i l10 = _mm256_dpbusd_epi32(_mm256_and_si256(p10, greenBits), p10, lumaTerms);
        const __m256i l11 = _mm256_dpbusd_epi32(_mm256_and_si256(p11, greenBits), p11, lumaTerms);
        const __m256i y0 = _mm256_srli_epi16(_mm256_packus_epi32(l00, l01), 8);
        const __m256i y1 = _mm256_srli_epi16(_mm256_packus_epi32(l10, l11), 8);
        const __m256i y = _mm256_permutevar8x32_epi32(
            _mm256_add_epi8(_mm256_packus_epi16(y0, y1), lumaOffset), laneOrder);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma0 + x), _mm256_castsi256_si128(y));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma1 + x), _mm256_extracti128_si256(y, 1));

        // Column sums over both rows, then the two columns of each block; blocks come out in
        // the order 0,1,4,5 | 2,3,6,7.
        const __m256i ua =
            _mm256_dpbusd_epi32(_mm256_dpbusd_epi32(zero, p00, cbTerms), p10, cbTerms);
        const __m256i ub =
            _mm256_dpbusd_epi32(_mm256_dpbusd_epi32(zero, p01, cbTerms), p11, cbTerms);
        const __m256i va =
            _mm256_dpbusd_epi32(_mm256_dpbusd_epi32(zero, p00, crTerms), p10, crTerms);
        const __m256i vb =
            _mm256_dpbusd_epi32(_mm256_dpbusd_epi32(zero, p01, crTerms), p11, crTerms);
        const __m256i u = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_packs_epi32(ua, ub), ones), 9);
        const __m256i v = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_packs_epi32(va, vb), ones), 9);
        __m256i uv = _mm256_packs_epi32(u, v);
        uv = _mm256_xor_si256(_mm256_packs_epi16(uv, uv), chromaOffset);
        const __m128i ordered = _mm_shuffle_epi8(
            _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(uv, laneOrder)), chromaOrder);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cb + x / 2), ordered);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cr + x / 2),
                         _mm_unpackhi_epi64(ordered, ordered));
    }
    return x;
}

// The same on 512-bit vectors; the last 16-column piece goes to the 256-bit loop.
// (GCC 12 warns about the deliberately undefined pass-through operand inside some 512-bit
// intrinsics in unoptimised builds.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#define PICTAVO_VNNI512 __attribute__((target("avx2,avx512f,avx512bw,avx512vnni,avx512vl")))

PICTAVO_VNNI512 int vnni512RowPair(const std::uint8_t* row0, const std::uint8_t* row1,
                                   std::uint8_t* luma0, std::uint8_t* luma1, std::uint8_t* cb,
                                   std::uint8_t* cr, int width)
{
    const __m512i greenBits = _mm512_set1_epi32(0x0000FF00);
    const __m512i lumaTerms = _mm512_set1_epi32(bytes4(25, -127, 66, 0));
    const __m512i cbTerms = _mm512_set1_epi32(bytes4(56, -37, -19, 0));
    const __m512i crTerms = _mm512_set1_epi32(bytes4(-9, -47, 56, 0));
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
#pragma GCC diagnostic pop

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
