#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Runs each test in a fresh, empty working directory, since the name lists
// are found relative to it.
struct ScratchFolder {
    std::filesystem::path previous;
    std::filesystem::path folder;
};

ScratchFolder EnterScratchFolder();
void LeaveScratchFolder(const ScratchFolder& scratch);

// Writes `bytes` as the list `fileName` in the plugin folder of the working
// directory and returns its path.
std::string WriteNameList(const std::string& fileName, std::string_view bytes);

// Every byte of the file at `path`.
std::string ReadFileBytes(const std::filesystem::path& path);
