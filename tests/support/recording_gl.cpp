#include "tests/support/recording_gl.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace recording_gl {
namespace {

// Caps the program and its tests touch; anything else is tracked in the spare slots.
constexpr int capSlots = 16;

struct Tracked {
    State state;
    GLenum caps[capSlots] = {};
    bool enabled[capSlots] = {};
    int capCount = 0;
};

struct SavedAttrib {
    GLbitfield mask;
    Tracked tracked;
};

struct Recorder {
    std::vector<Call> calls;
    // Argument and byte storage of cleared calls, handed to new ones so that a
    // long run that resets every frame allocates nothing in steady state.
    std::vector<std::vector<double>> spareArgs;
    std::vector<std::string> spareBytes;
    Tracked tracked;
    std::vector<SavedAttrib> attribStack;
    GLuint nextListBase = 1;
    bool recording = true;

    Recorder() {
        calls.reserve(4096);
        spareArgs.reserve(4096);
        attribStack.reserve(16);
    }
};

Recorder& recorder() {
    static Recorder instance;
    return instance;
}

Call* record(const char* name, std::initializer_list<double> args, const void* data = nullptr) {
    Recorder& r = recorder();
    if (!r.recording) {
        return nullptr;
    }
    Call& call = r.calls.emplace_back();
    call.name.assign(name);
    if (!r.spareArgs.empty()) {
        call.args = std::move(r.spareArgs.back());
        r.spareArgs.pop_back();
    }
    call.args.assign(args);
    call.data = data;
    return &call;
}

bool* enabledSlot(GLenum cap, bool create) {
    Tracked& t = recorder().tracked;
    for (int i = 0; i < t.capCount; ++i) {
        if (t.caps[i] == cap) {
            return &t.enabled[i];
        }
    }
    if (!create || t.capCount == capSlots) {
        return nullptr;
    }
    t.caps[t.capCount] = cap;
    t.enabled[t.capCount] = false;
    return &t.enabled[t.capCount++];
}

void setEnabled(GLenum cap, bool on) {
    if (bool* slot = enabledSlot(cap, true)) {
        *slot = on;
    }
}

bool wasEnabled(const Tracked& tracked, GLenum cap) {
    for (int i = 0; i < tracked.capCount; ++i) {
        if (tracked.caps[i] == cap) {
            return tracked.enabled[i];
        }
    }
    return false;
}

std::size_t typeSize(GLenum type) {
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
        return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_2_BYTES:
        return 2;
    case GL_3_BYTES:
        return 3;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
    case GL_4_BYTES:
        return 4;
    default:
        return 0;
    }
}

std::size_t componentCount(GLenum format) {
    switch (format) {
    case GL_RGBA:
    case GL_BGRA:
        return 4;
    case GL_RGB:
    case GL_BGR:
        return 3;
    case GL_LUMINANCE_ALPHA:
        return 2;
    default:
        return 1;
    }
}

void appendNumber(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

}  // namespace

std::vector<Call>& calls() {
    return recorder().calls;
}

void reset() {
    Recorder& r = recorder();
    for (Call& call : r.calls) {
        if (call.args.capacity() > 0) {
            r.spareArgs.push_back(std::move(call.args));
        }
        if (call.bytes.capacity() > 15) {
            r.spareBytes.push_back(std::move(call.bytes));
        }
    }
    r.calls.clear();
    r.tracked = Tracked{};
    setEnabled(GL_DITHER, true);  // OpenGL's one cap that starts enabled among those we track
    r.attribStack.clear();
    r.nextListBase = 1;
    r.recording = true;
}

void setGenListsResult(GLuint base) {
    recorder().nextListBase = base;
}

void setRecording(bool on) {
    recorder().recording = on;
}

std::size_t count(const std::string& name) {
    std::size_t n = 0;
    for (const Call& call : recorder().calls) {
        n += call.name == name ? 1 : 0;
    }
    return n;
}

