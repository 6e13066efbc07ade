// Extract All of a 1,000-texture archive through the command (the folder dialog answered, the gauge
// and the log pane updated as for a user) against writing the same DDS bytes to as many files the way
// the editor writes every file, whole or not at all and synced to the disk: the command should add
// little beyond the writing itself (target: at most 1.5 times).
#include "BenchWindow.h"
#include "PairedFigure.h"

#include "Backend/BackEnd.h"
#include "Common/SafeFile/FileReplacement.h"
#include "Platform/Direct3D.h"
#include "UI/MainWindow.h"
#include "WTD/WTDFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace
{
const size_t TEXTURE_COUNT = 1000;
const D3DFORMAT FORMATS[] = {D3DFMT_DXT1, D3DFMT_DXT5, D3DFMT_A8R8G8B8};

// Texture-like bytes: runs of similar values with noise.
void fillTexture(IDirect3DTexture9* texture, uint32_t seed)
{
    for (uint32_t level = 0; level < texture->GetLevelCount(); ++level) {
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(level, &locked, nullptr, 0)))
            continue;
        uint8_t* bytes = static_cast<uint8_t*>(locked.pBits);
        uint32_t state = seed * 2654435761u + level;
        for (size_t i = 0; i < texture->levelSize(level); ++i) {
            state = state * 1103515245u + 12345u;
            bytes[i] = static_cast<uint8_t>((i / 64) * 5 + seed + ((state >> 16) & 0x0F));
        }
        texture->UnlockRect(level);
    }
}

// The archive, made in the window's own open archive on its device and saved, so that the window holds
// exactly what is on disk.
bool makeArchive(BenchWindow& bench, const std::string& path)
{
    if (!WTDFile().saveFile(path, 0) || !bench.open(path))
        return false;
    WTDFile* file = bench.window()->getBackEnd()->getSelectedFile()->m_file.get();
    for (size_t i = 0; i < TEXTURE_COUNT; ++i) {
        TextureEntry entry;
        entry.name = "texture_" + std::to_string(i) + ".dds";
        entry.record.width = 256;
        entry.record.height = 256;
        entry.record.format = FORMATS[i % 3];
        entry.record.mipLevelCount = 9;
        if (FAILED(D3DXCreateTexture(file->getDevice(), 256, 256, 9, 0, FORMATS[i % 3], D3DPOOL_MANAGED,
                                     entry.texture.put())))
            return false;
        file->m_textures.push_back(std::move(entry));
        fillTexture(file->m_textures.back().texture.get(), static_cast<uint32_t>(i));
    }
    return file->saveFile("", 0);
}

bool emptyFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return std::filesystem::create_directory(folder, error);
}

size_t fileCount(const std::string& folder)
{
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(folder); it != std::filesystem::directory_iterator();
         ++it)
        ++count;
    return count;
}

struct Extraction
{
    BenchWindow* bench = nullptr;
    uint32_t fileIndex = 0;
    std::string commandFolder;
    std::string referenceFolder;
    std::vector<std::string> names;
    std::vector<std::vector<char>> files;
};

PairedFigure::Work makeWork()
{
    auto shared = std::make_shared<Extraction>();
    shared->bench = BenchWindow::shared();
    PairedFigure::Work work;
    if (shared->bench == nullptr || !makeArchive(*shared->bench, shared->bench->folder() + "/extract.wtd"))
        return PairedFigure::failing();
    shared->fileIndex = shared->bench->window()->getBackEnd()->getSelectedFileIndex();
    shared->commandFolder = shared->bench->folder() + "/by-command";
    shared->referenceFolder = shared->bench->folder() + "/by-writing";
    // One extraction gives the bytes the reference writes.
    emptyFolder(shared->commandFolder);
    shared->bench->answerFolder(shared->commandFolder);
    shared->bench->window()->extractAllTextures();
    for (const auto& entry : std::filesystem::directory_iterator(shared->commandFolder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        shared->names.push_back(entry.path().filename().string());
        shared->files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (shared->files.size() != TEXTURE_COUNT)
        return PairedFigure::failing();
    work.setUp = [shared] {
        shared->bench->listen(true);
        BenchWindow::pump();
        shared->bench->window()->getBackEnd()->setSelectedFileIndex(shared->fileIndex);
        shared->bench->answerFolder(shared->commandFolder);
        return emptyFolder(shared->commandFolder) && emptyFolder(shared->referenceFolder);
    };
    work.tearDown = [shared] { shared->bench->listen(false); };
    work.measured = [shared] {
        shared->bench->window()->extractAllTextures();
        return fileCount(shared->commandFolder) == TEXTURE_COUNT;
    };
    work.reference = [shared] {
        for (size_t i = 0; i < shared->files.size(); ++i) {
            FileReplacement out(shared->referenceFolder + "/" + shared->names[i]);
            if (!out.isOpen())
                return false;
            out.stream().write(shared->files[i].data(),
                               static_cast<std::streamsize>(shared->files[i].size()));
            if (!out.commit())
                return false;
        }
        return fileCount(shared->referenceFolder) == TEXTURE_COUNT;
    };
    return work;
}

const bool registered = [] {
    const std::string row = "Extract All, 1000 textures 256x256 DXT1/DXT5/A8R8G8B8";
    PairedFigure::registerRow(row, 1.5, makeWork);
    return true;
}();
} // namespace
