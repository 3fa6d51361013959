#pragma once

#include <QString>

#include <optional>

// The room a folder takes on disk: the blocks allocated to every entry below it (st_blocks),
// hidden entries and the contents of subfolders included. Symbolic links count as the link
// itself and are never followed, so nothing outside the folder is measured; the folders' own
// directory blocks are not counted, as file managers leave them out too.
namespace DirectorySize {
// No count when `path` is not a folder that can be opened, or when an entry cannot be
// measured; `error` then says why (it stays empty when `path` is simply not a folder).
// Subfolders that cannot be opened are skipped, and entries that vanish during the walk count
// as nothing.
std::optional<qint64> sizeOnDisk(const QString &path, QString *error = nullptr);
} // namespace DirectorySize
