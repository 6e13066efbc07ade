// Rebuilding the texture list of an archive of 1,000, 10,000 and 32,767 textures (until the list is
// painted) against loading that archive from disk: showing the textures must not take longer than
// reading them.
#include "BenchWindow.h"
#include "PairedFigure.h"

#include "Backend/BackEnd.h"
#include "Platform/Direct3D.h"
#include "UI/MainWindow.h"
#include "UI/WindowIds.h"
#include "WTD/WTDFile.h"

#include <wx/listctrl.h>

#include <memory>
#include <string>
#include <utility>

namespace
{
// Small textures, DXT1 and DXT5 with their full chains: the cheapest archive to load per texture,
// so the list has the least time to beat.
bool makeArchive(BenchWindow& bench, const std::string& path, size_t count)
{
    if (!WTDFile().saveFile(path, 0) || !bench.open(path))
        return false;
    WTDFile* file = bench.window()->getBackEnd()->getSelectedFile()->m_file.get();
    for (size_t i = 0; i < count; ++i) {
        TextureEntry entry;
        entry.name = "texture_" + std::to_string(i);
        entry.record.width = 16;
        entry.record.height = 16;
        entry.record.format = i % 2 == 0 ? D3DFMT_DXT1 : D3DFMT_DXT5;
        entry.record.mipLevelCount = 5;
        if (FAILED(D3DXCreateTexture(file->getDevice(), 16, 16, 5, 0,
                                     static_cast<D3DFORMAT>(entry.record.format), D3DPOOL_MANAGED,
                                     entry.texture.put())))
            return false;
        file->m_textures.push_back(std::move(entry));
    }
    return file->saveFile("", 0);
}

struct ListWork
{
    BenchWindow* bench = nullptr;
    std::string path;
    uint32_t fileIndex = 0;
    size_t count = 0;
    std::unique_ptr<WTDFile> loaded;
};

std::function<PairedFigure::Work()> makeWork(size_t count)
{
    return [count] {
        auto shared = std::make_shared<ListWork>();
        shared->bench = BenchWindow::shared();
        shared->count = count;
        if (shared->bench == nullptr)
            return PairedFigure::failing();
        shared->path = shared->bench->folder() + "/list-" + std::to_string(count) + ".wtd";
        if (!makeArchive(*shared->bench, shared->path, count))
            return PairedFigure::failing();
        shared->fileIndex = shared->bench->window()->getBackEnd()->getSelectedFileIndex();
        PairedFigure::Work work;
        // Both halves start from this archive: the reference's earlier load is freed before it runs, and
        // the list already shows this archive's rows, not those of another row of the table.
        work.setUp = [shared] {
            shared->bench->listen(true);
            shared->loaded.reset();
            const bool selected =
                shared->bench->window()->getBackEnd()->setSelectedFileIndex(shared->fileIndex);
            shared->bench->window()->updateTextureList();
            BenchWindow::pump();
            return selected;
        };
        work.tearDown = [shared] { shared->bench->listen(false); };
        work.measured = [shared] {
            MainWindow* window = shared->bench->window();
            window->updateTextureList();
            window->FindWindow(ID_TEXTURE_LIST)->Update();
            BenchWindow::pump();
            return static_cast<wxListCtrl*>(window->FindWindow(ID_TEXTURE_LIST))->GetItemCount() ==
                   static_cast<int>(shared->count);
        };
        work.reference = [shared] {
            IDirect3DDevice9* device =
                shared->bench->window()->getBackEnd()->getSelectedFile()->m_file->getDevice();
            shared->loaded = std::make_unique<WTDFile>(shared->path, device, WTDFile::WHOLE_FILE, 0);
            return shared->loaded->m_textures.size() == shared->count;
        };
        return work;
    };
}

const bool registered = [] {
    for (size_t count : {1000, 10000, 32767}) {
        const std::string row = "texture list rebuild vs load, " + std::to_string(count) + " textures";
        PairedFigure::registerRow(row, 1.0, makeWork(count));
    }
    return true;
}();
} // namespace
