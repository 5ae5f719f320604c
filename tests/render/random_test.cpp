#include <gtest/gtest.h>

#include "render/random.h"
#include "tests/render/render_fixture.h"

TEST(NextRandom, StartsWithTheKnownValuesOfItsRecurrence) {
    resetRandomForTesting();
    const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(nextRandom(), first[i]) << "value " << i;
    }
}

TEST(NextRandom, FollowsTheReferenceOverALongRun) {
    resetRandomForTesting();
    ReferenceRandom reference;
    for (int i = 0; i < 200000; ++i) {
        const int value = nextRandom();
        ASSERT_EQ(value, reference.next()) << "value " << i;
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(RandomFraction, IsTheNextValueOver32767RoundedToFloat) {
    resetRandomForTesting();
    ReferenceRandom reference;
    for (int i = 0; i < 1000; ++i) {
        const float expected = static_cast<float>(reference.next() / 32767.0);
        ASSERT_EQ(randomFraction(), expected) << "value " << i;
    }
}

TEST(RandomFraction, ReachesBothEnds) {
    // Some value in the sequence is 0 and some is 32767; their fractions are exactly 0 and 1.
    resetRandomForTesting();
    ReferenceRandom reference;
    bool sawZero = false;
    bool sawOne = false;
    for (int i = 0; i < 2000000 && !(sawZero && sawOne); ++i) {
        const int value = reference.next();
        const float fraction = randomFraction();
        if (value == 0) {
            sawZero = true;
            EXPECT_EQ(fraction, 0.0f);
        }
        if (value == 32767) {
            sawOne = true;
            EXPECT_EQ(fraction, 1.0f);
        }
    }
    EXPECT_TRUE(sawZero);
    EXPECT_TRUE(sawOne);
}
