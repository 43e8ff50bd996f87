// Where the speaking character's handlers (its timers, its voice's reports, its balloon) run: behind the
// program's edge, which reports an error a handler does not handle, once, and ends the program. Without
// an edge (as in most tests) a handler runs as it is.
#pragma once

#include <functional>

namespace dialoon {

using HandlerEdge = std::function<void(const std::function<void()>&)>;

inline void runBehind(const HandlerEdge& edge, const std::function<void()>& handler)
{
    edge ? edge(handler) : handler();
}

} // namespace dialoon
