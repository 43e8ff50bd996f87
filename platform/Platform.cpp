// Twips-to-pixel helpers of the platform interface.
#include "platform/Platform.h"

#include "platform/Twips.h"

namespace dialoon {

int Platform::toPixelsX(double twips) const
{
    return twipsToPixelsRounded(twips, twipsPerPixelX());
}

int Platform::toPixelsY(double twips) const
{
    return twipsToPixelsRounded(twips, twipsPerPixelY());
}

int Platform::toPixelsXTruncated(double twips) const
{
    return twipsToPixelsTruncated(twips, twipsPerPixelX());
}

int Platform::toPixelsYTruncated(double twips) const
{
    return twipsToPixelsTruncated(twips, twipsPerPixelY());
}

} // namespace dialoon
