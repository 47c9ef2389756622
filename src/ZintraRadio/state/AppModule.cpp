#include "state/AppModule.hpp"

namespace ZintraRadio {

namespace {

struct ModuleNames {
    std::string_view rawValue;
    std::string_view labelKey;
};

// In the order of the enumeration.
constexpr ModuleNames names[] = {
    {"stations", "module.stations"},     {"discover", "module.discover"}, {"favorites", "module.favorites"},
    {"history", "module.history"},       {"youtube", "module.youtube"},   {"music", "module.music"},
    {"recordings", "module.recordings"},
};
static_assert(std::size(names) == allAppModules.size());

const ModuleNames& namesOf(AppModule module) {
    return names[static_cast<std::size_t>(module)];
}

} // namespace

std::string_view rawValue(AppModule module) {
    return namesOf(module).rawValue;
}

std::optional<AppModule> appModuleFromRawValue(std::string_view text) {
    for (AppModule module : allAppModules)
        if (rawValue(module) == text)
            return module;
    return std::nullopt;
}

std::string_view labelKey(AppModule module) {
    return namesOf(module).labelKey;
}

char shortcut(AppModule module) {
    return static_cast<char>('1' + static_cast<int>(module));
}

} // namespace ZintraRadio
