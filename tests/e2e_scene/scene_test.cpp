// What a user sees of the real program on a private X server: the layers of
// the scene in their places, and how the buttons, the title and the volume
// wedge answer the pointer and the keys. Probes keep to places where the
// picture is stable from frame to frame (the arcs and rings jitter), and
// every wait polls screenshots until the expected picture shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e_scene/scene_probe.h"

namespace {

using namespace e2e;
using namespace scene;

const std::string windowTitle = "- Quintrell - Chiptunes - 2012 -";
constexpr auto startTimeout = 15s;
constexpr auto changeTimeout = 3s;

// The arcs run at most 160 pixels in from each side edge; between these
// columns nothing flickers but the oscilloscope.
constexpr int arcFreeLeft = 161;
constexpr int arcFreeRight = 318;

// A pointer position over none of the controls: below the wedge, far below the hit circles.
constexpr int restX = 240;
constexpr int restY = 230;

// The title font advances 10 pixels per character on this machine (a
// monospaced face at a 22-pixel cell), and the title's baseline is row 40.
constexpr int titleAdvance = 10;
constexpr int titleTop = 20;
constexpr int titleBottom = 50;

// The light-blue fill is looked for on the wedge's rows, a little wider than the wedge.
constexpr int wedgeLeft = 186;
constexpr int wedgeRight = 294;
constexpr int wedgeTop = 176;
constexpr int wedgeBottom = 209;

struct Pictures {
    Picture background = loadPicture("background");
    Picture disc = loadPicture("disc");
    Picture pause = loadPicture("pause");
    Picture play = loadPicture("play");
    Picture next = loadPicture("next");
};

std::string describe(const ClassBox& box) {
    std::ostringstream out;
    out << box.count << " pixels";
    if (box.count > 0) {
        out << " in x " << box.left << ".." << box.right << ", rows " << box.top << ".." << box.bottom;
    }
    return out.str();
}

class Scene : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(playerPath().empty()) << "pass --player PATH";
        ASSERT_EQ(pictures_.background.width, 480) << "pictures not readable from " << SCENE_PICTURE_DIR;
        ASSERT_EQ(pictures_.disc.width, 64);
        ASSERT_TRUE(display_.ok()) << display_.error();
        player_ = std::make_unique<PlayerProcess>("scene_" + testName(), playerEnvironment(display_));
        ASSERT_TRUE(player_->started());
        const auto window = display_.findWindow(windowTitle, startTimeout);
        ASSERT_TRUE(window.has_value()) << "no window; program " << player_->waitForExit(0ms) << ", output:\n"
                                        << player_->output();
        window_ = *window;
        // The server starts with the pointer in the middle of the screen,
        // which is right over the play/pause button of the centred window.
        ASSERT_TRUE(display_.moveMouse(window_, restX, restY));
        // Let a frame drawn after the move show (a ring left over the middle
        // button would spoil the start screenshot); the tests check their
        // own conditions, so an unsettled frame here is not a failure.
        pollFrames(display_, window_, [&](const RgbImage& shot) { return untouched(shot, playButton); }, 2s);
    }

    static std::string testName() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

    // Polls for `wanted`; on a miss keeps the last screenshot and says where.
    Polled waitFor(const std::function<bool(const RgbImage&)>& wanted, std::chrono::milliseconds timeout,
                   const std::string& what) {
        Polled polled = pollFrames(display_, window_, wanted, timeout);
        if (!polled.met) {
            const std::string path = artifactPath("scene_" + testName() + "_" + what + ".png");
            savePng(polled.shot, path);
            ADD_FAILURE() << "no frame showed " << what << " within " << timeout.count() << " ms (last screenshot: "
                          << path << ")";
        }
        return polled;
    }

    PixelCount clean(const RgbImage& shot, const ButtonPlace& place, bool playing) const {
        const Picture& icon = &place == &playButton ? (playing ? pictures_.pause : pictures_.play) : pictures_.next;
        return discAgreement(shot, place, pictures_.disc, icon, 6);
    }
    // A disc with nothing over it agrees with its pictures to the pixel; a
    // ring crossing it leaves dozens of strongly different pixels.
    bool untouched(const RgbImage& shot, const ButtonPlace& place, bool playing = true) const {
        const PixelCount count = clean(shot, place, playing);
        return count.total - count.matching <= 2;
    }
    bool ringed(const RgbImage& shot, const ButtonPlace& place, bool playing = true) const {
        const Picture& icon = &place == &playButton ? (playing ? pictures_.pause : pictures_.play) : pictures_.next;
        const PixelCount count = discAgreement(shot, place, pictures_.disc, icon, 24);
        return count.total - count.matching >= 20;
    }
    bool showsIcon(const RgbImage& shot, bool pause) const {
        const PixelCount count = pause ? iconAgreement(shot, pictures_.disc, pictures_.pause, pictures_.play)
                                       : iconAgreement(shot, pictures_.disc, pictures_.play, pictures_.pause);
        return count.total > 50 && count.fraction() >= 0.95;
    }

    static ClassBox title(const RgbImage& shot) {
        return findClass(shot, isLavender, arcFreeLeft, 0, arcFreeRight, shot.height - 1);
    }
    static ClassBox fill(const RgbImage& shot) {
        return findClass(shot, isSliderFill, wedgeLeft, wedgeTop, wedgeRight, wedgeBottom);
    }

    Pictures pictures_;
    VirtualDisplay display_;
    std::unique_ptr<PlayerProcess> player_;
    Window window_ = 0;
};

