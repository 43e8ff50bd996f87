#include "app/CommandLine.h"

#include "base/BuildInfo.h"

#include <iterator>

namespace dialoon::CommandLine {
namespace {

const std::string kProgram = "dialoon";
const std::string kVersionLine = std::string(BuildInfo::kTitle) + ' ' + BuildInfo::kVersion + '\n';

std::string helpText()
{
    return "Usage: " + kProgram + " [--help | --version]\n" +
           "Shows German sentences of a built-in course with their English translation in a strip at the\n"
           "top of the screen while Peedy, a cartoon bird, says each German sentence aloud.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Without arguments it starts on the current X11 display (XWayland on a Wayland session).\n"
           "Move the mouse over the small picture at the strip's right end for its menu.\n"
           "Settings are kept in ~/.config/Tavo.ini, section [German].\n";
}

// An argument shown in a message: quoted, its control characters replaced, so that the message stays
// one line whatever was typed.
std::string shown(const std::string& argument)
{
    std::string text = "'";
    for (const char c : argument)
        text += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return text + "'";
}

} // namespace

std::optional<Answer> answer(const std::vector<std::string>& arguments)
{
    std::optional<Answer> known;
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        const std::string& argument = *it;
        // A session manager that restores the desktop starts the program again with its session id.
        if ((argument == "-session" || argument == "--session") && std::next(it) != arguments.end()) {
            ++it;
            continue;
        }
        const bool help = argument == "--help" || argument == "-h";
        if (!help && argument != "--version") {
            const std::string hint = " (try '" + kProgram + " --help')\n";
            return Answer{kUsageError, {}, kProgram + ": unknown argument " + shown(argument) + hint};
        }
        if (!known) known = Answer{0, help ? helpText() : kVersionLine, {}};
    }
    return known;
}

std::string noDesktopMessage()
{
    return kProgram + ": " + BuildInfo::kTitle + " needs a graphical desktop (X11, or XWayland on a Wayland" +
           " session) and found no display to open\n";
}

} // namespace dialoon::CommandLine
