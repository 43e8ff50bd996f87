// The languages the character speaks, by the Windows language ids its interface names them by.
#pragma once

namespace dialoon::LanguageId {

inline constexpr int kGerman = 1031;
inline constexpr int kEnglish = 1033;

} // namespace dialoon::LanguageId
