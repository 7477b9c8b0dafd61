#include "sim/demo/options.h"

#include "sim/demo/console_input.h"
#include "sim/demo/wide_text.h"

#include <iterator>

namespace demo {

namespace {

std::optional<Options> UsageError(std::string& problem, const std::string& what)
{
    problem = what;
    return std::nullopt;
}

bool TakesValue(const std::string& option)
{
    return option == "--names" || option == "--plugins" || option == "--runtime" || option == "--sfse" ||
           option == "--game-folder";
}

// What an option's value should be, for its usage error.
std::string ValueKind(const std::string& option)
{
    if (option == "--runtime")
        return "a game version A.B.C";
    return option == "--sfse" ? "an SFSE release" : "a folder";
}

// "0.2.17 or 0.2.18": the releases the simulation follows.
std::string KnownReleases()
{
    std::string text;
    for (std::size_t i = 0; i < std::size(sim::kHostReleases); ++i)
        text += (i == 0 ? "" : i + 1 == std::size(sim::kHostReleases) ? " or " : ", ") +
                sfse::VersionText(sim::kHostReleases[i].version);
    return text;
}

// The problem with `value` given to `option`; empty when there is none.
std::string ValueProblem(const std::string& option, const std::string& value)
{
    if (value.empty())
        return option + " needs " + ValueKind(option) + ", not an empty value";
    if (value.rfind("--", 0) == 0 || value == "-h")
        return option + " needs " + ValueKind(option) + ", not the option '" + Shortened(value) + "'";
    if ((option == "--names" || option == "--plugins") && !std::filesystem::is_directory(PathFromUtf8(value)))
        return option + ": there is no folder '" + Shortened(value) + "'";
    if (option == "--sfse" && sim::FindHostRelease(value) == nullptr)
        return "--sfse takes a release whose source the simulation follows, " + KnownReleases() + ", not '" +
               Shortened(value) + "'";
    if (option == "--runtime" && !ParseRuntime(value)) {
        return "--runtime takes a game version as A.B.C, plain numbers, A and B from 0 to 255 and C from 0 to 4095 "
               "(for instance 1.15.222), not '" + Shortened(value) + "'";
    }
    return {};
}

}  // namespace

std::optional<std::uint32_t> ParseRuntime(const std::string& text)
{
    std::uint32_t parts[3] = {};
    const std::uint32_t limits[3] = {255, 255, 4095};
    std::size_t at = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find('.', at) : text.size();
        if (end == std::string::npos)
            return std::nullopt;
        const std::string part = text.substr(at, end - at);
        // Plain numbers: digits only, no sign, no leading zero, at most four digits.
        if (part.empty() || part.size() > 4 || part.find_first_not_of("0123456789") != std::string::npos ||
            (part.size() > 1 && part[0] == '0'))
            return std::nullopt;
        parts[i] = static_cast<std::uint32_t>(std::stoul(part));
        if (parts[i] > limits[i])
            return std::nullopt;
        at = end + 1;
    }
    return sfse::EncodeVersion(parts[0], parts[1], parts[2], 0);
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& problem)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        if (TakesValue(argument)) {
            if (i + 1 == arguments.size())
                return UsageError(problem, argument + " needs " + ValueKind(argument));
            if (std::string why = ValueProblem(argument, arguments[i + 1]); !why.empty())
                return UsageError(problem, why);
        }
        if (argument == "--interactive") {
            options.interactive = true;
        } else if (argument == "--keep-game-folder") {
            options.keepGameFolder = true;
        } else if (argument == "--typed-input") {
            options.typedInput = true;
        } else if (argument == "--names") {
            options.names = std::filesystem::absolute(PathFromUtf8(arguments[++i]));
        } else if (argument == "--plugins") {
            options.plugins = std::filesystem::absolute(PathFromUtf8(arguments[++i]));
        } else if (argument == "--game-folder") {
            options.gameFolder = PathFromUtf8(arguments[++i]);
        } else if (argument == "--sfse") {
            options.release = *sim::FindHostRelease(arguments[++i]);
        } else if (argument == "--runtime") {
            options.runtimeText = arguments[++i];
            options.runtime = *ParseRuntime(options.runtimeText);
        } else {
            return UsageError(problem, "unknown argument '" + Shortened(argument) + "'");
        }
    }
    options.names = std::filesystem::absolute(options.names);
    return options;
}

}  // namespace demo
