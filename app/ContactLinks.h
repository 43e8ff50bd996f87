// Where the menu's Website and E-mail items lead: the project's home page or, while it has none, the
// user guide installed with the program; a new message with the subject "Dialoon" to the contact
// address, or to nobody when the build has none.
#pragma once

#include <QString>
#include <QStringList>

namespace dialoon::ContactLinks {

// The Website item's address. homePage wins when it is set; otherwise the first of guideCandidates
// that exists, as a file URL (the first candidate even when none exists, so that the browser names
// the missing file).
QString webPage(const QString& homePage, const QStringList& guideCandidates);
// The E-mail item's address: a mailto URL with the subject "Dialoon".
QString email(const QString& address);

// Where the user guide may be, in the order looked at: installed beside the program's executable,
// then the copy in the source tree of this build, for a program run from its build folder.
QStringList guideCandidates(const QString& executablePath);

// The two addresses of this build, from its build facts.
QString webPage(const QString& executablePath);
QString email();

} // namespace dialoon::ContactLinks
