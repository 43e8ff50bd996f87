#include "platform/x11/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace dialoon {

// The toolkit asks for the same configuration when it first lays out text, and finds it read.
FontWarmUp::FontWarmUp() : thread_([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp()
{
    thread_.join();
}

} // namespace dialoon
