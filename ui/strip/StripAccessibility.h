// How the strip reads on the accessibility bus: a window named after the program, whose captions are
// static text named by the sentence they show, and whose menu picture is a button named "Menu".
#pragma once

namespace dialoon {

// Teaches the accessibility bus the strip's own widgets. Once is enough; calling again does nothing.
void installStripAccessibility();

} // namespace dialoon
