#include "src/command/reference.h"

#include "src/game/game_addresses.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace varnel {

namespace {

constexpr std::size_t kFormIdDigits = 8;

bool IsExternal(const GameStringEntry* entry) { return (entry->flags & kStringEntryExternal) != 0; }

// The inline entry that `entry` stands for: itself when inline, else the end
// of its chain of external entries, counting the steps in `steps`. Null when
// the chain reaches a null pointer, comes back to an entry already passed,
// or runs past kMaxExternalSteps, so a broken chain never stalls the command.
const GameStringEntry* InlineEntry(const GameStringEntry* entry, int& steps)
{
    std::array<const GameStringEntry*, kMaxExternalSteps> passed{};
    for (std::size_t step = 0; entry != nullptr && IsExternal(entry); ++step) {
        if (step == passed.size() || std::find(passed.begin(), passed.begin() + step, entry) != passed.begin() + step)
            return nullptr;
        passed[step] = entry;
        entry = reinterpret_cast<const GameStringEntry*>(entry->lengthOrTarget);
        steps = static_cast<int>(step) + 1;
    }
    return entry;
}

// The text an entry stands for, or null when it holds none we can read; the
// default object's name is used instead.
const char* StringEntryText(const GameStringEntry* entry, DisplayNameTrace& trace)
{
    trace.stringEntry = entry != nullptr;
    const GameStringEntry* holder = InlineEntry(entry, trace.externalSteps);
    trace.inlineEntry = holder != nullptr;
    if (holder == nullptr || holder->lengthOrTarget == 0)
        return nullptr;
    trace.ownText = true;
    return reinterpret_cast<const char*>(holder) + sizeof(GameStringEntry);
}

std::string OverrideName(const GameReference* reference, DisplayNameTrace& trace)
{
    if (reference->extraDataList == nullptr)
        return {};
    const auto* extra =
        static_cast<const DisplayNameExtra*>(LookupExtraData(reference->extraDataList, kDisplayNameExtraType));
    trace.displayNameRecord = extra != nullptr;
    const char* text = extra != nullptr ? StringEntryText(extra->name, trace) : nullptr;
    return text != nullptr ? text : "";
}

std::string DefaultObjectName(const GameReference* reference, DisplayNameTrace& trace)
{
    trace.defaultObject = reference->defaultObject != nullptr;
    if (reference->defaultObject == nullptr)
        return {};
    const char* text = ObjectName(reference->defaultObject);
    trace.defaultObjectNamed = text != nullptr && *text != '\0';
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

std::string GetDisplayName(const GameReference* reference, DisplayNameTrace& trace)
{
    trace = {};
    if (reference == nullptr)
        return {};
    std::string name = OverrideName(reference, trace);
    return name.empty() ? DefaultObjectName(reference, trace) : name;
}

std::string GetDisplayName(const GameReference* reference)
{
    DisplayNameTrace unused;
    return GetDisplayName(reference, unused);
}

bool SetDisplayName(void* extraDataList, const char* name)
{
    if (extraDataList == nullptr || name == nullptr)
        return false;
    SetDisplayNameInGame(extraDataList, name);
    return true;
}

}  // namespace varnel
