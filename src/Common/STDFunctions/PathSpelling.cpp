#include "Common/STDFunctions/PathSpelling.h"

namespace
{
bool isPathSeparator(char c)
{
    return c == '/' || c == '\\';
}
} // namespace

std::string PathSpelling::toFileSystem(const std::string& path)
{
    std::string native(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

void PathSpelling::splitPath(const std::string& path, std::string& directory, std::string& fileName)
{
    size_t separator = path.size();
    while (separator > 0 && !isPathSeparator(path[separator - 1]))
        --separator;
    if (separator == 0) {
        directory.clear();
        fileName = path;
        return;
    }
    // "/a.wtd" lies in "/", not in "".
    directory = path.substr(0, separator == 1 ? 1 : separator - 1);
    fileName = path.substr(separator);
}
