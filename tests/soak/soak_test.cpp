// A long run through the fake platform and the recording OpenGL: 200,000
// frames with random pointer, key and size messages in between, and tracks
// that end by themselves now and then. Nothing the program does per frame or
// per message may keep memory, and the colour accumulators, started close to
// the point where a 32-bit float stops growing by their increments, must
// reach exactly that point and stay there: no NaN, no wrap, no reset.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>

#include "app/app.h"
#include "assets/track_table.h"
#include "platform/fake/fake_platform.h"
#include "player/player.h"
#include "render/frame.h"
#include "render/layers.h"
#include "tests/png/png_fixtures.h"
#include "tests/support/recording_gl.h"

// Live bytes of every C++ allocation in this process, as the allocator sizes
// them. Counting here works with and without AddressSanitizer, unlike
// mallinfo2, which the sanitizer's allocator does not feed.
namespace {
std::atomic<std::int64_t> liveBytes{0};

void* counted(void* p) {
    if (p == nullptr) throw std::bad_alloc();
    liveBytes += static_cast<std::int64_t>(malloc_usable_size(p));
    return p;
}
void release(void* p) noexcept {
    if (p == nullptr) return;
    liveBytes -= static_cast<std::int64_t>(malloc_usable_size(p));
    std::free(p);
}
std::size_t roundUp(std::size_t size, std::size_t alignment) { return (size + alignment - 1) / alignment * alignment; }
}  // namespace

void* operator new(std::size_t size) { return counted(std::malloc(size ? size : 1)); }
void* operator new[](std::size_t size) { return counted(std::malloc(size ? size : 1)); }
void* operator new(std::size_t size, std::align_val_t a) {
    auto alignment = static_cast<std::size_t>(a);
    return counted(std::aligned_alloc(alignment, roundUp(size ? size : 1, alignment)));
}
void* operator new[](std::size_t size, std::align_val_t a) { return operator new(size, a); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }

namespace {

constexpr int frames = 200000;
constexpr int warmUpFrames = 20000;

ByteBuffer picture(std::uint32_t width, std::uint32_t height) {
    ByteBuffer rgba(std::size_t{width} * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 13);
    return fixtures::makeRgbaPng(width, height, rgba);
}

LPARAM point(int x, int y) { return static_cast<LPARAM>(std::uint32_t(x) | std::uint32_t(y) << 16); }

struct Accumulators {
    float arc[3];
    float ring[3];
    float wobble;
    static Accumulators now() {
        return {{arcHue[0], arcHue[1], arcHue[2]}, {ringHue[0], ringHue[1], ringHue[2]}, ringWobble};
    }
};

TEST(Soak, TwoHundredThousandFramesKeepNoMemoryAndTheColoursSaturateAsFloatsDo) {
    fake::reset();
    recording_gl::reset();
    recording_gl::setRecording(false);
    for (int slot = 0; slot < trackCount; ++slot)
        fake::addResource(trackTable[slot].resourceId, "IT", {'I', 'M', 'P', 'M', static_cast<std::uint8_t>('0' + slot)});
    ByteBuffer button = picture(64, 64);
    for (std::uint16_t id : {discImageId, playIconId, nextIconId, pauseIconId}) fake::addResource(id, "PNG", button);
    fake::addResource(backgroundId, "PNG", picture(480, 220));

    running = true;
    ASSERT_TRUE(createMainWindow(0, 0));
    auto player = std::make_unique<Player>();
    thePlayer = player.get();
    windowProc(mainWindow, WM_SIZE, 0, point(480, 240));
    ASSERT_EQ(player->currentTrack, 0);
    ASSERT_EQ(player->arcPhases.size(), 30u) << "the start-up stopped early; no arcs would be drawn";

    // Some 460 frames of arcs and 2,100 hovered frames of rings from their limits.
    arcHue[0] = 65000.0f;
    arcHue[1] = 65000.0f;
    arcHue[2] = 130000.0f;
    ringHue[0] = 65000.0f;
    ringHue[1] = 130000.0f;
    ringHue[2] = 523000.0f;

    std::mt19937 random(20121211);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    // The three buttons and the slider of the 480 x 240 window, where the
    // pointer spends most of its time.
    const int spots[][2] = {{170, 120}, {240, 120}, {310, 120}, {240, 190}};

    Accumulators last = Accumulators::now();
    std::int64_t bytesAfterWarmUp = 0;
    int ringFrames = 0;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame == warmUpFrames) bytesAfterWarmUp = liveBytes.load();
        int messages = static_cast<int>(random() % 4);
        for (int m = 0; m < messages; ++m) {
            int kind = static_cast<int>(random() % 100);
            int x, y;
            if (chance(70)) {
                const int* spot = spots[random() % 4];
                x = spot[0] + static_cast<int>(random() % 41) - 20;
                y = spot[1] + static_cast<int>(random() % 41) - 20;
            } else {
                x = static_cast<int>(random() % 480);
                y = static_cast<int>(random() % 240);
            }
            if (kind < 70) windowProc(mainWindow, WM_MOUSEMOVE, 0, point(x, y));
            else if (kind < 80) windowProc(mainWindow, WM_LBUTTONDOWN, 1, point(x, y));
            else if (kind < 92) windowProc(mainWindow, WM_LBUTTONUP, 0, point(x, y));
            else if (kind < 97) windowProc(mainWindow, WM_KEYDOWN, 0x31 + random() % 9, 0);
            else windowProc(mainWindow, WM_SIZE, 0, chance(50) ? point(480, 240) : point(320 + random() % 400, 200 + random() % 200));
        }
        // A track ends about once every 500 frames.
        fake::script().bassIsActiveResult = random() % 500 == 0 ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
        bool ring = player->hoverPrev || player->hoverPlay || player->hoverNext;
        renderFrame();
        ringFrames += ring;
        fake::clearCalls();