TEST_F(Scene, ClientAreaIs480By240) {
    const Rect client = display_.clientGeometry(window_);
    EXPECT_EQ(client.width, 480);
    EXPECT_EQ(client.height, 240);
    const RgbImage shot = display_.screenshot(window_);
    EXPECT_EQ(shot.width, 480);
    EXPECT_EQ(shot.height, 240);
}

TEST_F(Scene, BackgroundCoversAllButTheTopTwentyRows) {
    // Probed between the arcs, away from the title, the buttons and the
    // wedge; the oscilloscope may cross anywhere, so a share of misses is
    // allowed. One row of misplacement already drops the share to about 2/3.
    // (The honeycomb is symmetric top to bottom, so this checks placement,
    // not which way up it is.)
    const auto excluded = [](int row) {
        return (row >= titleTop && row <= titleBottom) || (row >= 76 && row <= 144) ||
               (row >= wedgeTop && row <= wedgeBottom);
    };
    int whiteMisses = 0;
    PixelCount honeycomb;
    const auto measure = [&](const RgbImage& shot) {
        whiteMisses = 0;
        honeycomb = {};
        for (int row = 0; row < 240; ++row) {
            for (int x = arcFreeLeft; x <= arcFreeRight; ++x) {
                const Rgb seen = shot.at(x, row);
                if (row < 20) {
                    whiteMisses += seen == Rgb{255, 255, 255} ? 0 : 1;
                } else if (!excluded(row)) {
                    const Rgb expected = expectedBackground(pictures_.background, x, row);
                    ++honeycomb.total;
                    const int distance = std::max(
                        {std::abs(seen.r - expected.r), std::abs(seen.g - expected.g), std::abs(seen.b - expected.b)});
                    honeycomb.matching += distance <= 3 ? 1 : 0;
                }
            }
        }
        return whiteMisses == 0 && honeycomb.fraction() >= 0.9;
    };
    const Polled polled = waitFor(measure, startTimeout, "background");
    savePng(polled.shot, artifactPath("scene_start.png"));
    EXPECT_EQ(whiteMisses, 0) << "pixels not white in rows 0..19";
    EXPECT_GE(honeycomb.fraction(), 0.9) << honeycomb.matching << " of " << honeycomb.total
                                         << " probed pixels in rows 20..239 show the background";
}

