#pragma once

#include <string>

// The system names its files with backslash separators ("config\\varnel.bcf"); the file system here
// takes '/'. Every path is spelt the system's way until the moment it is handed to an operating-system
// call (open, stat, rename, mkdir), which takes it through here. Nothing here logs, so the log itself
// can use it.
class PathSpelling
{
public:
    // The same path with '/' separators; a path already spelt so is returned unchanged.
    static std::string toFileSystem(const std::string& path);
};
