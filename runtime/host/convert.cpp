// The pixel loops of the display update: palette pages into 32-bit video words
// (a portable path and, where the processor has byte permutes, a vector one), 32-bit
// pages copied with doubling, and the side buffer for surfaces with other masks.
#include <SDL.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <array>
#include <cstdlib>
#include <cstring>

#include "runtime/host/display_internal.h"

namespace rt {

namespace {

// One row of palette indices into 32-bit words, one table lookup per pixel.
NOT_RACE_CHECKED void convert_row(const uint8_t* s, int32_t width, const uint32_t* palette, uint32_t* d, int32_t factor_x) {
    int32_t x = 0;
    if (factor_x == 1) {
        // Eight indices per load: stores into the target cannot make the
        // compiler read the source again.
        for (; x + 8 <= width; x += 8) {
            uint64_t v;
            std::memcpy(&v, s + x, 8);
            d[x + 0] = palette[v & 0xFF];
            d[x + 1] = palette[(v >> 8) & 0xFF];
            d[x + 2] = palette[(v >> 16) & 0xFF];
            d[x + 3] = palette[(v >> 24) & 0xFF];
            d[x + 4] = palette[(v >> 32) & 0xFF];
            d[x + 5] = palette[(v >> 40) & 0xFF];
            d[x + 6] = palette[(v >> 48) & 0xFF];
            d[x + 7] = palette[v >> 56];
        }
        for (; x < width; ++x) d[x] = palette[s[x]];
    } else {
        for (; x < width; ++x) d[2 * x] = d[2 * x + 1] = palette[s[x]];
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define RT_VECTOR_CONVERSION 1

// Unpacking bytes to words and words to double words works within 128-bit
// lanes: byte 16 * lane + 4 * q + j of a block ends up in double word j of that
// lane of the q-th result, the place of pixel 16 * q + 4 * lane + j. Loading the
// block with its 4-byte groups transposed as a 4 by 4 grid puts every pixel in
// its place.
constexpr std::array<uint8_t, 64> make_group_transpose() {
    std::array<uint8_t, 64> order{};
    for (int lane = 0; lane < 4; ++lane)
        for (int q = 0; q < 4; ++q)
            for (int j = 0; j < 4; ++j) order[16 * lane + 4 * q + j] = uint8_t(16 * q + 4 * lane + j);
    return order;
}
constexpr std::array<uint8_t, 64> group_transpose = make_group_transpose();

// Byte `shift / 8` of 64 palette words, narrowed from four groups of 16 (the
// zero-masking forms with every lane kept: GCC 12 warns about the undefined
// merge source of the plain ones).
__attribute__((target("avx512f,avx512bw,avx512vbmi")))
inline __m512i byte_plane(const uint32_t* words, int32_t shift) {
    const __mmask16 all = 0xFFFF;
    const __m128i count = _mm_cvtsi32_si128(shift);
    const auto narrow = [&](int32_t group) __attribute__((target("avx512f,avx512bw,avx512vbmi"))) {
        return _mm512_maskz_cvtepi32_epi8(all, _mm512_maskz_srl_epi32(all, _mm512_loadu_si512(words + 16 * group), count));
    };
    __m512i plane = _mm512_zextsi128_si512(narrow(0));
    plane = _mm512_inserti32x4(plane, narrow(1), 1);
    plane = _mm512_inserti32x4(plane, narrow(2), 2);
    return _mm512_inserti32x4(plane, narrow(3), 3);
}

// 64 pixels a step. Scalar code is held to one 4-byte store per pixel; here the
// palette is split into its four byte planes (blue, green, red, alpha), each
// 256 bytes in four registers. A two-register byte permute looks up 128 entries
// at once and the index's top bit picks the half; the planes are then
// interleaved back into 0xAARRGGBB words and stored 16 at a time.
__attribute__((target("avx512f,avx512bw,avx512vbmi")))
void convert_rows_vector(const uint8_t* src, size_t src_stride, int32_t width, int32_t height,
                         const uint32_t* palette, uint32_t* dst_row0, size_t dst_stride, int32_t factor_y) {
    __m512i table[4][4];
    for (int32_t c = 0; c < 4; ++c)
        for (int32_t part = 0; part < 4; ++part) table[c][part] = byte_plane(palette + 64 * part, 8 * c);
    const __m512i order = _mm512_loadu_si512(group_transpose.data());

    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* s = src + static_cast<size_t>(row) * src_stride;
        uint32_t* d = dst_row0 + static_cast<size_t>(row) * factor_y * dst_stride;
        int32_t x = 0;
        for (; x + 64 <= width; x += 64) {
            // The zero-masking form with every lane kept; GCC 12 warns about the
            // undefined merge source of the plain one.
            const __m512i index = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, order, _mm512_loadu_si512(s + x));
            const __mmask64 upper = _mm512_movepi8_mask(index);  // indices 128 to 255
            __m512i plane[4];
            for (int32_t c = 0; c < 4; ++c) {
                __m512i low = _mm512_permutex2var_epi8(table[c][0], index, table[c][1]);
                __m512i high = _mm512_permutex2var_epi8(table[c][2], index, table[c][3]);
                plane[c] = _mm512_mask_blend_epi8(upper, low, high);
            }
            const __m512i bg_low = _mm512_unpacklo_epi8(plane[0], plane[1]);
            const __m512i bg_high = _mm512_unpackhi_epi8(plane[0], plane[1]);
            const __m512i ra_low = _mm512_unpacklo_epi8(plane[2], plane[3]);
            const __m512i ra_high = _mm512_unpackhi_epi8(plane[2], plane[3]);
            _mm512_storeu_si512(d + x, _mm512_unpacklo_epi16(bg_low, ra_low));
            _mm512_storeu_si512(d + x + 16, _mm512_unpackhi_epi16(bg_low, ra_low));
            _mm512_storeu_si512(d + x + 32, _mm512_unpacklo_epi16(bg_high, ra_high));
            _mm512_storeu_si512(d + x + 48, _mm512_unpackhi_epi16(bg_high, ra_high));
        }
        convert_row(s + x, width - x, palette, d + x, 1);
        if (factor_y == 2) std::memcpy(d + dst_stride, d, static_cast<size_t>(width) * sizeof(uint32_t));
    }
}
#endif

bool portable_conversion_asked() {
    const char* v = std::getenv("SUPERVIVEDAS_CONVERSION");
    return v && std::strcmp(v, "portable") == 0;
}

}  // namespace

bool vector_conversion_available() {
#ifdef RT_VECTOR_CONVERSION
    // SUPERVIVEDAS_CONVERSION=portable measures what processors without these
    // instructions (most players') run.
    static const bool available = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                  __builtin_cpu_supports("avx512vbmi") && !portable_conversion_asked();
    return available;
#else
    return false;
#endif
}

NOT_RACE_CHECKED void convert_palette_rows_portable(const uint8_t* src, size_t src_stride, int32_t width, int32_t height,
                                   const uint32_t* palette, uint32_t* dst_row0, size_t dst_stride,
                                   int32_t factor_x, int32_t factor_y) {
    const size_t line_words = static_cast<size_t>(width) * factor_x;
    for (int32_t row = 0; row < height; ++row) {
        uint32_t* d = dst_row0 + static_cast<size_t>(row) * factor_y * dst_stride;
        convert_row(src + static_cast<size_t>(row) * src_stride, width, palette, d, factor_x);
        if (factor_y == 2) std::memcpy(d + dst_stride, d, line_words * sizeof(uint32_t));
    }
}

NOT_RACE_CHECKED void convert_palette_rows(const uint8_t* src, size_t src_stride, int32_t width, int32_t height,
                          const uint32_t* palette, uint32_t* dst_row0, size_t dst_stride,
                          int32_t factor_x, int32_t factor_y) {
#ifdef RT_VECTOR_CONVERSION
    if (factor_x == 1 && vector_conversion_available()) {
        convert_rows_vector(src, src_stride, width, height, palette, dst_row0, dst_stride, factor_y);
        return;
    }
#endif
    convert_palette_rows_portable(src, src_stride, width, height, palette, dst_row0, dst_stride, factor_x,
                                  factor_y);
}

NOT_RACE_CHECKED void copy_rgb_rows(const uint32_t* src, size_t src_stride, int32_t width, int32_t height,
                   uint32_t* dst_row0, size_t dst_stride, int32_t factor_x, int32_t factor_y) {
    const size_t line_words = static_cast<size_t>(width) * factor_x;
    for (int32_t row = 0; row < height; ++row) {
        const uint32_t* s = src + static_cast<size_t>(row) * src_stride;
        uint32_t* d = dst_row0 + static_cast<size_t>(row) * factor_y * dst_stride;
        if (factor_x == 1)
            std::memcpy(d, s, static_cast<size_t>(width) * sizeof(uint32_t));
        else
            for (int32_t x = 0; x < width; ++x) d[2 * x] = d[2 * x + 1] = s[x];
        if (factor_y == 2) std::memcpy(d + dst_stride, d, line_words * sizeof(uint32_t));
    }
}

void copy_side_buffer(const uint32_t* side, SDL_Surface* surface) {
    const SDL_PixelFormat* f = surface->format;
    for (int32_t y = 0; y < surface->h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
        const uint32_t* in = side + static_cast<size_t>(y) * surface->w;
        for (int32_t x = 0; x < surface->w; ++x) {
            uint32_t v = in[x];
            uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            uint32_t out = ((r >> f->Rloss) << f->Rshift) | ((g >> f->Gloss) << f->Gshift) |
                           ((b >> f->Bloss) << f->Bshift);
            std::memcpy(row + static_cast<size_t>(x) * 4, &out, 4);
        }
    }
}

}  // namespace rt
