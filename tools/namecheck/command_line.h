#pragma once

// The checker's command line, apart from how the arguments arrive (wide on
// Windows, so that any folder name works).

#include <filesystem>
#include <ostream>
#include <vector>

// Exit status: 0 every list is good; 1 a list will make some commands fail
// or show wrong names; 2 usage or I/O error.
int RunNameCheck(const std::vector<std::filesystem::path>& arguments, std::ostream& out, std::ostream& err);
