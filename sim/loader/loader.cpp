#include "sim/loader/loader.h"

#include "sim/host/host.h"
#include "sim/host/host_loader.h"
#include "sim/host/pe_image.h"
#include "sim/text.h"

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace sim {
namespace {

namespace fs = std::filesystem;

// The loader's own version, in the first line of every release's log.
constexpr std::uint32_t kLoaderVersion = 0x01010010;
// Host DLLs older than this file version (0.0.2.14) predate its signature.
constexpr std::uint64_t kFirstSignedVersion = 0x000000000002000E;

std::string Format(const char* format, ...)
{
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

struct Run {
    LoaderRun result;
    void Log(const std::string& line) { result.log.push_back(line); }
    // PrintLoaderError: the log's line, then the box.
    void Stop(const std::string& text)
    {
        Log(text);
        result.box = text;
    }
};

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// The loader's "does it open": 0 when it does, else Windows' error.
DWORD OpenError(const fs::path& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() != 0 ? GetLastError() : ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return 0;
}

struct FileVersion {
    VS_FIXEDFILEINFO fixed{};
    std::string productName;
    std::string productVersion;
};

std::string VersionString(void* block, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (VerQueryValueW(block, query.c_str(), reinterpret_cast<void**>(&value), &length) == 0 || length == 0 || value == nullptr)
        return {};
    std::string text;
    for (; *value != 0; ++value)
        text += static_cast<char>(*value < 0x80 ? *value : '?');
    return text;
}

// GetFileVersion (IdentifyEXE.cpp): the fixed record, with the product's name and version.
std::optional<FileVersion> ReadFileVersion(const fs::path& path, Run& run)
{
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    if (size == 0) {
        run.Log(Format("GetFileVersionInfoSize failed (%08X)", static_cast<unsigned>(GetLastError())));
        return std::nullopt;
    }
    std::string block(size, '\0');
    if (GetFileVersionInfoW(path.c_str(), 0, size, block.data()) == 0) {
        run.Log(Format("GetFileVersionInfo failed (%08X)", static_cast<unsigned>(GetLastError())));
        return std::nullopt;
    }
    FileVersion version;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    const bool found = VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) != 0 && fixed != nullptr;
    if (!found)
        run.Log(Format("VerQueryValue failed (%08X)", static_cast<unsigned>(GetLastError())));
    else
        version.fixed = *fixed;
    version.productName = VersionString(block.data(), L"ProductName");
    version.productVersion = VersionString(block.data(), L"ProductVersion");
    return found ? std::optional(version) : std::nullopt;
}

void DumpVersionInfo(const VS_FIXEDFILEINFO& info, Run& run)
{
    const std::pair<const char*, DWORD> fields[] = {
        {"dwSignature", info.dwSignature},         {"dwStrucVersion", info.dwStrucVersion},
        {"dwFileVersionMS", info.dwFileVersionMS}, {"dwFileVersionLS", info.dwFileVersionLS},
        {"dwProductVersionMS", info.dwProductVersionMS}, {"dwProductVersionLS", info.dwProductVersionLS},
        {"dwFileFlagsMask", info.dwFileFlagsMask}, {"dwFileFlags", info.dwFileFlags},
        {"dwFileOS", info.dwFileOS},               {"dwFileType", info.dwFileType},
        {"dwFileSubtype", info.dwFileSubtype},     {"dwFileDateMS", info.dwFileDateMS},
        {"dwFileDateLS", info.dwFileDateLS}};
    for (const auto& [name, value] : fields)
        run.Log(Format("%s = %08X", name, static_cast<unsigned>(value)));
}

// VersionStrToInt: four numbers of at most 16 bits, major first.
std::optional<std::uint64_t> VersionNumber(const std::string& text)
{
    int parts[4] = {};
    if (std::sscanf(text.c_str(), "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]) != 4)
        return std::nullopt;
    std::uint64_t version = 0;
    for (const int part : parts) {
        if (part > 0xFFFF)
            return std::nullopt;
        version = version << 16 | static_cast<std::uint16_t>(part);
    }
    return version;
}

// The file's bytes and the reads ScanEXE makes on them, each bounds-checked,
// at the offsets of Windows' own PE records.
struct ExeFile {
    std::string bytes;

    std::uint32_t U32(std::size_t at) const
    {
        if (at + 4 > bytes.size())
            return 0;
        std::uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    }
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(U32(at) & 0xFFFF); }
    std::size_t Headers() const { return U32(offsetof(IMAGE_DOS_HEADER, e_lfanew)); }
    std::size_t Sections() const
    {
        return Headers() + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
               U16(Headers() + offsetof(IMAGE_NT_HEADERS64, FileHeader) + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader));
    }
    std::size_t SectionCount() const
    {
        return U16(Headers() + offsetof(IMAGE_NT_HEADERS64, FileHeader) + offsetof(IMAGE_FILE_HEADER, NumberOfSections));
    }
    std::size_t Section(std::size_t i) const { return Sections() + sizeof(IMAGE_SECTION_HEADER) * i; }
    std::string SectionName(std::size_t i) const
    {
        const std::size_t at = Section(i);
        return at + IMAGE_SIZEOF_SHORT_NAME <= bytes.size()
                   ? std::string(bytes.c_str() + at, strnlen(bytes.c_str() + at, IMAGE_SIZEOF_SHORT_NAME))
                   : std::string();
    }
    // The file offset of `rva`, or 0 when no section holds it.
    std::size_t Offset(std::uint32_t rva) const
    {
        for (std::size_t i = 0; i < SectionCount(); ++i) {
            const std::uint32_t start = U32(Section(i) + offsetof(IMAGE_SECTION_HEADER, VirtualAddress));
            if (rva >= start && rva < start + U32(Section(i) + offsetof(IMAGE_SECTION_HEADER, SizeOfRawData)))
                return rva - start + U32(Section(i) + offsetof(IMAGE_SECTION_HEADER, PointerToRawData));
        }
        return 0;
    }
    std::string TextAt(std::size_t at) const
    {
        return at < bytes.size() ? std::string(bytes.c_str() + at, strnlen(bytes.c_str() + at, bytes.size() - at)) : std::string();
    }
};

bool HasSection(const ExeFile& exe, const char* name)
{
    for (std::size_t i = 0; i < exe.SectionCount(); ++i) {
        if (exe.SectionName(i) == name)
            return true;
    }
    return false;
}

bool ImportsLibrary(const ExeFile& exe, const char* name)
{
    const std::size_t directory = exe.Headers() + offsetof(IMAGE_NT_HEADERS64, OptionalHeader.DataDirectory) +
                                  IMAGE_DIRECTORY_ENTRY_IMPORT * sizeof(IMAGE_DATA_DIRECTORY);
    const std::uint32_t rva = exe.U32(directory);
    if (rva == 0 || exe.U32(directory + offsetof(IMAGE_DATA_DIRECTORY, Size)) == 0)
        return false;
    std::size_t at = exe.Offset(rva);
    for (; at != 0 && exe.U32(at) != 0; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        if (SameNameIgnoringCase(exe.TextAt(exe.Offset(exe.U32(at + offsetof(IMAGE_IMPORT_DESCRIPTOR, Name)))), name))
            return true;
    }
    return false;
}

// ScanEXE: the store, told from the sections and imports in this order.
const char* ExeType(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    const ExeFile exe{{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}};
    if (HasSection(exe, "UPX0"))
        return "packed exe";
    if (HasSection(exe, ".bind"))
        return "steam exe";
    if (ImportsLibrary(exe, "XCurl.dll"))
        return "winstore exe";
    if (ImportsLibrary(exe, "Galaxy64.dll"))
        return "gog exe";
    if (ImportsLibrary(exe, "eossdk-win64-shipping.dll"))
        return "epic exe";
    return "normal exe";
}

std::uint32_t PackedRuntime(std::uint64_t version)
{
    return sfse::EncodeVersion(static_cast<std::uint32_t>(version >> 48 & 0xFFFF), static_cast<std::uint32_t>(version >> 32 & 0xFFFF),
                               static_cast<std::uint32_t>(version >> 16 & 0xFFFF), 0);
}

// IdentifyEXE: the game's version and store; the host DLL's suffix, or nothing after a stop.
std::optional<std::string> IdentifyExe(const fs::path& exe, Run& run, std::uint32_t& runtime)
{
    const std::optional<FileVersion> version = ReadFileVersion(exe, run);
    if (version) {
        DumpVersionInfo(version->fixed, run);
        run.Log("productVersionStr = " + version->productVersion);
    }
    const std::optional<std::uint64_t> number = version ? VersionNumber(version->productVersion) : std::nullopt;
    if (!number) {
        run.Stop("Couldn't retrieve EXE version information.");
        return std::nullopt;
    }
    run.Log(Format("version = %016llX", static_cast<unsigned long long>(*number)));
    run.Log("product name = " + version->productName);
    runtime = PackedRuntime(*number);
    if (version->productName == "SFSE") {
        run.Log("found an SFSE component");
        return std::nullopt;
    }
    const std::string type = ExeType(exe);
    run.Log(type);
    if (type == "winstore exe")
        run.Stop("The Windows Store (gamepass) version of Starfield is not supported.");
    else if (type == "epic exe")
        run.Stop("The Epic Store version of Starfield is not supported.");
    else if (type == "packed exe")
        run.Stop("Packed versions of Starfield are not supported.");
    if (run.result.box)
        return std::nullopt;
    const std::string suffix = Format("%u_%u_%u", static_cast<unsigned>(sfse::VersionMajor(runtime)),
                                      static_cast<unsigned>(sfse::VersionMinor(runtime)),
                                      static_cast<unsigned>(sfse::VersionBuild(runtime)));
    return type == "gog exe" ? suffix + "_gog" : suffix;
}

// The runtime the host DLL's SFSECore_Version record names, as the loader
// reads it from the DLL mapped as a resource; nullopt when it has none.
std::optional<std::uint32_t> CoreRuntime(const fs::path& dll)
{
    HMODULE module = LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr)
        return std::nullopt;
    std::optional<std::uint32_t> runtime;
    const std::uint8_t* image = MappedImageBase(module);
    if (IsAmd64Image(image)) {
        if (const std::uint8_t* record = FindExport(image, "SFSECore_Version")) {
            std::uint32_t fields[2] = {};
            std::memcpy(fields, record, sizeof fields);
            if (fields[0] == 1)
                runtime = fields[1];
        }
    }
    FreeLibrary(module);
    return runtime;
}

// A host DLL that does not fit: older than the signature, or wrong.
void StopOnHostDll(const fs::path& dll, const std::string& dllText, std::uint32_t runtime, std::uint32_t dllRuntime,
                   const HostRelease& release, Run& run)
{
    bool preSigning = false;
    std::string productVersion;
    if (const std::optional<FileVersion> version = ReadFileVersion(dll, run)) {
        run.Log("SFSE DLL version");
        DumpVersionInfo(version->fixed, run);
        run.Log("productName = " + version->productName);
        run.Log("productVersion = " + version->productVersion);
        productVersion = version->productVersion;
        preSigning = (std::uint64_t{version->fixed.dwFileVersionMS} << 32 | version->fixed.dwFileVersionLS) < kFirstSignedVersion;
    } else {
        run.Log("couldn't get file version info");
    }
    if (preSigning) {
        run.Stop(Format("Old SFSE DLL (%s).\nPlease make sure that you have replaced all files with their new versions.\n"
                        "DLL version (%s) EXE version (%s)",
                        dllText.c_str(), productVersion.c_str(), sfse::VersionText(release.version).c_str()));
    } else {
        run.Stop(Format("Bad SFSE DLL (%s).\nDo not rename files; it will not magically make anything work.\n%08X %08X",
                        dllText.c_str(), static_cast<unsigned>(runtime), static_cast<unsigned>(dllRuntime)));
    }
}

void Load(const fs::path& gameFolder, const HostRelease& release, const std::string& loaderName, Run& run)
{
    const std::string folder = Utf8Of(gameFolder / "");
    run.Log("config path = " + folder + "Data\\SFSE\\sfse.ini");
    if (SameNameIgnoringCase(loaderName, "Starfield.exe"))
        return run.Stop("You have renamed sfse_loader and have not specified the name of the runtime.");
    const fs::path exe = gameFolder / "Starfield.exe";
    run.Log("procPath = " + Utf8Of(exe));
    if (const DWORD error = OpenError(exe)) {
        run.Log(Format("exe open check error = %08X", static_cast<unsigned>(error)));
        if (error == ERROR_ACCESS_DENIED && OpenError(gameFolder / "appxmanifest.xml") == 0)
            return run.Stop("You have the MS Store/Gamepass version of Starfield, which is not compatible with SFSE.");
        return run.Stop("Couldn't find Starfield.exe.");
    }
    run.Log("launching: Starfield.exe (" + Utf8Of(exe) + ")");
    std::uint32_t runtime = 0;
    const std::optional<std::string> suffix = IdentifyExe(exe, run, runtime);
    if (!suffix)
        return run.Log("unknown exe");
    const fs::path dll = gameFolder / ("sfse_" + *suffix + ".dll");
    const std::string dllText = Utf8Of(dll);
    run.result.hostDll = dll;
    run.Log("dll = " + dllText);
    if (OpenError(dll) != 0) {
        return run.Stop(Format(
            "Couldn't find SFSE DLL (%s).\nEither you have not installed SFSE correctly, or a new version of Starfield has "
            "been released.\nPlease make sure you have installed SFSE correctly and are running it from your Starfield "
            "folder.\nIf a game patch was released since you last ran the game, please check the website for updates.\n"
            "You have game version %s installed. The loader is not lying to you.\nCheck your game installation if you "
            "are still confused.",
            dllText.c_str(), sfse::VersionText(runtime).c_str()));
    }
    // The real loader checks the DLL's signature next (SigCheck.cpp); the
    // simulation leaves that out: a DLL with the right record passes.
    const std::optional<std::uint32_t> dllRuntime = CoreRuntime(dll);
    if (dllRuntime != runtime)
        return StopOnHostDll(dll, dllText, runtime, dllRuntime.value_or(0), release, run);
    // Then it starts the game suspended and injects the host DLL; the
    // simulation's game is this process, started after it returns.
    run.Log(Format("main thread id = %u", static_cast<unsigned>(GetCurrentThreadId())));
    run.Log("launching");
    run.result.started = true;
}

void WriteLog(const std::vector<std::string>& lines)
{
    const fs::path path = LoaderLogFilePath();
    if (path.empty())
        return;
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    // A text-mode stream: every LF, those inside a message too, as CR LF.
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) {
        for (const char c : line + '\n')
            file << (c == '\n' ? "\r\n" : std::string(1, c));
    }
}

}  // namespace

fs::path LoaderLogFilePath()
{
    const fs::path host = HostLogFilePath();
    return host.empty() ? fs::path() : host.parent_path() / "sfse_loader.txt";
}

LoaderRun RunLoader(const fs::path& gameFolder, const HostRelease& release, const std::string& loaderName)
{
    Run run;
    SYSTEMTIME now{};
    GetSystemTime(&now);
    run.Log(Format("SFSE loader: initialize (version = %s %08X %04d-%02d-%02d %02d:%02d:%02d, os = %s)",
                   sfse::VersionText(release.version).c_str(), static_cast<unsigned>(kLoaderVersion), now.wYear,
                   now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, OsText().c_str()));
    Load(gameFolder, release, loaderName, run);
    WriteLog(run.result.log);
    return run.result;
}

}  // namespace sim
