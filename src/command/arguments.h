#pragma once

// The arguments of a console command, decoded from the compiled parameter
// block that the game hands the command's execute function.

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

// One owned string per argument, in order; a zero byte inside an argument stays.
using Parameters = std::vector<std::string>;

// Block layout: if the first byte is 28 the argument count is at offset 8,
// else at offset 4; the arguments start two bytes after the count, each a
// length byte, one unread byte and that many bytes of text.
Parameters DecodeCommandArguments(const std::uint8_t* block);

}  // namespace varnel
