// namecheck: what name lists will do in the game (see command_line.h).
// On Windows the arguments arrive as wide text, so that a list in a folder
// with any name (C:\Mods\Données, C:\Mods\名前) opens.

#include "command_line.h"

#include <iostream>
#include <vector>

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    try {
        const std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
        return RunNameCheck(arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "namecheck: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "namecheck: unexpected failure\n";
    }
    return 2;
}
