// The table of files the build embeds into the executable (assets/resources.rc).
#pragma once

#include <cstdint>

struct EmbeddedResource {
    std::uint16_t id;
    const char* type;
    const unsigned char* begin;
    const unsigned char* end;
};

// Ends with an entry whose begin is null; embeddedResourceCount excludes it.
extern const EmbeddedResource embeddedResources[];
extern const int embeddedResourceCount;
