#pragma once

// Reading a PE image in memory, as the host does with a plugin's file: its
// headers, its exports and its import slots. One module for the host's scan
// and for the tests' plugin loader.

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

// The base of a module mapped with LOAD_LIBRARY_AS_IMAGE_RESOURCE (its handle
// carries flags in its low bits).
const std::uint8_t* MappedImageBase(void* module);

// True when the image is built for x64, as the host tells it.
bool IsAmd64Image(const std::uint8_t* image);

// The bytes the loaded image spans.
std::size_t ImageSize(const std::uint8_t* image);

// The image's export `name`, or null.
const std::uint8_t* FindExport(const std::uint8_t* image, const char* name);

// The import address slot through which the loaded `image` calls `function`
// of `dll` (matched without regard to case), or null.
void** FindImportSlot(std::uint8_t* image, const std::string& dll, const std::string& function);

// Points the loaded `module`'s import of `function` from `dll` at
// `replacement`; the import it replaced, or null when it has none.
void* ReplaceImport(void* module, const std::string& dll, const std::string& function, void* replacement);

}  // namespace sim
