#include "app/CommandLine.h"

#include "base/BuildInfo.h"

#include <filesystem>
#include <iterator>
#include <utility>

#include <unistd.h>

namespace dialoon::CommandLine {
namespace {

const std::string kProgram = "dialoon";
const std::string kVersionLine = std::string(BuildInfo::kTitle) + ' ' + BuildInfo::kVersion + '\n';

std::string helpText()
{
    return "Usage: " + kProgram + " [--help | --version | FILE]\n" +
           "Shows German sentences of a built-in course with their English translation in a strip at the\n"
           "top of the screen while Peedy, a cartoon bird, says each German sentence aloud.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "  FILE           play your own phrases: an Anki deck (.apkg, .colpkg) or a list (.csv, .tsv,\n"
           "                 .txt); kept in ~/.local/share/org.dialoon.Dialoon/decks, see My phrases\n"
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

// Why the argument names no file the program can open, or empty when it does.
std::string whyNotOpened(const std::string& argument)
{
    std::error_code error;
    const auto status = std::filesystem::status(argument, error);
    if (!std::filesystem::exists(status)) return "there is no such file";
    if (!std::filesystem::is_regular_file(status)) return "it is not a file";
    if (::access(argument.c_str(), R_OK) != 0) return "it cannot be read";
    if (argument.find('\n') != std::string::npos) return "its name holds a line break";
    return {};
}

bool isOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-';
}

} // namespace

std::optional<Answer> answer(const std::vector<std::string>& arguments)
{
    std::optional<Answer> known;
    bool fileSeen = false;
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        const std::string& argument = *it;
        // A session manager that restores the desktop starts the program again with its session id.
        if ((argument == "-session" || argument == "--session") && std::next(it) != arguments.end()) {
            ++it;
            continue;
        }
        const bool help = argument == "--help" || argument == "-h";
        const std::string hint = " (try '" + kProgram + " --help')\n";
        if (!isOption(argument) && !known) {
            const std::string why = whyNotOpened(argument);
            if (!why.empty())
                return Answer{
                    kUsageError, {}, kProgram + ": cannot open " + shown(argument) + ", " + why + hint};
            if (std::exchange(fileSeen, true))
                return Answer{kUsageError, {}, kProgram + ": opens one file at a time" + hint};
            continue;
        }
        if (!help && argument != "--version") {
            return Answer{kUsageError, {}, kProgram + ": unknown argument " + shown(argument) + hint};
        }
        if (!known) known = Answer{0, help ? helpText() : kVersionLine, {}};
    }
    return known;
}

std::string fileToOpen(const std::vector<std::string>& arguments)
{
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        if (*it == "-session" || *it == "--session") {
            if (std::next(it) != arguments.end()) ++it;
            continue;
        }
        if (!isOption(*it)) {
            std::error_code error;
            const auto path = std::filesystem::absolute(*it, error);
            return error ? *it : path.lexically_normal().string();
        }
    }
    return {};
}

std::string noDesktopMessage()
{
    return kProgram + ": " + BuildInfo::kTitle + " needs a graphical desktop (X11, or XWayland on a Wayland" +
           " session) and found no display to open\n";
}

} // namespace dialoon::CommandLine
