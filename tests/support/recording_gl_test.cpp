#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "tests/support/recording_gl.h"

namespace {

class RecordingGlTest : public ::testing::Test {
protected:
    void SetUp() override { recording_gl::reset(); }
};

TEST_F(RecordingGlTest, RecordsCallsInOrderWithExactArguments) {
    glOrtho(0, 480, 0, 240, -1, 1);
    glColor4f(0.1f, 0.5f, 1.0f, 0.7f);
    glVertex2i(-76, 307);
    glEnable(GL_BLEND);
    const auto& calls = recording_gl::calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(recording_gl::describe(calls[0]), "glOrtho(0, 480, 0, 240, -1, 1)");
    EXPECT_EQ(calls[1].args[0], static_cast<double>(0.1f)) << "floats are kept exactly, not widened from text";
    EXPECT_EQ(recording_gl::describe(calls[2]), "glVertex2i(-76, 307)");
    EXPECT_EQ(recording_gl::describe(calls[3]), "glEnable(" + std::to_string(GL_BLEND) + ")");
}

TEST_F(RecordingGlTest, CallListsKeepsACopyOfTheBytesAndDrawPixelsThePointer) {
    char title[] = "Nebular";
    glCallLists(7, GL_UNSIGNED_BYTE, title);
    title[0] = 'X';
    const unsigned char pixels[4] = {1, 2, 3, 4};
    glDrawPixels(1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    const auto& calls = recording_gl::calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].bytes, "Nebular");
    EXPECT_EQ(calls[1].data, pixels);
}

TEST_F(RecordingGlTest, GenListsReturnsTheScriptedBaseAndAllocatesOnwards) {
    EXPECT_EQ(glGenLists(96), 1u);
    EXPECT_EQ(glGenLists(2), 97u);
    recording_gl::setGenListsResult(0);
    EXPECT_EQ(glGenLists(96), 0u);
    EXPECT_EQ(glGenLists(96), 0u);
    recording_gl::reset();
    recording_gl::setGenListsResult(1000);
    EXPECT_EQ(glGenLists(96), 1000u);
}

TEST_F(RecordingGlTest, TracksStateThroughAttributeStack) {
    glEnable(GL_LINE_SMOOTH);
    glListBase(5);
    glPushAttrib(GL_LIST_BIT);
    glListBase(100);
    glDisable(GL_LINE_SMOOTH);
    glPopAttrib();
    EXPECT_EQ(recording_gl::state().listBase, 5u);
    EXPECT_FALSE(recording_gl::isEnabled(GL_LINE_SMOOTH)) << "GL_LIST_BIT does not cover line smoothing";

    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(3);
    glPopAttrib();
    EXPECT_FALSE(recording_gl::isEnabled(GL_LINE_SMOOTH));
    EXPECT_EQ(recording_gl::state().lineWidth, 1.0f);

    GLint viewport[4] = {};
    glViewport(0, 0, 480, 240);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 480);
    EXPECT_EQ(viewport[3], 240);
}

TEST_F(RecordingGlTest, ResetClearsCallsAndStateAndRecordingCanBePaused) {
    glLineWidth(3);
    glBegin(GL_LINES);
    recording_gl::reset();
    EXPECT_TRUE(recording_gl::calls().empty());
    EXPECT_EQ(recording_gl::state().lineWidth, 1.0f);
    EXPECT_FALSE(recording_gl::state().insideBegin);

    recording_gl::setRecording(false);
    glPixelZoom(-1, 1);
    EXPECT_TRUE(recording_gl::calls().empty());
    EXPECT_EQ(recording_gl::state().zoomX, -1.0f) << "state is still tracked";
}

TEST_F(RecordingGlTest, ReadPixelsFillsOnlyTheAlignedRows) {
    // 3 RGB pixels = 9 bytes per row, padded to 12 with the default alignment;
    // the last row is not padded.
    unsigned char buffer[12 + 9 + 1];
    std::fill(std::begin(buffer), std::end(buffer), 0xAB);
    glReadPixels(0, 0, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, buffer);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(buffer[i], 0) << "byte " << i;
    }
    EXPECT_EQ(buffer[21], 0xAB) << "written past the last row";
}

}  // namespace
