#include "EngineTypes.hpp"

#include "ZazidEvoz/core/ToolLocator.hpp"

namespace ZazidEvoz {

EngineError EngineError::missingTool(const std::string& tool) {
    return EngineError(Kind::missingTool, tool + " not found - " + std::string(ToolLocator::installHint));
}

EngineError EngineError::recorderFailed(const std::string& message) { return EngineError(Kind::recorderFailed, message); }

EngineError EngineError::notPlaying() { return EngineError(Kind::notPlaying, "Nothing is playing."); }

} // namespace ZazidEvoz