        Accumulators now = Accumulators::now();
        for (int c = 0; c < 3; ++c) {
            ASSERT_TRUE(std::isfinite(now.arc[c]) && now.arc[c] >= last.arc[c])
                << "arcHue[" << c << "] went from " << last.arc[c] << " to " << now.arc[c] << " in frame " << frame;
            ASSERT_TRUE(std::isfinite(now.ring[c]) && now.ring[c] >= last.ring[c])
                << "ringHue[" << c << "] went from " << last.ring[c] << " to " << now.ring[c] << " in frame " << frame;
        }
        ASSERT_TRUE(std::isfinite(now.wobble) && now.wobble >= last.wobble) << "ringWobble, frame " << frame;
        ASSERT_GE(player->currentTrack, 0);
        ASSERT_LE(player->currentTrack, 8);
        ASSERT_TRUE(player->volume >= 0.0f && player->volume <= 1.0f) << player->volume;
        last = now;
    }
    std::int64_t growth = liveBytes.load() - bytesAfterWarmUp;

    EXPECT_GT(ringFrames, frames / 10) << "too few frames with a ring to reach the ring limits";
    EXPECT_EQ(arcHue[0], 65536.0f);
    EXPECT_EQ(arcHue[1], 65536.0f);
    EXPECT_EQ(arcHue[2], 131072.0f);
    EXPECT_EQ(ringHue[0], 65536.0f);
    EXPECT_EQ(ringHue[1], 131072.0f);
    EXPECT_EQ(ringHue[2], 524288.0f);
    EXPECT_EQ(recording_gl::state().unbalancedEnds, 0);
    // The counter sees the Player's own buffers (the background alone is 480 x 220 x 4 bytes)...
    EXPECT_GT(bytesAfterWarmUp, 480 * 220 * 4);
    // ...and titles and the fake's record of calls come and go; what stays must not grow.
    EXPECT_LE(growth, 0) << growth << " bytes more in use after " << frames - warmUpFrames << " frames";

    thePlayer = nullptr;
    player.reset();
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

}  // namespace
