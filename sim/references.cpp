#include "sim/references.h"

#include "sim/console.h"
#include "sim/game_image.h"

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
constexpr std::size_t kEntryValueAt = 0x08;
constexpr std::size_t kEntryFlagsAt = 0x14;
constexpr std::size_t kEntryTextAt = 0x18;
constexpr std::uint8_t kDisplayNameType = 150;
constexpr std::uint8_t kEntryNotInline = 0x02;

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

void WriteEntry(ExtraList& list, std::string_view text, std::uint64_t value, std::uint8_t flags)
{
    list.entry.assign(kEntryTextAt + text.size() + 1, 0);
    Store(list.entry.data(), kEntryValueAt, value);
    Store(list.entry.data(), kEntryFlagsAt, flags);
    std::memcpy(list.entry.data() + kEntryTextAt, text.data(), text.size());
    list.hasDisplayNameRecord = true;
    Store<const void*>(list.displayNameRecord.data(), kEntryPointerAt, list.entry.data());
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

void SetOwnName(Reference& reference, std::string_view text, std::uint64_t value, std::uint8_t flags)
{
    WriteEntry(reference.extraList, text, value, flags);
}

void SetNullNameEntry(Reference& reference)
{
    reference.extraList.entry.clear();
    reference.extraList.hasDisplayNameRecord = true;
    Store<const void*>(reference.extraList.displayNameRecord.data(), kEntryPointerAt, nullptr);
}

void DropExtraList(Reference& reference) { Store<const void*>(reference.record.data(), kExtraListAt, nullptr); }

void DropDefaultObject(Reference& reference)
{
    Store<const void*>(reference.record.data(), kDefaultObjectAt, nullptr);
}

std::string ShownName(const Reference& reference)
{
    const auto* list = Load<const ExtraList*>(reference.record.data(), kExtraListAt);
    if (list != nullptr && !list->entry.empty() && Load<std::uint64_t>(list->entry.data(), kEntryValueAt) != 0 &&
        (Load<std::uint8_t>(list->entry.data(), kEntryFlagsAt) & kEntryNotInline) == 0) {
        std::string own(reinterpret_cast<const char*>(list->entry.data() + kEntryTextAt));
        if (!own.empty())
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
        WriteEntry(*list, name, 1, 0);
    else if (list->setting == NameSetting::ShowOther)
        WriteEntry(*list, list->otherName, 1, 0);
}

}  // namespace sim
