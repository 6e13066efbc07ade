#pragma once

#include <string>

// The file-system checks and steps behind writing a file safely (FileReplacement puts them together),
// and the exclusive claim of a fresh file name. Paths are file-system paths ('/' separators). Nothing
// here logs: every caller reports a failure in its own words, and errno tells it why.
namespace SafeFile
{
// The folder of a path, "." when it names none.
std::string folderOf(const std::string& path);
// Writable for this process, and by its mode bits: tests and users running as root would otherwise
// write over a file, or into a folder, that is marked read-only. False with errno EACCES, or ENOENT
// when nothing is there.
bool isWritable(const std::string& path);
// The file a write of path replaces: path itself, or the file a symbolic link at path names, so that
// the link stays a link.
std::string resolveTarget(const std::string& path);
// Whether a new file can be renamed over path: a name, in a folder this process may write, that names
// nothing yet or a regular file it may write. False with errno ENOENT (no name, no folder), EISDIR (a
// folder), EINVAL (a device, a pipe: no file to replace) or EACCES (not writable).
bool canReplace(const std::string& path);
// Creates path empty and for this process alone, unless anything at all stands there (a dangling link
// included): false with errno EEXIST then, or with the reason it could not be created.
bool claim(const std::string& path);
// A new, empty file beside path, named in temporary, with the permission bits of the file at path
// (and its owner, where this process may give a file away) when there is one. Returns its descriptor,
// open for writing, or -1 with errno and temporary empty.
int createTemporary(const std::string& path, std::string& temporary);
// Makes a file's data, or a folder's entries, reach the disk.
bool syncToDisk(const std::string& path);
} // namespace SafeFile
