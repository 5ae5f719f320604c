#include "assets/track_table.h"

#include <cstring>

#include "platform/winapi.h"

bool loadResource(ByteBuffer& buffer, std::uint16_t id, const char* type) {
    buffer.clear();
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return false;
    const void* bytes = LockResource(loaded);
    if (bytes == nullptr) return false;
    DWORD size = SizeofResource(module, found);
    if (size == 0) return false;
    buffer.resize(size);
    std::memcpy(buffer.data(), bytes, size);
    return true;
}
