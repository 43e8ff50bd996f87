// The program's answer to its command line, decided before any window or settings file exists:
// --help and --version are answered at once, one readable file is opened as phrases, anything else is
// refused.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dialoon::CommandLine {

// What to print and the exit status, for a command line that does not start the program.
struct Answer
{
    int exitCode = 0;
    std::string out; // for standard output
    std::string err; // for standard error
};

// The status of a command line the program does not understand, as in the usual tools' usage errors.
inline constexpr int kUsageError = 2;
// The status of a start without a graphical desktop.
inline constexpr int kNoDesktop = 1;

// The answer to these arguments (argv without the program's name), or none when the program should start.
std::optional<Answer> answer(const std::vector<std::string>& arguments);

// The file the arguments ask to open, as an absolute path, or empty. Only for arguments answer() lets
// start the program.
std::string fileToOpen(const std::vector<std::string>& arguments);

// The one line printed on standard error when no graphical desktop can be reached.
std::string noDesktopMessage();

} // namespace dialoon::CommandLine
