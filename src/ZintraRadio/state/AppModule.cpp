#include "state/AppModule.hpp"

namespace ZintraRadio {

std::string_view rawValue(AppModule module) {
    switch (module) {
    case AppModule::stations:
        return "stations";
    case AppModule::discover:
        return "discover";
    case AppModule::favorites:
        return "favorites";
    case AppModule::history:
        return "history";
    case AppModule::youtube:
        return "youtube";
    case AppModule::music:
        return "music";
    case AppModule::recordings:
        return "recordings";
    }
    return "stations";
}

std::optional<AppModule> appModuleFromRawValue(std::string_view text) {
    for (AppModule module : allAppModules)
        if (rawValue(module) == text)
            return module;
    return std::nullopt;
}

std::string_view labelKey(AppModule module) {
    switch (module) {
    case AppModule::stations:
        return "module.stations";
    case AppModule::discover:
        return "module.discover";
    case AppModule::favorites:
        return "module.favorites";
    case AppModule::history:
        return "module.history";
    case AppModule::youtube:
        return "module.youtube";
    case AppModule::music:
        return "module.music";
    case AppModule::recordings:
        return "module.recordings";
    }
    return "module.stations";
}

char shortcut(AppModule module) {
    return static_cast<char>('1' + static_cast<int>(module));
}

} // namespace ZintraRadio
