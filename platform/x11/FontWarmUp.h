// Reads the system's font configuration on a thread of its own while the program loads its toolkit and
// builds its windows. Reading it takes longer than anything else before the strip's first frame, which
// needs it; the configuration library is safe to use from any thread.
#pragma once

#include <thread>

namespace dialoon {

class FontWarmUp
{
public:
    FontWarmUp();
    // Waits for the reading to end.
    ~FontWarmUp();

private:
    std::thread thread_;
};

} // namespace dialoon
