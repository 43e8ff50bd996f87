// The kinds of error the program raises. Each handler's edge reports what it does not handle.
#pragma once

#include <stdexcept>
#include <string>

namespace dialoon {

template <typename Kind> class ProgramError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

using TypeMismatchError = ProgramError<struct TypeMismatch>;
using OverflowError = ProgramError<struct Overflow>;
using StoreWriteError = ProgramError<struct StoreWrite>;
// Raised by the speaking character: unknown character, animation or language, missing art.
using SpeechError = ProgramError<struct Speech>;
// A course file that cannot be read, or that the program refuses.
using CourseFormatError = ProgramError<struct CourseFormat>;

} // namespace dialoon
