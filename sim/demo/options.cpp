#include "sim/demo/options.h"

#include "sim/demo/console_input.h"
#include "sim/demo/wide_text.h"

namespace demo {

namespace {

std::optional<Options> UsageError(std::string& problem, const std::string& what)
{
    problem = what;
    return std::nullopt;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue =
            argument == "--names" || argument == "--plugins" || argument == "--runtime" || argument == "--game-folder";
        if (takesValue && i + 1 == arguments.size())
            return UsageError(problem, argument + " needs a value (" + (argument == "--runtime" ? "A.B.C" : "a folder") + ")");
        if (argument == "--interactive") {
            options.interactive = true;
        } else if (argument == "--names") {
            options.names = PathFromUtf8(arguments[++i]);
        } else if (argument == "--plugins") {
            options.plugins = std::filesystem::absolute(PathFromUtf8(arguments[++i]));
        } else if (argument == "--game-folder") {
            options.gameFolder = PathFromUtf8(arguments[++i]);
        } else if (argument == "--runtime") {
            options.runtimeText = arguments[++i];
            const auto runtime = sim::ParseRuntime(options.runtimeText);
            if (!runtime) {
                return UsageError(problem, "--runtime takes a game version as A.B.C, A and B from 0 to 255 and C from 0 "
                                  "to 4095 (for instance 1.15.222), not '" + Shortened(options.runtimeText) + "'");
            }
            options.runtime = *runtime;
        } else {
            return UsageError(problem, "unknown argument '" + Shortened(argument) + "'");
        }
    }
    options.names = std::filesystem::absolute(options.names);
    return options;
}

}  // namespace demo