std::string describe(const Call& call) {
    std::string out = call.name;
    out += '(';
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        if (i > 0) {
            out += ", ";
        }
        appendNumber(out, call.args[i]);
    }
    if (!call.bytes.empty()) {
        out += ", \"";
        out += call.bytes;
        out += '"';
    } else if (call.data != nullptr) {
        char pointer[32];
        std::snprintf(pointer, sizeof pointer, "%s%p", call.args.empty() ? "" : ", ", call.data);
        out += pointer;
    }
    out += ')';
    return out;
}

const State& state() {
    return recorder().tracked.state;
}

bool isEnabled(GLenum cap) {
    const bool* slot = enabledSlot(cap, false);
    return slot != nullptr && *slot;
}

}  // namespace recording_gl

using recording_gl::record;
using recording_gl::recorder;

namespace {
recording_gl::State& current() {
    return recorder().tracked.state;
}
double d(GLint v) { return static_cast<double>(v); }
double d(GLuint v) { return static_cast<double>(v); }
double d(GLfloat v) { return static_cast<double>(v); }

// Installed on first use so that a test that never calls reset() still starts from the defaults.
struct DefaultsInstaller {
    DefaultsInstaller() { recording_gl::reset(); }
} defaultsInstaller;
}  // namespace

extern "C" {

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    record("glViewport", {d(x), d(y), d(width), d(height)});
    GLint* v = current().viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
}

void glMatrixMode(GLenum mode) {
    record("glMatrixMode", {d(mode)});
    current().matrixMode = mode;
}

void glLoadIdentity(void) {
    record("glLoadIdentity", {});
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal,
             GLdouble farVal) {
    record("glOrtho", {left, right, bottom, top, nearVal, farVal});
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    record("glClearColor", {d(red), d(green), d(blue), d(alpha)});
}

void glClear(GLbitfield mask) {
    record("glClear", {d(mask)});
}

void glEnable(GLenum cap) {
    record("glEnable", {d(cap)});
    recording_gl::setEnabled(cap, true);
}

void glDisable(GLenum cap) {
    record("glDisable", {d(cap)});
    recording_gl::setEnabled(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
    record("glIsEnabled", {d(cap)});
    return recording_gl::isEnabled(cap) ? GL_TRUE : GL_FALSE;
}

GLenum glGetError(void) {
    record("glGetError", {});
    return GL_NO_ERROR;
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    record("glBlendFunc", {d(sfactor), d(dfactor)});
    current().blendSource = sfactor;
    current().blendDestination = dfactor;
}

void glPixelZoom(GLfloat xfactor, GLfloat yfactor) {
    record("glPixelZoom", {d(xfactor), d(yfactor)});
    current().zoomX = xfactor;
    current().zoomY = yfactor;
}

void glPixelStorei(GLenum pname, GLint param) {
    record("glPixelStorei", {d(pname), d(param)});
    if (pname == GL_UNPACK_ALIGNMENT) {
        current().unpackAlignment = param;
    } else if (pname == GL_PACK_ALIGNMENT) {
        current().packAlignment = param;
    }
}

void glRasterPos2f(GLfloat x, GLfloat y) {
    record("glRasterPos2f", {d(x), d(y)});
    current().rasterPos[0] = x;
    current().rasterPos[1] = y;
}

void glRasterPos2i(GLint x, GLint y) {
    record("glRasterPos2i", {d(x), d(y)});
    current().rasterPos[0] = static_cast<float>(x);
    current().rasterPos[1] = static_cast<float>(y);
}

void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels) {
    record("glDrawPixels", {d(width), d(height), d(format), d(type)}, pixels);
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
    record("glReadPixels", {d(x), d(y), d(width), d(height), d(format), d(type)}, pixels);
    // Nothing is ever drawn here, so the read gives black, transparent pixels:
    // rows padded to the pack alignment, as the caller sized its buffer.
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    const std::size_t row =
        static_cast<std::size_t>(width) * recording_gl::componentCount(format) * recording_gl::typeSize(type);
    const GLint packAlignment = current().packAlignment;
    const std::size_t align = packAlignment > 0 ? static_cast<std::size_t>(packAlignment) : 1;
    const std::size_t stride = (row + align - 1) / align * align;
    std::memset(pixels, 0, stride * static_cast<std::size_t>(height - 1) + row);
}

