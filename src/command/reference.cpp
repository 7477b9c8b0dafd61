#include "command/reference.h"

#include "game/game_addresses.h"

#include <cctype>
#include <charconv>

namespace {

constexpr std::size_t kFormIdDigits = 8;

// The text of a string entry, or null when it holds none we can read. An
// entry whose text is not stored inline counts as holding none, so the
// default object's name is used instead.
const char* StringEntryText(const GameStringEntry* entry)
{
    if (entry == nullptr || entry->value == 0 || (entry->flags & kStringEntryNotInline) != 0)
        return nullptr;
    return reinterpret_cast<const char*>(entry) + sizeof(GameStringEntry);
}

std::string OverrideName(const GameReference* reference)
{
    if (reference->extraDataList == nullptr)
        return {};
    const auto* extra =
        static_cast<const DisplayNameExtra*>(LookupExtraData(reference->extraDataList, kDisplayNameExtraType));
    const char* text = extra != nullptr ? StringEntryText(extra->name) : nullptr;
    return text != nullptr ? text : "";
}

std::string DefaultObjectName(const GameReference* reference)
{
    if (reference->defaultObject == nullptr)
        return {};
    const char* text = ObjectName(reference->defaultObject);
    return text != nullptr ? text : "";
}

}  // namespace

std::string FormIdToText(const GameReference* reference)
{
    if (reference == nullptr)
        return {};
    char digits[kFormIdDigits] = {};
    const auto result = std::to_chars(digits, digits + kFormIdDigits, reference->formId, 16);
    std::string text(kFormIdDigits - static_cast<std::size_t>(result.ptr - digits), '0');
    for (const char* digit = digits; digit != result.ptr; ++digit)
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(*digit)));
    return text;
}

std::string GetDisplayName(const GameReference* reference)
{
    if (reference == nullptr)
        return {};
    std::string name = OverrideName(reference);
    return name.empty() ? DefaultObjectName(reference) : name;
}

bool SetDisplayName(void* extraDataList, const char* name)
{
    if (extraDataList == nullptr || name == nullptr)
        return false;
    SetDisplayNameInGame(extraDataList, name);
    return true;
}
