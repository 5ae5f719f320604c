// The embedded resources and the table of the nine tracks.
#pragma once

#include <array>
#include <cstdint>

#include "assets/byte_buffer.h"

struct TrackSlot {
    const char* title = nullptr;  // one of trackTable's texts; not owned
    ByteBuffer moduleBytes;       // the whole module file, as stored in the resource
};

struct TrackTableRow {
    const char* title;
    std::uint16_t resourceId;
};

constexpr int trackCount = 9;

constexpr std::array<TrackTableRow, trackCount> trackTable{{
    {"1. Glass Orbit", 112},
    {"2. Mr Quillop", 114},
    {"3. Tin Lantern", 115},
    {"4. Circuit Storm", 116},
    {"5. Odd Notion", 117},
    {"6. Build & Break", 118},
    {"7. Nebular", 119},
    {"8. Grey Tune", 120},
    {"9. Bright Tune", 121},
}};

// Resource ids of the pictures (type "PNG").
constexpr std::uint16_t discImageId = 122;
constexpr std::uint16_t playIconId = 124;
constexpr std::uint16_t nextIconId = 125;
constexpr std::uint16_t pauseIconId = 126;
constexpr std::uint16_t backgroundId = 128;

// Replaces buffer's content with the resource's bytes. False (and an empty
// buffer) when the resource is missing, of another type, or empty.
bool loadResource(ByteBuffer& buffer, std::uint16_t id, const char* type);
