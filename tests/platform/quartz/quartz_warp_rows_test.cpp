// Every vector row kernel against the portable one on the same random rows:
// odd widths and strides, unaligned destinations, turned and scaled steps,
// images whose last row ends at an unreadable page, and both byte orders.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/quartz/QuartzPrivate.h"
#include "platform/quartz/QuartzWarpRows.h"

namespace hz::quartz::test {
namespace {

// Pixels that end exactly where a page no one may read begins.
class GuardedPixels {
  public:
    explicit GuardedPixels(size_t count) {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t bytes = (count * 4 + page - 1) / page * page;
        length_ = bytes + page;
        void* map =
            mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = static_cast<uint8_t*>(map);
        mprotect(base_ + bytes, page, PROT_NONE);
        words_ = reinterpret_cast<uint32_t*>(base_ + bytes) - count;
    }
    ~GuardedPixels() { munmap(base_, length_); }
    uint32_t* words() { return words_; }

  private:
    uint8_t* base_ = nullptr;
    size_t length_ = 0;
    uint32_t* words_ = nullptr;
};

struct RowCase {
    int32_t width, height, stride, count, offset;
    WarpRow row;
};

// A row whose every pixel has all four taps inside the image, turned by up
// to maxTurn either way and scaled by a factor in [minScale, maxScale].
RowCase RandomCase(std::mt19937& random, double maxTurn, double minScale, double maxScale) {
    RowCase c{};
    c.width = 2 + static_cast<int32_t>(random() % 300);
    c.height = 2 + static_cast<int32_t>(random() % 120);
    c.stride = c.width + static_cast<int32_t>(random() % 8);
    c.offset = static_cast<int32_t>(random() % 8);
    // Now and then an exactly upright row.
    std::uniform_real_distribution<double> angle(-maxTurn, maxTurn), scale(minScale, maxScale);
    const double a = random() % 5 == 0 ? 0.0 : angle(random), s = scale(random);
    c.row.du = static_cast<int32_t>(std::cos(a) / s * 65536);
    c.row.dv = static_cast<int32_t>(std::sin(a) / s * 65536);
    const int64_t uMax = int64_t{c.width - 1} * 65536 - 1, vMax = int64_t{c.height - 1} * 65536 - 1;
    c.count = 1 + static_cast<int32_t>(random() % 300);
    for (;; c.count = std::max(1, c.count / 2)) {
        const int64_t du = int64_t{c.row.du} * (c.count - 1),
                      dv = int64_t{c.row.dv} * (c.count - 1);
        const int64_t uLo = std::max<int64_t>(0, -du), uHi = std::min(uMax, uMax - du);
        const int64_t vLo = std::max<int64_t>(0, -dv), vHi = std::min(vMax, vMax - dv);
        if (uLo <= uHi && vLo <= vHi) {
            c.row.u = static_cast<int32_t>(uLo + static_cast<int64_t>(random() % (uHi - uLo + 1)));
            c.row.v = static_cast<int32_t>(vLo + static_cast<int64_t>(random() % (vHi - vLo + 1)));
            break;
        }
    }
    c.row.stride = c.stride;
    c.row.width = c.width;
    c.row.ahead = static_cast<ptrdiff_t>(random() % 5) * c.stride;
    c.row.opaque = DeviceAlpha(random() % 2 ? ByteOrder::kAlphaLast : ByteOrder::kAlphaFirst);
    return c;
}

// Each kernel against the portable one on `cases` random rows.
void ExpectPortableBytes(double maxTurn, double minScale, double maxScale, int cases) {
    const std::vector<NamedWarpRow>& kernels = RunnableWarpRows();
    ASSERT_EQ(std::string(kernels.front().name), "portable");
#ifdef __x86_64__
    ASSERT_GT(kernels.size(), 1u) << "no SIMD kernel built, though every x86-64 has SSE2";
#endif
    EXPECT_EQ(ChosenWarpRow(), (FastPathsDisabled() ? kernels.front() : kernels.back()).kernel);
    constexpr uint32_t cGuard = 0x5A5A5A5Au;
    std::mt19937 random(20261207);
    for (int n = 0; n < cases; ++n) {
        const RowCase c = RandomCase(random, maxTurn, minScale, maxScale);
        GuardedPixels image(static_cast<size_t>(c.stride) * (c.height - 1) + c.width);
        for (int32_t i = 0; i < c.stride * (c.height - 1) + c.width; ++i)
            image.words()[i] = static_cast<uint32_t>(random());
        WarpRow row = c.row;
        row.words = image.words();

        std::vector<uint32_t> expected(c.offset + c.count + 8, cGuard);
        kernels.front().kernel(expected.data() + c.offset, c.count, row);
        for (const NamedWarpRow& k : kernels) {
            std::vector<uint32_t> got(expected.size(), cGuard);
            k.kernel(got.data() + c.offset, c.count, row);
            ASSERT_EQ(got, expected)
                << k.name << ", case " << n << ": image " << c.width << "x" << c.height
                << " stride " << c.stride << ", " << c.count << " pixels from (" << row.u << ", "
                << row.v << ") by (" << row.du << ", " << row.dv << ")";
        }
        for (int32_t i = 0; i < c.count; ++i)
            ASSERT_EQ(expected[c.offset + i] & row.opaque, row.opaque) << "not opaque";
    }
}

// Steps from a quarter turn either way and from strong reduction to strong
// enlargement.
TEST(QuartzWarpRows, EveryKernelGivesThePortableBytes) { ExpectPortableBytes(1.6, 0.2, 3.0, 600); }

// The effect's usual case, a few degrees at about unit scale, where rows
// cross image rows and columns only now and then; both sides of the limits
// the kernels switch strategy at (steps of 1/7 row and 2 columns).
TEST(QuartzWarpRows, SlightTurnsGiveThePortableBytes) { ExpectPortableBytes(0.2, 0.45, 3.0, 1500); }

}  // namespace
}  // namespace hz::quartz::test
