// The languages the character speaks, by their Windows language ids, as the character's interface
// names them.
#pragma once

namespace dialoon::LanguageId {

inline constexpr int kGerman = 1031;
inline constexpr int kEnglish = 1033;

} // namespace dialoon::LanguageId