void glLineWidth(GLfloat width) {
    record("glLineWidth", {d(width)});
    current().lineWidth = width;
}

void glBegin(GLenum mode) {
    record("glBegin", {d(mode)});
    if (current().insideBegin) {
        ++current().unbalancedEnds;
    }
    current().insideBegin = true;
}

void glEnd(void) {
    record("glEnd", {});
    if (!current().insideBegin) {
        ++current().unbalancedEnds;
    }
    current().insideBegin = false;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    record("glColor3f", {d(red), d(green), d(blue)});
    float* c = current().colour;
    c[0] = red;
    c[1] = green;
    c[2] = blue;
    c[3] = 1.0f;
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    record("glColor4f", {d(red), d(green), d(blue), d(alpha)});
    float* c = current().colour;
    c[0] = red;
    c[1] = green;
    c[2] = blue;
    c[3] = alpha;
}

void glVertex2i(GLint x, GLint y) {
    record("glVertex2i", {d(x), d(y)});
}

void glVertex2f(GLfloat x, GLfloat y) {
    record("glVertex2f", {d(x), d(y)});
}

GLuint glGenLists(GLsizei range) {
    record("glGenLists", {d(range)});
    const GLuint base = recorder().nextListBase;
    if (base != 0 && range > 0) {
        recorder().nextListBase = base + static_cast<GLuint>(range);
    }
    return base;
}

void glDeleteLists(GLuint list, GLsizei range) {
    record("glDeleteLists", {d(list), d(range)});
}

void glNewList(GLuint list, GLenum mode) {
    record("glNewList", {d(list), d(mode)});
}

void glEndList(void) {
    record("glEndList", {});
}

void glListBase(GLuint base) {
    record("glListBase", {d(base)});
    current().listBase = base;
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
    recording_gl::Call* call = record("glCallLists", {d(n), d(type)}, lists);
    if (call == nullptr || lists == nullptr || n <= 0) {
        return;
    }
    recording_gl::Recorder& r = recorder();
    if (!r.spareBytes.empty()) {
        call->bytes = std::move(r.spareBytes.back());
        r.spareBytes.pop_back();
    }
    const std::size_t size = static_cast<std::size_t>(n) * recording_gl::typeSize(type);
    call->bytes.assign(static_cast<const char*>(lists), size);
}

void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
              const GLubyte* bitmap) {
    record("glBitmap", {d(width), d(height), d(xorig), d(yorig), d(xmove), d(ymove)}, bitmap);
    current().rasterPos[0] += xmove;
    current().rasterPos[1] += ymove;
}

void glPushAttrib(GLbitfield mask) {
    record("glPushAttrib", {d(mask)});
    recorder().attribStack.push_back({mask, recorder().tracked});
}

