#include "tools/namecheck/mod_organizer.h"

#include "tools/namecheck/file_text.h"

#include <string_view>

namespace varnel {

namespace {

namespace fs = std::filesystem;

// settings.cpp's defaults: %BASE_DIR%/mods, /profiles, /overwrite, the base
// the ini's own folder.
constexpr std::string_view kBaseDirVariable = "%BASE_DIR%";

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    const std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first, last - first + 1));
}

// A QSettings value: quotes and @ByteArray(...) taken off, "\\" as "\".
std::string SettingValue(std::string value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    constexpr std::string_view kByteArray = "@ByteArray(";
    if (value.starts_with(kByteArray) && value.ends_with(")"))
        value = value.substr(kByteArray.size(), value.size() - kByteArray.size() - 1);
    std::string plain;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        plain += value[i];
    }
    return plain;
}

// `key` of `[section]` in the ini's text; empty when it has none.
std::string Setting(std::string_view ini, std::string_view section, std::string_view key)
{
    std::string current;
    for (const std::string_view raw : LinesOf(ini)) {
        const std::string line = Trimmed(raw);
        if (line.starts_with("[") && line.ends_with("]")) {
            current = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == section && equals != std::string::npos && Trimmed(line.substr(0, equals)) == key)
            return SettingValue(Trimmed(line.substr(equals + 1)));
    }
    return {};
}

// A folder setting with %BASE_DIR% resolved; MO2 writes either separator.
fs::path FolderSetting(std::string_view ini, std::string_view key, std::string_view fallback, const fs::path& base)
{
    std::string value = Setting(ini, "Settings", key);
    if (value.empty())
        value = std::string(kBaseDirVariable) + "/" + std::string(fallback);
    if (value.starts_with(kBaseDirVariable)) {
        std::string rest = value.substr(kBaseDirVariable.size());
        while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\'))
            rest.erase(0, 1);
        return PathIgnoringCase(base, fs::u8path(rest));
    }
#if !defined(_WIN32)
    for (char& c : value)
        c = c == '\\' ? '/' : c;
#endif
    return fs::u8path(value);
}

// modlist.txt, as Profile::refreshModStatus reads it.
std::vector<std::string> EnabledMods(std::string_view list)
{
    std::vector<std::string> mods;
    for (const std::string_view raw : LinesOf(list)) {
        if (raw.empty() || raw.front() == '#' || raw.front() == '-')
            continue;
        const std::string name = Trimmed(raw.front() == '+' || raw.front() == '*' ? raw.substr(1) : raw);
        if (!name.empty())
            mods.push_back(name);
    }
    return mods;
}

bool IsFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

std::optional<ModOrganizerInstance> ReadModOrganizerInstance(const fs::path& folder)
{
    const fs::path iniPath = PathIgnoringCase(folder, kModOrganizerIni);
    const std::optional<std::string> ini = ReadBytes(iniPath);
    if (!ini)
        return std::nullopt;
    ModOrganizerInstance instance;
    instance.folder = folder;
    instance.gamePath = Setting(*ini, "General", "gamePath");
    instance.profile = Setting(*ini, "General", "selected_profile");
    if (instance.profile.empty())
        instance.profile = "Default";
    const fs::path base = FolderSetting(*ini, "base_directory", "", folder);
    instance.modsFolder = FolderSetting(*ini, "mod_directory", "mods", base);
    instance.overwriteFolder = FolderSetting(*ini, "overwrite_directory", "overwrite", base);
    instance.modList = PathIgnoringCase(FolderSetting(*ini, "profiles_directory", "profiles", base), fs::u8path(instance.profile) / "modlist.txt");
    if (const auto list = ReadBytes(instance.modList))
        instance.enabledMods = EnabledMods(*list);
    return instance;
}

std::vector<ModOrganizerInstance> GlobalModOrganizerInstances(const fs::path& instancesRoot)
{
    std::vector<ModOrganizerInstance> instances;
    std::error_code error;
    for (fs::directory_iterator entry(instancesRoot, error), end; !error && entry != end; entry.increment(error)) {
        if (auto instance = ReadModOrganizerInstance(entry->path()))
            instances.push_back(std::move(*instance));
    }
    return instances;
}

std::optional<ProvidedFile> ProvidedByMods(const ModOrganizerInstance& instance, const fs::path& relative)
{
    std::optional<ProvidedFile> provided;
    const auto consider = [&](const fs::path& root, const std::string& mod) {
        const fs::path path = PathIgnoringCase(root, relative);
        if (!IsFile(path))
            return;
        if (provided)
            provided->alsoIn.push_back(mod);
        else
            provided = ProvidedFile{path, mod, {}};
    };
    consider(instance.overwriteFolder, "overwrite");
    for (const std::string& mod : instance.enabledMods)
        consider(PathIgnoringCase(instance.modsFolder, fs::u8path(mod)), mod);
    return provided;
}

}  // namespace varnel
