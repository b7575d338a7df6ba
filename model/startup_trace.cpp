#include "model/startup_trace.h"

#include <QDateTime>
#include <QSet>
#include <cstdio>

namespace orv {

QElapsedTimer &startupClock()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock;
}

bool startupTraceEnabled()
{
    static const bool on = qEnvironmentVariableIntValue("ORV_STARTUP_TRACE") != 0;
    return on;
}

void startupTrace(const char *what)
{
    if (!startupTraceEnabled())
        return;
    static QSet<QByteArray> seen;
    if (seen.contains(what))
        return;
    seen.insert(what);
    // The wall clock too, so that a script can measure from before the
    // process started.
    std::fprintf(stderr, "startup: %s at %lld ms (wall %lld ms)\n", what,
                 static_cast<long long>(startupClock().elapsed()),
                 static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
}

} // namespace orv
