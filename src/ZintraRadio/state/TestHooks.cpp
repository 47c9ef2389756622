#include "state/TestHooks.hpp"

#include <map>
#include <mutex>
#include <unistd.h>

extern char** environ;

namespace ZintraRadio::TestHooks {

namespace {

std::map<std::string, std::string, std::less<>> readEnvironment() {
    std::map<std::string, std::string, std::less<>> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        auto equals = text.find('=');
        if (equals == std::string_view::npos)
            continue;
        variables.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
    }
    return variables;
}

// Taken on first use (a function-local static is initialised once, safely) and never refreshed.
const std::map<std::string, std::string, std::less<>>& snapshot() {
    static const auto variables = readEnvironment();
    return variables;
}

} // namespace

std::optional<std::string> value(std::string_view hook) {
    std::string name(prefix);
    name += hook;
    const auto& variables = snapshot();
    auto found = variables.find(name);
    if (found == variables.end())
        return std::nullopt;
    return found->second;
}

bool isSet(std::string_view hook) {
    return value(hook).has_value();
}

bool isScriptedRun() {
    for (const auto& [name, unused] : readEnvironment())
        if (std::string_view(name).starts_with(prefix))
            return true;
    return false;
}

} // namespace ZintraRadio::TestHooks
