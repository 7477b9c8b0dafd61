#include "support/scratch_folder.h"

#include "src/names/name_list.h"

#include <fstream>
#include <iterator>
#include <random>

using namespace varnel;

ScratchFolder EnterScratchFolder()
{
    // Test processes run side by side: each folder gets a random name.
    std::random_device device;
    ScratchFolder scratch;
    scratch.previous = std::filesystem::current_path();
    scratch.folder = std::filesystem::temp_directory_path() /
                     ("varnel-test-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::remove_all(scratch.folder);
    std::filesystem::create_directories(scratch.folder);
    std::filesystem::current_path(scratch.folder);
    return scratch;
}

void LeaveScratchFolder(const ScratchFolder& scratch)
{
    std::filesystem::current_path(scratch.previous);
    std::error_code ignored;
    std::filesystem::remove_all(scratch.folder, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteNameList(const std::string& fileName, std::string_view bytes)
{
    std::string path = std::string(PluginFolder) + fileName;
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}