TEST_F(Scene, ThreeDiscsWithThePauseIconWhilePlaying) {
    // Pictures include the discs' orientation (drawn upside down) and the
    // previous button's mirrored icon.
    const auto allClean = [&](const RgbImage& shot) {
        return untouched(shot, previousButton) && untouched(shot, playButton) && untouched(shot, nextButton);
    };
    const Polled polled = waitFor(allClean, startTimeout, "buttons");
    for (const ButtonPlace* place : {&previousButton, &playButton, &nextButton}) {
        const PixelCount count = clean(polled.shot, *place, true);
        EXPECT_LE(count.total - count.matching, 2)
            << place->name << ": " << count.matching << " of " << count.total << " disc pixels as expected";
    }
    EXPECT_TRUE(showsIcon(polled.shot, true)) << "pause icon in the middle";
}

TEST_F(Scene, TitleIsLavenderCentredOnTheTopLine) {
    const Polled polled = waitFor([](const RgbImage& shot) { return title(shot).count >= 200; }, startTimeout,
                                  "title");
    const ClassBox box = title(polled.shot);
    // "1. Glass Orbit": 14 cells of 10 pixels from x 170 to 310.
    const int cells = 14;
    const int start = 240 - cells * titleAdvance / 2;
    EXPECT_GE(box.left, start) << describe(box);
    EXPECT_LT(box.right, start + cells * titleAdvance) << describe(box);
    EXPECT_GE(box.top, titleTop) << describe(box);
    EXPECT_LE(box.bottom, 44) << "nothing below the baseline but descenders: " << describe(box);
    EXPECT_LE(box.left, start + 8) << "first glyph in the first cell: " << describe(box);
    EXPECT_GE(box.right, start + (cells - 1) * titleAdvance) << "last glyph in the last cell: " << describe(box);
    // The two spaces (cells 2 and 8) stay empty in their middles.
    for (const int cell : {2, 8}) {
        const int left = start + cell * titleAdvance + 2;
        const ClassBox gap = findClass(polled.shot, isLavender, left, titleTop, left + 5, titleBottom);
        EXPECT_EQ(gap.count, 0) << "space in cell " << cell << ": " << describe(gap);
    }
}

TEST_F(Scene, OscilloscopeTracesTheMusicInBothColours) {
    // Every line rises or falls from the baseline (between window rows 123
    // and 124), the right channel's blue drawn over the left's orange:
    // orange shows only where the channels differ, and lines leave the
    // baseline only with sound. The lines fade towards both ends of the
    // trace; the colour classes need them nearly opaque (x 100 to 380), and
    // near the baseline the buttons cover x 137 to 343.
    ClassBox baseline;
    ClassBox orange;
    ClassBox blueAway;
    const auto traced = [&](const RgbImage& shot) {
        baseline = findClass(shot, isScopeBlue, 100, 118, 136, 129);
        const ClassBox baselineRight = findClass(shot, isScopeBlue, 344, 118, 380, 129);
        baseline.count += baselineRight.count;
        orange = findClass(shot, isScopeOrange, 0, 0, 479, 239);
        blueAway = findClass(shot, isScopeBlue, 0, 0, 479, 117);
        const ClassBox below = findClass(shot, isScopeBlue, 0, 130, 479, 239);
        blueAway.count += below.count;
        return baseline.count >= 20 && orange.count >= 5 && blueAway.count >= 5;
    };
    waitFor(traced, 8s, "scope");
    EXPECT_GE(baseline.count, 20) << "blue along the baseline beside the buttons: " << describe(baseline);
    EXPECT_GE(orange.count, 5) << "orange left-channel lines: " << describe(orange);
    EXPECT_GE(blueAway.count, 5) << "blue lines away from the baseline: " << describe(blueAway);
    EXPECT_LE(orange.right, 478) << "the trace ends at x 476: " << describe(orange);
}

