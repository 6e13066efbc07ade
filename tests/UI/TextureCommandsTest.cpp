#include "UI/TextureCommandsTest.h"

#include "Platform/Direct3D.h"
#include "Platform/Image/TextureFormatTable.h"
#include "Support/ArchiveBuilder.h"
#include "Support/DdsBuilder.h"

#include <wx/button.h>
#include <wx/listbox.h>

void TextureCommandsTest::click(wxWindow* dialog, int buttonId)
{
    wxButton* button = child<wxButton>(dialog, buttonId);
    ASSERT_NE(button, nullptr);
    wxCommandEvent event(wxEVT_BUTTON, buttonId);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

void TextureCommandsTest::chooseRow(wxWindow* dialog, int row)
{
    wxListBox* list = child<wxListBox>(dialog, ID_REPLACE_LIST);
    ASSERT_NE(list, nullptr);
    if (row >= 0)
        list->SetSelection(row);
    wxCommandEvent event(wxEVT_LISTBOX, ID_REPLACE_LIST);
    event.SetEventObject(list);
    event.SetInt(row);
    list->GetEventHandler()->ProcessEvent(event);
}

void TextureCommandsTest::selectTextures(const std::vector<long>& rows)
{
    wxListCtrl* list = textureList();
    for (long i = 0; i < list->GetItemCount(); ++i)
        list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
    for (long index : rows)
        list->SetItemState(index, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void TextureCommandsTest::writeDds(const std::string& path, D3DFORMAT format, uint32_t width, uint32_t height,
                                   uint32_t levels, uint8_t seed)
{
    ASSERT_TRUE(DdsBuilder(format, width, height, levels, seed).write(path)) << path;
}

std::vector<uint8_t> TextureCommandsTest::levelBytes(IDirect3DTexture9* texture, uint32_t level)
{
    D3DSURFACE_DESC description;
    D3DLOCKED_RECT locked;
    if (texture == nullptr || FAILED(texture->GetLevelDesc(level, &description)) ||
        FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
        return {};
    const size_t rowBytes = TextureFormatTable::pitch(description.Format, description.Width);
    const UINT rows = TextureFormatTable::rowCount(description.Format, description.Height);
    std::vector<uint8_t> bytes;
    for (UINT r = 0; r < rows; ++r) {
        const uint8_t* start = static_cast<const uint8_t*>(locked.pBits) + size_t(r) * size_t(locked.Pitch);
        bytes.insert(bytes.end(), start, start + rowBytes);
    }
    texture->UnlockRect(level);
    return bytes;
}

std::unique_ptr<WTDFile> TextureCommandsTest::readBack(const std::string& path)
{
    ArchiveBuilder empty;
    EXPECT_TRUE(empty.writeTo("readback.wtd"));
    auto file = std::make_unique<WTDFile>("readback.wtd", archive(0)->getDevice(), WTDFile::WHOLE_FILE, 0);
    EXPECT_TRUE(file->addTexture(path, "")) << path;
    return file;
}

std::vector<std::string> TextureCommandsTest::row(long index)
{
    std::vector<std::string> texts;
    for (int column = 0; column < 3; ++column)
        texts.push_back(std::string(textureList()->GetItemText(index, column).utf8_str()));
    return texts;
}
