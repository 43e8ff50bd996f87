#pragma once

#include <QString>

#include <cerrno>
#include <cstring>

namespace dialoon {

// What the last failed system call said, in the user's language.
inline QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace dialoon
