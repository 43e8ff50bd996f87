// Making a replaced file durable: a file replaced by a rename is on disk for good only once its folder is.
#pragma once

#include <QString>

namespace dialoon::DurableFile {

// Flushes the folder that holds this file to disk. False when that failed.
bool syncFolderOf(const QString& filePath);

} // namespace dialoon::DurableFile
