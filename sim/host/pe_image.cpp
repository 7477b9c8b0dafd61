#include "sim/host/pe_image.h"

#include <windows.h>

#include <cstring>

namespace sim {
namespace {

template <typename T>
T* At(const std::uint8_t* base, DWORD rva)
{
    return reinterpret_cast<T*>(const_cast<std::uint8_t*>(base) + rva);
}

const IMAGE_NT_HEADERS64* NtHeaders(const std::uint8_t* image)
{
    return At<const IMAGE_NT_HEADERS64>(image, static_cast<DWORD>(At<const IMAGE_DOS_HEADER>(image, 0)->e_lfanew));
}

}  // namespace

const std::uint8_t* MappedImageBase(void* module)
{
    return reinterpret_cast<const std::uint8_t*>(reinterpret_cast<std::uintptr_t>(module) & ~std::uintptr_t{3});
}

bool IsAmd64Image(const std::uint8_t* image)
{
    return NtHeaders(image)->FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64;
}

std::size_t ImageSize(const std::uint8_t* image) { return NtHeaders(image)->OptionalHeader.SizeOfImage; }

const std::uint8_t* FindExport(const std::uint8_t* image, const char* name)
{
    const auto& directory = NtHeaders(image)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.VirtualAddress == 0)
        return nullptr;
    const auto* exports = At<const IMAGE_EXPORT_DIRECTORY>(image, directory.VirtualAddress);
    const auto* names = At<const DWORD>(image, exports->AddressOfNames);
    const auto* ordinals = At<const WORD>(image, exports->AddressOfNameOrdinals);
    const auto* functions = At<const DWORD>(image, exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (std::strcmp(At<const char>(image, names[i]), name) == 0)
            return image + functions[ordinals[i]];
    }
    return nullptr;
}

void** FindImportSlot(std::uint8_t* image, const std::string& dll, const std::string& function)
{
    const auto& imports = NtHeaders(image)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = At<IMAGE_IMPORT_DESCRIPTOR>(image, imports.VirtualAddress); library->Name != 0; ++library) {
        if (_stricmp(At<const char>(image, library->Name), dll.c_str()) != 0)
            continue;
        const auto* name = At<const IMAGE_THUNK_DATA64>(image, library->OriginalFirstThunk);
        auto* slot = At<IMAGE_THUNK_DATA64>(image, library->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL64(name->u1.Ordinal))
                continue;
            const auto* byName = At<const IMAGE_IMPORT_BY_NAME>(image, static_cast<DWORD>(name->u1.AddressOfData));
            if (function == reinterpret_cast<const char*>(byName->Name))
                return reinterpret_cast<void**>(&slot->u1.Function);
        }
    }
    return nullptr;
}

void* ReplaceImport(void* module, const std::string& dll, const std::string& function, void* replacement)
{
    void** slot = FindImportSlot(static_cast<std::uint8_t*>(module), dll, function);
    if (slot == nullptr)
        return nullptr;
    DWORD previousProtection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previousProtection);
    void* previous = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, previousProtection, &previousProtection);
    return previous;
}

}  // namespace sim
