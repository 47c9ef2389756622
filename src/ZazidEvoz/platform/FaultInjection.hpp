// Makes the Nth call of an operating-system seam fail, so tests can reach error paths
// (starting a child process, an HTTP request, an atomic file write).
#pragma once

namespace ZazidEvoz::platform {

enum class Seam { ProcessStart, HttpRequest, AtomicWrite };

namespace FaultInjection {

// The nth call through `seam` from now on fails (1 = the next one); 0 disarms.
void failNth(Seam seam, int nth);
// Disarms every seam.
void reset();
// Called by the seam itself: counts the call and tells whether it must fail.
bool shouldFail(Seam seam);

} // namespace FaultInjection
} // namespace ZazidEvoz::platform
