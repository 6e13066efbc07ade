#include "Common/STDFunctions/PathSpelling.h"

std::string PathSpelling::toFileSystem(const std::string& path)
{
    std::string native(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}
