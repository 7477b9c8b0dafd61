#include "sim/game/references.h"

#include "sim/game/console.h"
#include "sim/game/game_image.h"

#include <cstring>

namespace sim {
namespace {

// The game's layout of the records.
constexpr std::size_t kVtableAt = 0x00;
constexpr std::size_t kFormIdAt = 0x28;
constexpr std::size_t kDefaultObjectAt = 0x98;
constexpr std::size_t kExtraListAt = 0xC8;
constexpr std::size_t kTypeCodeAt = 0xF0;  // the simulation's own field
constexpr std::size_t kTypeCodeSlot = 34;
constexpr std::size_t kEntryPointerAt = 0x18;
constexpr std::size_t kEntryLengthOrTargetAt = 0x08;
constexpr std::size_t kEntryFlagsAt = 0x14;
constexpr std::size_t kEntryTextAt = 0x18;
constexpr std::uint8_t kDisplayNameType = 150;
constexpr std::uint8_t kEntryExternal = 0x02;
// How far the simulated game follows a chain before it gives up on it.
constexpr std::size_t kGameChainLimit = 64;
// What an external entry holds where an inline one keeps its text.
constexpr std::string_view kNotTheText = "not this entry's text";

std::uint8_t TypeCode(const void* reference) { return Load<std::uint8_t>(reference, kTypeCodeAt); }

// Every other slot answers a code no test selects.
std::uint8_t WrongSlot(const void*) { return 0xEE; }

using Slot = std::uint8_t (*)(const void*);
const std::array<Slot, 40> vtable = [] {
    std::array<Slot, 40> slots{};
    slots.fill(&WrongSlot);
    slots[kTypeCodeSlot] = &TypeCode;
    return slots;
}();

std::vector<std::uint8_t> Entry(std::string_view text, std::uint64_t lengthOrTarget, std::uint8_t flags)
{
    std::vector<std::uint8_t> entry(kEntryTextAt + text.size() + 1, 0);
    Store(entry.data(), kEntryLengthOrTargetAt, lengthOrTarget);
    Store(entry.data(), kEntryFlagsAt, flags);
    std::memcpy(entry.data() + kEntryTextAt, text.data(), text.size());
    return entry;
}

// `externalSteps` external entries in a row, each pointing to the next; the
// last points nowhere yet.
std::vector<std::vector<std::uint8_t>> ExternalChain(std::size_t externalSteps, std::uint8_t flags)
{
    std::vector<std::vector<std::uint8_t>> chain;
    for (std::size_t i = 0; i < externalSteps; ++i)
        chain.push_back(Entry(kNotTheText, 0, flags | kEntryExternal));
    return chain;
}

void PointTo(std::vector<std::uint8_t>& external, const void* target)
{
    Store(external.data(), kEntryLengthOrTargetAt, reinterpret_cast<std::uint64_t>(target));
}

// Links each entry to the next and gives the list's record the first.
void KeepEntries(ExtraList& list, std::vector<std::vector<std::uint8_t>> entries)
{
    list.entries = std::move(entries);
    for (std::size_t i = 0; i + 1 < list.entries.size(); ++i)
        PointTo(list.entries[i], list.entries[i + 1].data());
    list.hasDisplayNameRecord = true;
    Store<const void*>(list.displayNameRecord.data(), kEntryPointerAt,
                       list.entries.empty() ? nullptr : list.entries.front().data());
}

void KeepInline(ExtraList& list, std::string_view text) { KeepEntries(list, {Entry(text, text.size(), 0)}); }

void KeepExternal(ExtraList& list, std::string_view text, std::size_t externalSteps, std::uint8_t flags)
{
    auto entries = ExternalChain(externalSteps, flags);
    entries.push_back(Entry(text, text.size(), 0));
    KeepEntries(list, std::move(entries));
}

// The simulated game's own reading of an entry: along external entries to
// the inline one; null for a chain that leads nowhere.
const char* GameTextOf(const std::uint8_t* entry)
{
    for (std::size_t step = 0; entry != nullptr && step < kGameChainLimit; ++step) {
        if ((Load<std::uint8_t>(entry, kEntryFlagsAt) & kEntryExternal) == 0) {
            return Load<std::uint64_t>(entry, kEntryLengthOrTargetAt) != 0
                       ? reinterpret_cast<const char*>(entry + kEntryTextAt)
                       : nullptr;
        }
        entry = Load<const std::uint8_t*>(entry, kEntryLengthOrTargetAt);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Reference> MakeReference(std::uint32_t formId, std::uint8_t typeCode, std::string defaultName)
{
    auto reference = std::make_unique<Reference>();
    reference->defaultObject.name = std::move(defaultName);
    auto* record = reference->record.data();
    Store<const void*>(record, kVtableAt, vtable.data());
    Store(record, kFormIdAt, formId);
    Store<const void*>(record, kDefaultObjectAt, &reference->defaultObject);
    Store<const void*>(record, kExtraListAt, &reference->extraList);
    Store(record, kTypeCodeAt, typeCode);
    return reference;
}

void* Selected(Reference& reference) { return reference.record.data(); }

void SetOwnName(Reference& reference, std::string_view text, std::optional<std::uint64_t> length, std::uint8_t flags)
{
    KeepEntries(reference.extraList, {Entry(text, length.value_or(text.size()), flags)});
}

void SetExternalOwnName(Reference& reference, std::string_view text, std::size_t externalSteps, std::uint8_t flags)
{
    KeepExternal(reference.extraList, text, externalSteps, flags);
}

void SetBrokenExternalName(Reference& reference, std::size_t externalSteps, ChainEnd end)
{
    ExtraList& list = reference.extraList;
    KeepEntries(list, ExternalChain(externalSteps, 0));
    const void* target = end == ChainEnd::Itself  ? list.entries.back().data()
                         : end == ChainEnd::First ? list.entries.front().data()
                                                  : nullptr;
    PointTo(list.entries.back(), target);
}

void SetNullNameEntry(Reference& reference) { KeepEntries(reference.extraList, {}); }

void DropExtraList(Reference& reference) { Store<const void*>(reference.record.data(), kExtraListAt, nullptr); }

void DropDefaultObject(Reference& reference)
{
    Store<const void*>(reference.record.data(), kDefaultObjectAt, nullptr);
}

std::string ShownName(const Reference& reference)
{
    const auto* list = Load<const ExtraList*>(reference.record.data(), kExtraListAt);
    if (list != nullptr && !list->entries.empty()) {
        const char* own = GameTextOf(list->entries.front().data());
        if (own != nullptr && *own != 0)
            return own;
    }
    const auto* object = Load<const Object*>(reference.record.data(), kDefaultObjectAt);
    return object != nullptr ? object->name.value_or("") : "";
}

const void* LookupExtraDataFunction(void* extraDataList, std::uint8_t type)
{
    NoteGameCall("extra data lookup");
    auto* list = static_cast<ExtraList*>(extraDataList);
    if (type != kDisplayNameType || !list->hasDisplayNameRecord)
        return nullptr;
    return list->displayNameRecord.data();
}

const char* ObjectNameFunction(void* object)
{
    NoteGameCall("object name");
    const auto* named = static_cast<const Object*>(object);
    return named->name ? named->name->c_str() : nullptr;
}

void SetDisplayNameFunction(void* extraDataList, const char* name)
{
    NoteGameCall("set display name");
    auto* list = static_cast<ExtraList*>(extraDataList);
    if (list->setting == NameSetting::Throw)
        throw 42;  // NOLINT(hicpp-exception-baseclass): an exception of no standard type, on purpose
    list->namesSet.emplace_back(name);
    if (list->setting == NameSetting::Store)
        KeepInline(*list, name);
    else if (list->setting == NameSetting::StoreExternal)
        KeepExternal(*list, name, 1, 0);
    else if (list->setting == NameSetting::ShowOther)
        KeepInline(*list, list->otherName);
}

}  // namespace sim
