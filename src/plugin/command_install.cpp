#include "plugin/command_install.h"

#include "command/set_random_name.h"
#include "plugin/plugin_version.h"

#include <cstring>

namespace varnel {

namespace {

ConsoleCommandEntry* FindCommand(ConsoleCommandEntry* table, const char* name)
{
    for (ConsoleCommandEntry* entry = table; entry->opcode < kConsoleCommandTableEnd; ++entry) {
        if (entry->name != nullptr && std::strcmp(entry->name, name) == 0)
            return entry;
    }
    return nullptr;
}

}  // namespace

void InstallSetRandomName(ConsoleCommandEntry* table)
{
    const ConsoleCommandEntry* closeFile = FindCommand(table, "CloseFile");
    if (closeFile == nullptr)
        return;
    const void* parameters = closeFile->parameters;
    ConsoleCommandEntry* entry = FindCommand(table, "TogglePathLine");
    if (entry == nullptr)
        return;
    entry->name = "SetRandomName";
    entry->shortName = "added by " VARNEL_PLUGIN_NAME;
    entry->helpText = "";
    entry->flag = 1;
    entry->parameterCount = 1;
    entry->execute = &ExecuteSetRandomName;
    entry->parameters = parameters;
}

}  // namespace varnel
