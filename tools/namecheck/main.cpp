// Varnel_NameCheck: what name lists will do in the game (see command_line.h).
// On Windows the arguments arrive as wide text, so that a list in a folder
// with any name (C:\Mods\Données, C:\Mods\名前) opens, and lists dropped on
// the program's icon arrive the same way; the output is shown right in any
// console code page.

#include "tools/namecheck/command_line.h"

#include <exception>
#include <iostream>
#include <sstream>
#include <vector>

#if defined(_WIN32)
#include "tools/namecheck/windows_console.h"
#endif

namespace {

template <typename Character>
int Run(int argc, Character** argv, std::ostream& out, std::ostream& err)
{
    try {
        const std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
        return varnel::RunNameCheck(arguments, out, err);
    } catch (const std::exception& error) {
        err << "Varnel_NameCheck: " << error.what() << "\n";
    } catch (...) {
        err << "Varnel_NameCheck: unexpected failure\n";
    }
    return 2;
}

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = Run(argc, argv, out, err);
    varnel::WriteStandardError(err.str());
    varnel::WriteStandardOutput(out.str());
    varnel::HoldWindowIfOwnConsole();
    return status;
}
#else
int main(int argc, char** argv) { return Run(argc, argv, std::cout, std::cerr); }
#endif