TEST_F(Scene, WedgeIsFilledToHalfVolumeAtStart) {
    const Polled polled =
        waitFor([](const RgbImage& shot) { return fill(shot).count >= 200; }, startTimeout, "fill");
    const ClassBox box = fill(polled.shot);
    // Volume 0.5: the fill triangle (190, 35), (240, 35), (240, 47), that
    // is x 190..240 on window rows 193..205.
    EXPECT_GE(box.left, 190) << describe(box);
    EXPECT_GE(box.right, 236) << describe(box);
    EXPECT_LE(box.right, 240) << describe(box);
    EXPECT_GE(box.top, 191) << describe(box);
    EXPECT_LE(box.bottom, 205) << describe(box);

    // Right of the fill the wedge is white at alpha 0.4 over the
    // honeycomb, up to its slanted top edge (row 205 - (x - 190) / 4).
    PixelCount wedge;
    for (int x = 246; x <= 286; ++x) {
        for (int row = 205 - (x - 190) / 4 + 2; row <= 203; ++row) {
            const Rgb seen = polled.shot.at(x, row);
            if (isSaturated(seen)) {
                continue;  // an oscilloscope line
            }
            const Rgb under = expectedBackground(pictures_.background, x, row);
            const auto veil = [](int c) { return static_cast<int>(255 * 0.4 + c * 0.6 + 0.5); };
            ++wedge.total;
            const int distance = std::max({std::abs(seen.r - veil(under.r)), std::abs(seen.g - veil(under.g)),
                                           std::abs(seen.b - veil(under.b))});
            wedge.matching += distance <= 4 ? 1 : 0;
        }
    }
    EXPECT_GE(wedge.total, 300);
    EXPECT_GE(wedge.fraction(), 0.95) << wedge.matching << " of " << wedge.total
                                      << " pixels right of the fill show the faint white wedge";
}

TEST_F(Scene, HoveringAButtonRingsItAndNoOther) {
    const ButtonPlace* buttons[] = {&previousButton, &playButton, &nextButton};
    waitFor(
        [&](const RgbImage& shot) {
            return untouched(shot, previousButton) && untouched(shot, playButton) && untouched(shot, nextButton);
        },
        startTimeout, "no ring at rest");
    for (const ButtonPlace* hovered : buttons) {
        SCOPED_TRACE(std::string("pointer over ") + hovered->name);
        ASSERT_TRUE(display_.moveMouse(window_, hovered->hitX, 120));
        const Polled polled =
            waitFor([&](const RgbImage& shot) { return ringed(shot, *hovered); }, changeTimeout, "ring");
        for (const ButtonPlace* other : buttons) {
            if (other != hovered) {
                const PixelCount count = clean(polled.shot, *other, true);
                EXPECT_LE(count.total - count.matching, 2)
                    << "a ring also over " << other->name << ": " << count.total - count.matching
                    << " disc pixels changed";
            }
        }
    }
    ASSERT_TRUE(display_.moveMouse(window_, restX, restY));
    waitFor([&](const RgbImage& shot) { return untouched(shot, nextButton); }, changeTimeout, "ring gone");
}

TEST_F(Scene, PlayPauseButtonSwapsItsIcon) {
    waitFor([&](const RgbImage& shot) { return showsIcon(shot, true); }, startTimeout, "pause icon at start");
    ASSERT_TRUE(display_.moveMouse(window_, playButton.hitX, 120));
    ASSERT_TRUE(display_.click(window_, 1));
    waitFor([&](const RgbImage& shot) { return showsIcon(shot, false); }, changeTimeout, "play icon when paused");
    ASSERT_TRUE(display_.click(window_, 1));
    waitFor([&](const RgbImage& shot) { return showsIcon(shot, true); }, changeTimeout, "pause icon when resumed");
}

