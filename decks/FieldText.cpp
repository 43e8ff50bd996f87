#include "decks/FieldText.h"

namespace dialoon::FieldTexts {

FieldText fromHtml(const QString& html)
{
    return {html.simplified(), {}};
}

FieldText fromPlain(const QString& text)
{
    return {text.simplified(), {}};
}

} // namespace dialoon::FieldTexts