void glPopAttrib(void) {
    record("glPopAttrib", {});
    recording_gl::Recorder& r = recorder();
    if (r.attribStack.empty()) {
        return;
    }
    const recording_gl::SavedAttrib saved = r.attribStack.back();
    r.attribStack.pop_back();
    const recording_gl::State& old = saved.tracked.state;
    recording_gl::State& now = r.tracked.state;
    if (saved.mask & GL_LIST_BIT) {
        now.listBase = old.listBase;
    }
    if (saved.mask & GL_LINE_BIT) {
        now.lineWidth = old.lineWidth;
    }
    if (saved.mask & GL_CURRENT_BIT) {
        std::memcpy(now.colour, old.colour, sizeof now.colour);
        std::memcpy(now.rasterPos, old.rasterPos, sizeof now.rasterPos);
    }
    if (saved.mask & GL_PIXEL_MODE_BIT) {
        now.zoomX = old.zoomX;
        now.zoomY = old.zoomY;
    }
    if (saved.mask & GL_VIEWPORT_BIT) {
        std::memcpy(now.viewport, old.viewport, sizeof now.viewport);
    }
    if (saved.mask & GL_COLOR_BUFFER_BIT) {
        now.blendSource = old.blendSource;
        now.blendDestination = old.blendDestination;
    }
    if (saved.mask & GL_TRANSFORM_BIT) {
        now.matrixMode = old.matrixMode;
    }
    // Enable flags are restored wholesale: GL_ENABLE_BIT covers every cap, and
    // GL_LINE_BIT / GL_COLOR_BUFFER_BIT each cover one the program uses.
    if (saved.mask & GL_ENABLE_BIT) {
        std::memcpy(r.tracked.caps, saved.tracked.caps, sizeof r.tracked.caps);
        std::memcpy(r.tracked.enabled, saved.tracked.enabled, sizeof r.tracked.enabled);
        r.tracked.capCount = saved.tracked.capCount;
    } else {
        const bool wasSmooth = recording_gl::wasEnabled(saved.tracked, GL_LINE_SMOOTH);
        const bool wasBlend = recording_gl::wasEnabled(saved.tracked, GL_BLEND);
        if (saved.mask & GL_LINE_BIT) {
            recording_gl::setEnabled(GL_LINE_SMOOTH, wasSmooth);
        }
        if (saved.mask & GL_COLOR_BUFFER_BIT) {
            recording_gl::setEnabled(GL_BLEND, wasBlend);
        }
    }
}

void glGetIntegerv(GLenum pname, GLint* params) {
    record("glGetIntegerv", {d(pname)}, params);
    if (params == nullptr) {
        return;
    }
    const recording_gl::State& s = current();
    switch (pname) {
    case GL_VIEWPORT:
        std::memcpy(params, s.viewport, sizeof s.viewport);
        break;
    case GL_UNPACK_ALIGNMENT:
        params[0] = s.unpackAlignment;
        break;
    case GL_PACK_ALIGNMENT:
        params[0] = s.packAlignment;
        break;
    case GL_LIST_BASE:
        params[0] = static_cast<GLint>(s.listBase);
        break;
    case GL_MATRIX_MODE:
        params[0] = static_cast<GLint>(s.matrixMode);
        break;
    case GL_BLEND_SRC:
        params[0] = static_cast<GLint>(s.blendSource);
        break;
    case GL_BLEND_DST:
        params[0] = static_cast<GLint>(s.blendDestination);
        break;
    default:
        params[0] = 0;  // every other single-valued query: its initial value is 0 or unknown here
        break;
    }
}

void glGetFloatv(GLenum pname, GLfloat* params) {
    record("glGetFloatv", {d(pname)}, params);
    if (params == nullptr) {
        return;
    }
    const recording_gl::State& s = current();
    switch (pname) {
    case GL_LINE_WIDTH:
        params[0] = s.lineWidth;
        break;
    case GL_ZOOM_X:
        params[0] = s.zoomX;
        break;
    case GL_ZOOM_Y:
        params[0] = s.zoomY;
        break;
    case GL_CURRENT_COLOR:
        std::memcpy(params, s.colour, sizeof s.colour);
        break;
    case GL_CURRENT_RASTER_POSITION:
        params[0] = s.rasterPos[0];
        params[1] = s.rasterPos[1];
        params[2] = 0.0f;
        params[3] = 1.0f;
        break;
    case GL_VIEWPORT:
        for (int i = 0; i < 4; ++i) {
            params[i] = static_cast<GLfloat>(s.viewport[i]);
        }
        break;
    default:
        params[0] = 0.0f;
        break;
    }
}

void glFinish(void) {
    record("glFinish", {});
}

void glFlush(void) {
    record("glFlush", {});
}

}  // extern "C"
