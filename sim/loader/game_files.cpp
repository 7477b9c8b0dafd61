#include "sim/loader/game_files.h"

#include "sim/loader/pe_file.h"

#include <fstream>
#include <string>

namespace sim {
namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

FourPartVersion Parts(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) { return {{a, b, c, d}}; }

std::string FourPartText(const FourPartVersion& version, const char* between)
{
    return std::to_string(version.parts[0]) + between + std::to_string(version.parts[1]) + between +
           std::to_string(version.parts[2]) + between + std::to_string(version.parts[3]);
}

// What SFSE's resource scripts give its files: the same version as file and
// product version, with "SFSE" as the product's name.
VersionResource SfseVersion(const FourPartVersion& version, const char* description, const std::string& text)
{
    return {version, version, 1,
            {{"FileDescription", description}, {"FileVersion", text}, {"InternalName", "SFSE"},
             {"ProductName", "SFSE"}, {"ProductVersion", text}}};
}

}  // namespace

void WriteGameExe(const std::filesystem::path& folder, std::uint32_t runtime, GameStore store)
{
    const FourPartVersion version = Parts(static_cast<std::uint16_t>(sfse::VersionMajor(runtime)),
                                          static_cast<std::uint16_t>(sfse::VersionMinor(runtime)),
                                          static_cast<std::uint16_t>(sfse::VersionBuild(runtime)), 0);
    PeFileContents exe;
    exe.version = VersionResource{version, version, 1,
                                  {{"CompanyName", "Bethesda Softworks"}, {"FileVersion", FourPartText(version, ".")},
                                   {"ProductName", "Starfield"}, {"ProductVersion", FourPartText(version, ".")}}};
    switch (store) {
    case GameStore::Steam:
        exe.sectionNames = {".bind"};
        break;
    case GameStore::GamePass:
        exe.imports = {"XCurl.dll"};
        break;
    case GameStore::Epic:
        exe.imports = {"eossdk-win64-shipping.dll"};
        break;
    case GameStore::Gog:
        exe.imports = {"Galaxy64.dll"};
        break;
    case GameStore::Packed:
        exe.sectionNames = {"UPX0", "UPX1"};
        break;
    }
    WriteFile(folder / "Starfield.exe", PeFileBytes(exe));
}

void WriteHostDll(const std::filesystem::path& path, const HostRelease& release, std::uint32_t coreRuntime)
{
    const FourPartVersion version = Parts(0, static_cast<std::uint16_t>(sfse::VersionMajor(release.version)),
                                          static_cast<std::uint16_t>(sfse::VersionMinor(release.version)),
                                          static_cast<std::uint16_t>(sfse::VersionBuild(release.version)));
    PeFileContents dll;
    dll.dll = true;
    dll.imageBase = kHostDllBase;
    dll.version = SfseVersion(version, "Starfield Script Extender core DLL", FourPartText(version, ", "));
    // SFSECoreVersionData: its format (1), then the runtime it is built for.
    dll.exportName = "SFSECore_Version";
    dll.exportData = std::string("\x01\0\0\0", 4);
    for (int shift = 0; shift < 32; shift += 8)
        dll.exportData += static_cast<char>(coreRuntime >> shift & 0xFF);
    WriteFile(path, PeFileBytes(dll));
}

void WriteHostFiles(const std::filesystem::path& folder, const HostRelease& release)
{
    PeFileContents loader;
    loader.version = SfseVersion(Parts(0, 1, 1, 1), "Starfield Script Extender (SFSE) Loader", "1.1.1");
    WriteFile(folder / "sfse_loader.exe", PeFileBytes(loader));
    WriteHostDll(folder / HostDllName(release.runtime), release, release.runtime);
}

}  // namespace sim
