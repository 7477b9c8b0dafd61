// The DLL file as the host and Windows see it, without running its code.
#include "sim/host/pe_image.h"
#include "support/expected_version.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> ExpectedVersionRecord()
{
    std::vector<std::uint8_t> bytes(604, 0);
    auto put32 = [&](std::size_t at, std::uint32_t value) { std::memcpy(&bytes[at], &value, 4); };
    put32(0x000, 1);
    put32(0x004, kExpectedPluginVersion);
    std::memcpy(&bytes[0x008], "Varnel - SFSE Plugin by Dorrik", 30);
    std::memcpy(&bytes[0x108], "Dorrik", 6);
    put32(0x210, kExpectedGameRuntime);
    return bytes;
}

TEST(DllFile, VersionRecordReadsRightWithoutRunningThePlugin)
{
    HMODULE mapped = LoadLibraryExA("Varnel.dll", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(mapped, nullptr);
    const std::uint8_t* base = sim::MappedImageBase(mapped);
    const std::uint8_t* record = sim::FindExport(base, "SFSEPlugin_Version");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 604), ExpectedVersionRecord());
    EXPECT_NE(sim::FindExport(base, "SFSEPlugin_Load"), nullptr);
    FreeLibrary(mapped);
}

std::string VersionString(const std::vector<char>& info, const char* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), &value, &length) || length == 0)
        return {};
    return static_cast<const char*>(value);
}

TEST(DllFile, VersionResourceSaysWhatThePluginIs)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA("Varnel.dll", &ignored);
    ASSERT_GT(size, 0U);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA("Varnel.dll", 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(VARNEL_VERSION_MAJOR << 16 | VARNEL_VERSION_MINOR));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(VARNEL_VERSION_BUILD << 16 | VARNEL_VERSION_SUB_BUILD));
    EXPECT_EQ(VersionString(info, "ProductName"), "Varnel - SFSE Plugin by Dorrik");
    EXPECT_NE(VersionString(info, "FileDescription").find("SetRandomName"), std::string::npos);
    EXPECT_EQ(VersionString(info, "FileVersion"), VARNEL_VERSION_TEXT);
    EXPECT_EQ(VersionString(info, "ProductVersion"), VARNEL_VERSION_TEXT);
}

}  // namespace