TEST_F(Scene, DigitKeyChangesTheTitle) {
    const Polled before = waitFor([](const RgbImage& shot) { return title(shot).count >= 200; }, startTimeout,
                                  "first title");
    ASSERT_TRUE(display_.key(window_, "5"));
    // "5. Odd Notion": 13 cells from x 175 to 305, spaces in cells 2 and 6.
    const int cells = 13;
    const int start = 240 - cells * titleAdvance / 2;
    const auto gapAt = [&](const RgbImage& shot, int cell) {
        const int left = start + cell * titleAdvance + 2;
        return findClass(shot, isLavender, left, titleTop, left + 5, titleBottom);
    };
    const Polled after = waitFor(
        [&](const RgbImage& shot) {
            const ClassBox box = title(shot);
            return box.count >= 150 && gapAt(shot, 2).count == 0 && gapAt(shot, 6).count == 0 &&
                   box.left >= start;
        },
        changeTimeout, "fifth title");
    savePng(after.shot, artifactPath("scene_title5.png"));
    const ClassBox was = title(before.shot);
    const ClassBox box = title(after.shot);
    EXPECT_GE(box.left, start) << describe(box);
    EXPECT_LT(box.right, start + cells * titleAdvance) << describe(box);
    EXPECT_GE(box.right, start + (cells - 1) * titleAdvance) << describe(box);
    EXPECT_LT(box.right - box.left, was.right - was.left) << "narrower than " << describe(was);
    EXPECT_GE(box.top, titleTop) << describe(box);
    EXPECT_LE(box.bottom, 44) << describe(box);
    // The glyphs themselves changed, not only the extent.
    int changed = 0;
    for (int row = titleTop; row <= titleBottom; ++row) {
        for (int x = arcFreeLeft; x <= arcFreeRight; ++x) {
            changed += isLavender(before.shot.at(x, row)) != isLavender(after.shot.at(x, row)) ? 1 : 0;
        }
    }
    EXPECT_GE(changed, 150) << "title pixels that differ from the first title";
}

// The outline's three edges on screen: the bottom edge right of the fill
// (window row 205) and the right edge (columns 289 and 290).
double outlineGain(const RgbImage& lit, const RgbImage& plain) {
    std::vector<std::pair<int, int>> edge;
    for (int x = 244; x <= 286; ++x) {
        edge.emplace_back(x, 205);
    }
    for (int row = 183; row <= 201; ++row) {
        edge.emplace_back(289, row);
        edge.emplace_back(290, row);
    }
    double sum = 0;
    int used = 0;
    for (const auto& [x, row] : edge) {
        const Rgb a = lit.at(x, row);
        const Rgb b = plain.at(x, row);
        if (isSaturated(a) || isSaturated(b)) {
            continue;  // an oscilloscope line crossing the edge
        }
        sum += brightness(a) - brightness(b);
        ++used;
    }
    return used < 40 ? 0.0 : sum / used;
}

TEST_F(Scene, HoveringTheWedgeBrightensItsOutline) {
    const Polled rest = waitFor([](const RgbImage& shot) { return fill(shot).count >= 200; }, startTimeout,
                                "wedge at rest");
    ASSERT_TRUE(display_.moveMouse(window_, 270, 200));
    const Polled lit = waitFor([&](const RgbImage& shot) { return outlineGain(shot, rest.shot) >= 12; },
                               changeTimeout, "bright outline");
    EXPECT_GE(outlineGain(lit.shot, rest.shot), 12) << "mean brightness gained along the outline";
    ASSERT_TRUE(display_.moveMouse(window_, restX, restY));
    waitFor([&](const RgbImage& shot) { return std::abs(outlineGain(shot, rest.shot)) < 3; }, changeTimeout,
            "outline faint again");
}

TEST_F(Scene, DraggingOverTheWedgeSetsTheFill) {
    waitFor([](const RgbImage& shot) { return fill(shot).count >= 200; }, startTimeout, "half fill");
    ASSERT_TRUE(display_.drag(window_, 290, 200, 190, 200));
    const Polled empty = waitFor([](const RgbImage& shot) { return fill(shot).count <= 3; }, changeTimeout,
                                 "no fill after dragging to the left edge");
    EXPECT_LE(fill(empty.shot).count, 3) << describe(fill(empty.shot));
    // And back: the whole wedge fills, up to its right edge. (The pointer
    // leaves first: xdotool waits in vain for a move to where it already is.)
    ASSERT_TRUE(display_.moveMouse(window_, restX, restY));
    ASSERT_TRUE(display_.drag(window_, 190, 200, 290, 200));
    const Polled full = waitFor([](const RgbImage& shot) { return fill(shot).right >= 287; }, changeTimeout,
                                "full fill after dragging to the right edge");
    const ClassBox box = fill(full.shot);
    EXPECT_GE(box.count, 1000) << describe(box);
    EXPECT_LE(box.right, 290) << describe(box);
    EXPECT_GE(box.top, 179) << describe(box);
}

}  // namespace
