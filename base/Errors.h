// The kinds of error the program raises. Each handler's edge reports what it does not handle.
#pragma once

#include <stdexcept>
#include <string>

namespace dialoon {

class TypeMismatchError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class OverflowError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class StoreWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Raised by the speaking character: unknown character, animation or language, missing art.
class SpeechError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace dialoon
