// The side-panel modules. Each has a stored text (its raw value), the localisation key under
// which the rail, the menus and the panels name it, and the digit of its keyboard shortcut.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ZintraRadio {

enum class AppModule { stations, discover, favorites, history, youtube, music, recordings };

// Every module in rail order.
inline constexpr std::array<AppModule, 7> allAppModules{
    AppModule::stations, AppModule::discover, AppModule::favorites, AppModule::history,
    AppModule::youtube,  AppModule::music,    AppModule::recordings};

// "stations", "discover", ...
std::string_view rawValue(AppModule module);
// Only the exact raw values name a module.
std::optional<AppModule> appModuleFromRawValue(std::string_view text);
// "module.stations", ...
std::string_view labelKey(AppModule module);
// The digit of the module's 1-based position: '1' for stations ... '7' for recordings.
char shortcut(AppModule module);

} // namespace ZintraRadio
