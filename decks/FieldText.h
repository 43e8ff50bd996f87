// The text of a deck's field as the strip shows and the voice speaks it: HTML turned into plain text,
// with the recordings the field names taken out of it.
#pragma once

#include <QString>
#include <QStringList>

namespace dialoon {

struct FieldText
{
    QString text;       // plain text: entities decoded, tags and markers gone, blanks collapsed, trimmed
    QStringList sounds; // the names in its [sound:...] markers, in order, trimmed but otherwise as written:
                        // the caller decides which names are safe to open
};

namespace FieldTexts {

// A field holding HTML (Anki's fields, or a list exported with HTML): tags dropped, <br> and block ends as
// blanks, <script>, <style> and their content and images ignored, entities (named and numeric) decoded,
// cloze markers {{c1::answer::hint}} shown as their answer, [sound:...] markers taken out.
FieldText fromHtml(const QString& html);

// A field of plain text: only the [sound:...] markers taken out and the blanks collapsed.
FieldText fromPlain(const QString& text);

} // namespace FieldTexts
} // namespace dialoon
