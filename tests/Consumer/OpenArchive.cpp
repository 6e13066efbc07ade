// Writes an empty archive with the archive library and opens it again. Exits with 0 when the archive
// was written and read back as an empty dictionary.
#include <cstdio>
#include <string>

#include "WTD/WTDFile.h"

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "consumer.wtd";
    {
        WTDFile empty;
        if (!empty.saveFile(path, 0)) {
            std::fprintf(stderr, "Could not write the archive %s\n", path.c_str());
            return 1;
        }
    }
    WTDFile opened(path, nullptr, WTDFile::WHOLE_FILE, 0);
    if (opened.hasLoadFailed() || !opened.m_textures.empty()) {
        std::fprintf(stderr, "Could not open the archive %s as an empty dictionary\n", path.c_str());
        return 1;
    }
    std::printf("Wrote and opened the empty archive %s\n", path.c_str());
    return 0;
}
