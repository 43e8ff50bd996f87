// The per-user entry that starts the program at logon: an XDG autostart file on Linux, the Run value
// "German" in the registry on Windows.
#pragma once

#include <QString>

namespace dialoon::LogonEntry {

// Writes or replaces the entry for the executable at this path. A failure raises nothing and shows
// nothing; it is said in one line on standard error.
void write(const QString& executablePath);
// Removes the entry if there is one. A failure is said as write's is.
void remove();

// Where the entry lives (the autostart file on Linux, named after the application id).
QString location();
// Where versions up to 1.01 kept the autostart file ("dialoon.desktop"); writing and removing the entry
// both remove a file there, so that an upgrade neither keeps it nor starts the program twice.
QString earlierLocation();

// The Exec value of a desktop entry that starts this program with no arguments: quoted and escaped
// as the Desktop Entry Specification asks, ready to stand after "Exec=".
QString desktopExecValue(const QString& executablePath);

// The Windows logon value: directory and file name, the extension always ".exe".
QString windowsRunValue(const QString& directory, const QString& baseName);

} // namespace dialoon::LogonEntry
