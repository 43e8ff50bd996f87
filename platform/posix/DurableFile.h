// Replacing a file so that the new content is on disk for good, or nothing of the old file changes.
#pragma once

#include <QByteArray>
#include <QString>

namespace dialoon::DurableFile {

// Replaces the file at filePath with content in one step: the content goes to a new file beside it,
// which is flushed to disk, given the old file's permissions and renamed over it, and then the folder is
// flushed too. Every step is checked (a full disk, a failing device, a folder that cannot be written);
// true only when all went through. On failure before the rename the old file is untouched and the new
// one gone; problem, when given, says what failed. The new file's time of modification is later than the
// old one's by at least a millisecond, so that readers that compare sizes and times to notice a change
// (QSettings does, to the millisecond) see it.
bool replace(const QString& filePath, const QByteArray& content, QString* problem = nullptr);

} // namespace dialoon::DurableFile
