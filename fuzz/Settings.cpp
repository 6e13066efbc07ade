// Feeds arbitrary bytes to the settings reader as a settings file. Every input that loads must come
// back unchanged through a save and a second load.

#include "Backend/Settings.h"
#include "FuzzFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
struct Scratch
{
    Scratch()
    {
        folder = makeScratchFolder("varnel-fuzz-settings");
        input = folder + "/input.bcf";
        copy = folder + "/copy.bcf";
    }
    ~Scratch()
    {
        std::remove(input.c_str());
        std::remove(copy.c_str());
        rmdir(folder.c_str());
    }
    std::string folder;
    std::string input;
    std::string copy;
};

Scratch& scratch()
{
    static Scratch instance;
    return instance;
}

bool sameFields(const Settings& a, const Settings& b)
{
    bool same = a.m_windowWidth == b.m_windowWidth && a.m_windowHeight == b.m_windowHeight &&
                a.m_mainSashPosition == b.m_mainSashPosition &&
                a.m_fileAreaSashPosition == b.m_fileAreaSashPosition &&
                a.m_viewerAreaSashPosition == b.m_viewerAreaSashPosition &&
                a.m_openDirectory == b.m_openDirectory && a.m_newFileDirectory == b.m_newFileDirectory &&
                a.m_saveDirectory == b.m_saveDirectory && a.m_fullLogMessages == b.m_fullLogMessages &&
                a.m_extractDirectory == b.m_extractDirectory &&
                a.m_textureDirectory == b.m_textureDirectory && a.m_spareString == b.m_spareString &&
                a.m_confirmDelete == b.m_confirmDelete && a.m_autoOpenLastFiles == b.m_autoOpenLastFiles;
    for (int i = 0; i < Settings::RECENT_FILE_COUNT; ++i)
        same = same && a.m_recentFiles[i] == b.m_recentFiles[i];
    return same;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Scratch& files = scratch();
    writeInput(files.input, data, size);
    Settings loaded("");
    loaded.setPath(files.input);
    if (!loaded.loadFile())
        return 0;
    if (!loaded.saveFile(files.copy))
        std::abort();
    Settings reloaded("");
    reloaded.setPath(files.copy);
    if (!reloaded.loadFile() || !sameFields(loaded, reloaded))
        std::abort();
    return 0;
}
