#pragma once

// PE files as the files beside the game are made: sections by name, the
// DLLs an image imports, one exported data record, and a version resource.
// Nothing in them runs; each reads as its real counterpart does to a program
// that reads the file (Windows' version functions, a section or import
// scan, an export lookup on the mapped image).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

// Four 16-bit parts, major first: 1.15.216.0.
struct FourPartVersion {
    std::uint16_t parts[4] = {};
};

// VS_VERSIONINFO with its fixed record and the strings of table 040904b0.
struct VersionResource {
    FourPartVersion fileVersion;
    FourPartVersion productVersion;
    std::uint32_t fileType = 1;  // VFT_APP, as the game's and SFSE's files say
    std::vector<std::pair<std::string, std::string>> strings;  // "ProductVersion", "1.15.216.0"
};

struct PeFileContents {
    bool dll = false;
    std::uint64_t imageBase = 0x140000000;  // where the image asks to be loaded
    std::vector<std::string> sectionNames;  // besides the file's own; ".bind" marks Steam's DRM
    std::vector<std::string> imports;       // DLL names
    std::optional<VersionResource> version;
    // One export naming data in the file (a DLL's exported record).
    std::string exportName;
    std::string exportData;
};

// The file's bytes.
std::string PeFileBytes(const PeFileContents& contents);

}  // namespace sim
