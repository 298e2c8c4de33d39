// The sprite copy and the pixel read run several times in every frame: they must
// not allocate. Every operator new of this program is counted.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/graphics/test_pictures.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class GraphicsAllocations : public graphics_test::Screen {};

TEST_F(GraphicsAllocations, SpriteCopyAndPixelReadAllocateNothing) {
    int32_t sprite = rt::new_image(48, 40, 256, true);
    rt::Image& s = rt::image(-sprite);
    for (int i = 0; i < 48 * 40; ++i) s.pixels[i] = uint8_t(i % 5);
    long before = allocations.load();
    const uint32_t point_form = rt::put_dest_corner_1 | rt::put_source_handle;
    for (int clear = 0; clear < 2; ++clear) {
        if (clear) rt::set_clear_color(false, 0, sprite, 3);
        for (double x : {-20.0, 0.5, 400.0, 790.5})
            rt::put_image(x, 300, 0, 0, sprite, 0, 0, 0, 0, 0, point_form);
    }
    int64_t sum = 0;
    for (double x : {-1.0, 0.5, 420.0, 799.4}) sum += rt::point_color(x, 310);
    EXPECT_EQ(allocations.load(), before);
    EXPECT_EQ(at(421, 310), s.pixels[10 * 48 + 21]);
    EXPECT_EQ(sum, -1 + at(0, 310) + at(420, 310) + at(799, 310));
    // The counter itself works.
    ::operator delete(::operator new(sizeof(int)));
    EXPECT_EQ(allocations.load(), before + 1);
}

}  // namespace
