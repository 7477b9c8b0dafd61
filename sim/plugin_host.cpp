#include "sim/plugin_host.h"

#include <windows.h>

#include <cstring>

namespace sim {
namespace {

template <typename T>
T* At(std::uint8_t* base, DWORD rva)
{
    return reinterpret_cast<T*>(base + rva);
}

void* ReplaceSlot(IMAGE_THUNK_DATA64* slot, void* replacement)
{
    DWORD previousProtection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previousProtection);
    void* previous = reinterpret_cast<void*>(slot->u1.Function);
    slot->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
    VirtualProtect(slot, sizeof *slot, previousProtection, &previousProtection);
    return previous;
}

}  // namespace

LoadedPlugin LoadPluginLibrary(const std::string& path)
{
    LoadedPlugin plugin;
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        return plugin;
    plugin.module = module;
    plugin.load = reinterpret_cast<bool (*)(const void*)>(
        reinterpret_cast<void*>(GetProcAddress(module, "SFSEPlugin_Load")));
    plugin.versionRecord = reinterpret_cast<const void*>(GetProcAddress(module, "SFSEPlugin_Version"));
    return plugin;
}

void* PatchImport(void* module, const std::string& dll, const std::string& function, void* replacement)
{
    auto* base = static_cast<std::uint8_t*>(module);
    const auto* nt = At<IMAGE_NT_HEADERS64>(base, static_cast<DWORD>(At<IMAGE_DOS_HEADER>(base, 0)->e_lfanew));
    const auto& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = At<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); library->Name != 0; ++library) {
        if (_stricmp(At<char>(base, library->Name), dll.c_str()) != 0)
            continue;
        auto* name = At<IMAGE_THUNK_DATA64>(base, library->OriginalFirstThunk);
        auto* slot = At<IMAGE_THUNK_DATA64>(base, library->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL64(name->u1.Ordinal))
                continue;
            const auto* byName = At<IMAGE_IMPORT_BY_NAME>(base, static_cast<DWORD>(name->u1.AddressOfData));
            if (function == reinterpret_cast<const char*>(byName->Name))
                return ReplaceSlot(slot, replacement);
        }
    }
    return nullptr;
}

}  // namespace sim
