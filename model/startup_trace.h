#pragma once
// Start-up timing, reported on standard error when ORV_STARTUP_TRACE=1: the
// clock starts when main() first asks for it.

#include <QElapsedTimer>
#include <QString>

namespace orv {

QElapsedTimer &startupClock();
bool startupTraceEnabled();
// Prints "startup: WHAT at N ms" once per distinct WHAT.
void startupTrace(const char *what);

} // namespace orv
