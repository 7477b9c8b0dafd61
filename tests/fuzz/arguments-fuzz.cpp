// DecodeCommandArguments over blocks built from the fuzz input, within their
// declared lengths: the decoded Parameters equal the arguments put in.
#include "src/command/arguments.h"

#include <cstdlib>

using namespace varnel;  // the product under test

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };

    const bool longHeader = (next() & 1) != 0;
    std::vector<std::uint8_t> block(longHeader ? 10 : 6);
    for (auto& byte : block)
        byte = next();  // the unread header bytes hold whatever the input says
    block[0] = longHeader ? 28 : (block[0] == 28 ? 27 : block[0]);
    const std::uint8_t count = next();
    block[longHeader ? 8 : 4] = count;

    Parameters expected;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t length = next();
        std::string text;
        for (int j = 0; j < length; ++j)
            text += static_cast<char>(next());
        block.push_back(length);
        block.push_back(next());  // the unread byte
        block.insert(block.end(), text.begin(), text.end());
        expected.push_back(text);
    }
    if (DecodeCommandArguments(block.data()) != expected)
        std::abort();
    return 0;
}
