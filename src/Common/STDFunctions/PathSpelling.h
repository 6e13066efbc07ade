#pragma once

#include <string>

// The system names its files with backslash separators ("config\\varnel.bcf"); the file system here
// takes '/'. Every path is spelt the system's way until the moment it is handed to an operating-system
// call (open, stat, rename, mkdir), which takes it through here. Paths that come from the file system
// (file dialogs, links) may use either separator and are taken apart here too. Nothing here logs, so
// the log and the safe file writing can use it.
class PathSpelling
{
public:
    // The same path with '/' separators; a path already spelt so is returned unchanged.
    static std::string toFileSystem(const std::string& path);
    // Splits a file-system path (as file dialogs return it) at its last '/' or '\\'. Without a
    // separator the folder is empty and the name is the whole path; a separator at the start leaves
    // that separator as the folder.
    static void splitPath(const std::string& path, std::string& directory, std::string& fileName);
};
