#include "src/command/arguments.h"

namespace varnel {

namespace {

constexpr std::uint8_t kLongHeaderMark = 28;
constexpr std::size_t kLongCountAt = 8;
constexpr std::size_t kShortCountAt = 4;
constexpr std::size_t kArgumentHeaderSize = 2;  // length byte, unread byte

}  // namespace

Parameters DecodeCommandArguments(const std::uint8_t* block)
{
    const std::size_t countAt = block[0] == kLongHeaderMark ? kLongCountAt : kShortCountAt;
    Parameters parameters(block[countAt]);
    const std::uint8_t* argument = block + countAt + kArgumentHeaderSize;
    for (auto& parameter : parameters) {
        const std::size_t length = argument[0];
        const auto* text = reinterpret_cast<const char*>(argument + kArgumentHeaderSize);
        parameter.assign(text, length);
        argument += kArgumentHeaderSize + length;
    }
    return parameters;
}

}  // namespace varnel
