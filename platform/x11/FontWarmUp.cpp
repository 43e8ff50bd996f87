#include "platform/x11/FontWarmUp.h"

#if defined(DIALOON_HAVE_FONTCONFIG)
#include <fontconfig/fontconfig.h>
#endif

namespace dialoon {

FontWarmUp::FontWarmUp()
{
#if defined(DIALOON_HAVE_FONTCONFIG)
    // The toolkit asks for the same configuration when it first lays out text, and finds it read.
    thread_ = std::thread([] { FcInit(); });
#endif
}

FontWarmUp::~FontWarmUp()
{
    if (thread_.joinable()) thread_.join();
}

} // namespace dialoon
