#pragma once

// A PE file read from its bytes, never loaded: the machine, the section
// names, the DLLs it imports, an export's data by name and the version
// resource, each as Windows or the script extender would find them. Every
// read is checked against the file's end: a cut or damaged file gives
// nothing, never a read outside it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

struct PeImage {
    std::string_view bytes;
    std::size_t peHeader = 0;      // the file offset of "PE\0\0"
    std::uint16_t machine = 0;
    std::size_t sections = 0;      // the file offset of the first section header
    std::uint16_t sectionCount = 0;
    std::size_t optionalHeader = 0;
};

// Nullopt when the bytes do not begin as a PE file does.
std::optional<PeImage> ReadPeImage(std::string_view bytes);

// Whether the image has an export table at all: without one, the host's
// export lookup faults.
bool HasExportTable(const PeImage& image);

// The bytes from the export `name` to the file's end, found as the host
// finds it (each name in turn, its ordinal in range); nullopt without.
std::optional<std::string_view> ExportedData(const PeImage& image, std::string_view name);

std::vector<std::string> SectionNames(const PeImage& image);

// The DLL names of the import directory, as written.
std::vector<std::string> ImportedDlls(const PeImage& image);

// The version resource, as GetFileVersionInfo and VerQueryValue give it:
// the fixed record's versions and the strings of table 040904b0 (US English,
// Unicode), the one SFSE's loader asks.
struct PeVersion {
    std::uint64_t fileVersion = 0;     // dwFileVersionMS << 32 | dwFileVersionLS
    std::uint64_t productVersion = 0;
    std::string productVersionText;    // "ProductVersion", as UTF-8
    std::string productName;           // "ProductName"
};
std::optional<PeVersion> ReadPeVersion(const PeImage& image);

// "1.15.216.0" of a fixed record's version.
std::string FourPartText(std::uint64_t version);

}  // namespace varnel
