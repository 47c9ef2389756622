// The error a blocking operation throws when its caller cancelled it. Callers tell a
// cancelled operation from a failed one by this type and end it silently.
#pragma once

#include <stdexcept>

namespace ZazidEvoz::platform {

class CancellationError : public std::runtime_error {
public:
    CancellationError() : std::runtime_error("The operation was cancelled.") {}
};

} // namespace ZazidEvoz::platform
