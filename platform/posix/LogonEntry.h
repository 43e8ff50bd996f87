// The per-user entry that starts the program at logon: an XDG autostart file.
#pragma once

#include <QString>

namespace dialoon::LogonEntry {

// Writes or replaces the entry for the executable at this path. Returns the empty text when done, else
// what could not be done, naming the entry.
QString write(const QString& executablePath);
// Removes the entry if there is one. Returns as write does.
QString remove();

// Where the entry lives: the autostart file named after the application id.
QString location();
// Where versions up to 1.01 kept the autostart file ("dialoon.desktop"); writing and removing the entry
// both remove a file there, so that an upgrade neither keeps it nor starts the program twice.
QString earlierLocation();

// The Exec value of a desktop entry that starts this program with no arguments: quoted and escaped
// as the Desktop Entry Specification asks, ready to stand after "Exec=".
QString desktopExecValue(const QString& executablePath);

} // namespace dialoon::LogonEntry
