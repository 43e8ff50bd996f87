// The error the speech component raises: unknown character, animation or language, missing art.
#pragma once

#include <stdexcept>

namespace dialoon {

class SpeechError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace dialoon
