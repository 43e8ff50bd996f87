// What the harnesses share: stopping on a broken promise with the input that broke it, so that libFuzzer
// keeps that input as a crash.
#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace dialoon::fuzz {

[[noreturn]] inline void fault(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "fuzz check failed: %s\n  %s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool ok, const char* what, const QString& detail = {})
{
    if (!ok)
        fault(what, detail);
}

} // namespace dialoon::fuzz
