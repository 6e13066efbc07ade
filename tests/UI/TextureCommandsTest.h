#pragma once

#include "UI/MainWindowTest.h"

#include "Platform/Direct3D/D3D9Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IDirect3DTexture9;

// The texture commands' tests: the main window's fixture with the means to drive the two dialogs
// through their controls and to read files back through the archive layer.
class TextureCommandsTest : public MainWindowTest
{
protected:
    // A click on the dialog's button, as the toolkit delivers it.
    static void click(wxWindow* dialog, int buttonId);
    // A click on a row of the Replace dialog's list box.
    static void chooseRow(wxWindow* dialog, int row);
    // Selects exactly these rows of the texture list, in the given order, as clicks with Ctrl do.
    void selectTextures(const std::vector<long>& rows);
    // Writes a DDS file whose levels carry the builder's pattern from the seed.
    static void writeDds(const std::string& path, D3DFORMAT format, uint32_t width, uint32_t height,
                         uint32_t levels, uint8_t seed);
    // The bytes a texture level holds, read through a lock.
    static std::vector<uint8_t> levelBytes(IDirect3DTexture9* texture, uint32_t level);
    // The image file as the archive layer reads it: added to an archive of its own on the window's device.
    std::unique_ptr<WTDFile> readBack(const std::string& path);
    // The texture list's row texts of each column for row.
    std::vector<std::string> row(long index);
};
