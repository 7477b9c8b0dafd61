#include "src/plugin/command_install.h"

#include "src/command/set_random_name.h"
#include "src/plugin/plugin_version.h"

#include <cstring>

namespace varnel {

namespace {

struct Found {
    ConsoleCommandEntry* entry;  // null when the name is not in the table
    std::size_t passed;          // entries walked before it, or before the end
};

Found FindCommand(ConsoleCommandEntry* table, const char* name)
{
    std::size_t passed = 0;
    for (ConsoleCommandEntry* entry = table; entry->opcode < kConsoleCommandTableEnd; ++entry, ++passed) {
        if (entry->name != nullptr && std::strcmp(entry->name, name) == 0)
            return {entry, passed};
    }
    return {nullptr, passed};
}

}  // namespace

Installation InstallSetRandomName(ConsoleCommandEntry* table)
{
    const Found closeFile = FindCommand(table, "CloseFile");
    if (closeFile.entry == nullptr)
        return {.missing = "CloseFile", .entriesSearched = closeFile.passed};
    const void* parameters = closeFile.entry->parameters;
    const Found toggle = FindCommand(table, "TogglePathLine");
    if (toggle.entry == nullptr)
        return {.missing = "TogglePathLine", .entriesSearched = toggle.passed};
    ConsoleCommandEntry* entry = toggle.entry;
    entry->name = "SetRandomName";
    entry->shortName = "added by " VARNEL_PLUGIN_NAME;
    entry->helpText = "";
    entry->flag = 1;
    entry->parameterCount = 1;
    entry->execute = &ExecuteSetRandomName;
    entry->parameters = parameters;
    return {.installed = true, .index = toggle.passed, .opcode = entry->opcode};
}

}  // namespace varnel
