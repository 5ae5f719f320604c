// A stand-in for the OpenGL 1.1 library in unit tests: every entry point the
// program calls is defined here with C linkage and records its name and
// arguments in order, so a test can check a layer call by call with no
// display. It also keeps the little state a test wants to ask about
// afterwards (what a layer left enabled, the line width, the pixel zoom).
// Link the `recording_gl` target in place of libGL.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace recording_gl {

struct Call {
    std::string name;            // e.g. "glVertex2i"
    std::vector<double> args;    // every float, integer and enum argument, exactly, in order
    const void* data = nullptr;  // the pointer argument, if any (pixels, list offsets, bitmap)
    std::string bytes;           // glCallLists only: a copy of the list offsets passed
};

// Every call since the last reset, in order.
std::vector<Call>& calls();

// Clears the record, the tracked state and the scripted results.
void reset();

// What glGenLists returns next (default 1). A non-zero base then advances by
// the range asked for, as a real allocator would; 0 stays 0 (lists exhausted).
void setGenListsResult(GLuint base);

// "glVertex2i(0, 116)", for failure messages.
std::string describe(const Call& call);

// With recording off the calls still update the tracked state but are not
// stored: for long runs that only care about what happens at the end.
void setRecording(bool on);

// Number of calls named name in the record.
std::size_t count(const std::string& name);

// The state the stand-in tracks; everything starts at OpenGL's defaults.
struct State {
    float lineWidth = 1.0f;
    float zoomX = 1.0f;
    float zoomY = 1.0f;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float rasterPos[2] = {0.0f, 0.0f};
    GLint viewport[4] = {0, 0, 0, 0};
    GLenum matrixMode = GL_MODELVIEW;
    GLuint listBase = 0;
    GLint unpackAlignment = 4;
    GLint packAlignment = 4;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    bool insideBegin = false;  // between glBegin and glEnd
    int unbalancedEnds = 0;    // glEnd without glBegin, or glBegin inside glBegin
};
const State& state();
bool isEnabled(GLenum cap);

}  // namespace recording_gl
