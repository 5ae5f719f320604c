// The executable's resources: files the build embedded (assets/resources.rc),
// found by integer id and type name as the program asks for them.
#include <cstring>

#include "platform/embedded_resources.h"
#include "platform/winapi.h"

namespace {

// There is one module: the program itself. Its handle only has to be non-null and stable.
struct ModuleObjectStandIn {
    int unused;
} programModule;

const EmbeddedResource* entryOf(HRSRC resource) { return reinterpret_cast<const EmbeddedResource*>(resource); }

}  // namespace

HMODULE GetModuleHandleA(const char* moduleName) {
    // Only the program's own module is known; a named library is not loaded here.
    if (moduleName != nullptr) return nullptr;
    return reinterpret_cast<HMODULE>(&programModule);
}

HRSRC FindResourceA(HMODULE module, const char* name, const char* type) {
    if (module != reinterpret_cast<HMODULE>(&programModule)) return nullptr;
    // Resources are named by integer ids and typed by name strings; nothing else was embedded.
    if (name == nullptr || !IS_INTRESOURCE(name) || type == nullptr || IS_INTRESOURCE(type)) return nullptr;
    auto id = static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(name));
    for (int i = 0; i < embeddedResourceCount; ++i) {
        const EmbeddedResource& entry = embeddedResources[i];
        if (entry.id == id && std::strcmp(entry.type, type) == 0)
            return reinterpret_cast<HRSRC>(const_cast<EmbeddedResource*>(&entry));
    }
    return nullptr;
}

// Embedded data is part of the loaded image: loading and locking only hand out its address.
HGLOBAL LoadResource(HMODULE, HRSRC resource) { return reinterpret_cast<HGLOBAL>(resource); }

void* LockResource(HGLOBAL data) {
    if (data == nullptr) return nullptr;
    return const_cast<unsigned char*>(reinterpret_cast<const EmbeddedResource*>(data)->begin);
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) return 0;
    const EmbeddedResource* entry = entryOf(resource);
    return static_cast<DWORD>(entry->end - entry->begin);
}
