#include "UI/TextureCommandsTest.h"

#include "Platform/Direct3D/D3D9Types.h"
#include "Support/DdsBuilder.h"

#include <wx/image.h>
#include <wx/listbox.h>

#include <sys/stat.h>

#include <map>

namespace
{
struct Input
{
    std::string file;
    std::string name; // the texture's name after the session's rename
    bool dds;
};

const Input INPUTS[] = {
    {"rock.dds", "rock.dds", true}, {"glow.dds", "glow", true}, {"pic.png", "pic.png", false}};
} // namespace

class TextureSessionTest : public TextureCommandsTest
{
protected:
    std::string inTemp(const std::string& name) { return tempDir() + "/" + name; }
    long rowOf(const std::string& name)
    {
        return textureList()->FindItem(-1, wxString::FromUTF8(name.c_str()));
    }

    // The levels' bytes as the archive stores them: a DXT level smaller than one 4 x 4 block keeps only
    // the bytes the format's size rule gives it.
    std::vector<std::vector<uint8_t>> storedLevels(const TextureEntry& entry)
    {
        std::vector<std::vector<uint8_t>> levels;
        for (uint32_t level = 0; level < entry.record.mipLevelCount; ++level) {
            std::vector<uint8_t> bytes = levelBytes(entry.texture.get(), level);
            bytes.resize(static_cast<size_t>(
                WTDFile::getLevelSize(entry.record.format, entry.record.width, entry.record.height, level)));
            levels.push_back(bytes);
        }
        return levels;
    }

    // What adding the file and generating its mip maps gives, apart from the session.
    std::unique_ptr<WTDFile> expectedTexture(const std::string& file)
    {
        std::unique_ptr<WTDFile> expected = readBack(file);
        EXPECT_TRUE(expected->generateMipMaps(0));
        return expected;
    }
};

// A user's session, through the menu commands and the dialogs only.
TEST_F(TextureSessionTest, NewAddMipMapRenameSaveCloseOpenExtractReplaceSaveReload)
{
    createMainWindow();
    const std::string archivePath = inTemp("new.wtd");
    const wxString archiveText = wxString::FromUTF8(archivePath.c_str());
    m_prompter.answerFiles({archivePath});
    sendMenu(m_window, ID_MENU_NEW);
    ASSERT_EQ(status(), "Created the new file: " + archiveText);
    ASSERT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"new.wtd"});

    const DdsBuilder rock(D3DFMT_DXT1, 64, 64, 1, 7);
    const DdsBuilder glow(D3DFMT_DXT5, 32, 16, 1, 9);
    ASSERT_TRUE(rock.write("rock.dds"));
    ASSERT_TRUE(glow.write("glow.dds"));
    wxImage picture(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            picture.SetRGB(x, y, static_cast<unsigned char>(x * 16), static_cast<unsigned char>(y * 16),
                           0x80);
    ASSERT_TRUE(picture.SaveFile("pic.png", wxBITMAP_TYPE_PNG));

    m_prompter.answerDialog([this](wxDialog& dialog) {
        m_prompter.answerFiles({inTemp("rock.dds"), inTemp("glow.dds"), inTemp("pic.png")});
        click(&dialog, ID_ADD_BUTTON);
        click(&dialog, ID_ADD_OK_BUTTON);
        return wxID_OK;
    });
    sendMenu(m_window, ID_MENU_ADD);
    ASSERT_EQ(status(), "Added 3 textures to the archive");

    sendMenu(m_window, ID_MENU_SELECT_ALL_TEXTURES);
    sendMenu(m_window, ID_MENU_GENERATE_MIPMAPS);
    ASSERT_EQ(status(), "Generated MipMaps for 3 textures");
    ASSERT_TRUE(endLabelEdit(rowOf("glow.dds"), "glow"));

    sendMenu(m_window, ID_MENU_SAVE);
    ASSERT_EQ(status(), "Saved file: " + archiveText);
    sendMenu(m_window, ID_MENU_SELECT_ALL_FILES);
    sendMenu(m_window, ID_MENU_CLOSE);
    ASSERT_EQ(status(), "Closed 1 files");
    ASSERT_EQ(m_window->getBackEnd()->getFileCount(), 0u);
    ASSERT_EQ(textureList()->GetItemCount(), 0);

    m_prompter.answerFiles({archivePath});
    sendMenu(m_window, ID_MENU_OPEN);
    ASSERT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"new.wtd"});
    ASSERT_EQ(textureList()->GetItemCount(), 3);

    mkdir("out", 0777);
    m_prompter.answerFolder(inTemp("out"));
    sendMenu(m_window, ID_MENU_EXTRACT_ALL);
    ASSERT_EQ(status(), wxString::FromUTF8(("3 Textures extracted to: " + inTemp("out")).c_str()));
    for (const Input& input : INPUTS) {
        std::unique_ptr<WTDFile> extracted = readBack("out/" + input.name);
        std::unique_ptr<WTDFile> expected = expectedTexture(input.file);
        ASSERT_EQ(extracted->m_textures.size(), 1u) << input.name;
        const TextureEntry& got = extracted->m_textures[0];
        const TextureEntry& want = expected->m_textures[0];
        EXPECT_EQ(got.record.format, want.record.format) << input.name;
        EXPECT_EQ(got.record.mipLevelCount, want.record.mipLevelCount) << input.name;
        EXPECT_GT(got.record.mipLevelCount, 1) << input.name;
        EXPECT_EQ(storedLevels(got), storedLevels(want)) << input.name;
        if (input.dds) {
            EXPECT_EQ(levelBytes(got.texture.get(), 0), (input.file == "rock.dds" ? rock : glow).level(0))
                << input.name;
        }
    }

    const DdsBuilder brick(D3DFMT_DXT5, 128, 64, 8, 11);
    ASSERT_TRUE(brick.write("brick.dds"));
    const long rockRow = rowOf("rock.dds");
    selectTextures({rockRow});
    m_prompter.answerDialog([this](wxDialog& dialog) {
        chooseRow(&dialog, 0);
        m_prompter.answerFiles({inTemp("brick.dds")});
        click(&dialog, ID_REPLACE_SELECT_BUTTON);
        click(&dialog, ID_REPLACE_OK_BUTTON);
        return wxID_OK;
    });
    sendMenu(m_window, ID_MENU_REPLACE);
    ASSERT_EQ(status(), "Replaced 1 textures, 0 skipped");
    EXPECT_EQ(row(rockRow), (std::vector<std::string>{"rock.dds", "DXT5", "128 x 64"}));

    sendMenu(m_window, ID_MENU_SAVE);
    ASSERT_EQ(status(), "Saved file: " + archiveText);
    std::map<std::string, std::vector<std::vector<uint8_t>>> saved;
    for (const TextureEntry& entry : archive(0)->m_textures)
        saved[entry.name] = storedLevels(entry);
    const WTDFile written(archivePath, archive(0)->getDevice(), WTDFile::WHOLE_FILE, 0);
    std::map<std::string, std::vector<std::vector<uint8_t>>> onDisk;
    for (const TextureEntry& entry : written.m_textures)
        onDisk[entry.name] = storedLevels(entry);
    EXPECT_EQ(onDisk, saved);

    sendMenu(m_window, ID_MENU_RELOAD);
    ASSERT_EQ(status(), "REloaded file: " + archiveText);
    EXPECT_EQ(rowTexts(fileList(), 0), std::vector<std::string>{"new.wtd"});
    EXPECT_FALSE(archive(0)->isModified());
    std::map<std::string, std::vector<std::vector<uint8_t>>> reloaded;
    for (const TextureEntry& entry : archive(0)->m_textures)
        reloaded[entry.name] = storedLevels(entry);
    EXPECT_EQ(reloaded, saved);
    ASSERT_EQ(reloaded.count("rock.dds"), 1u);
    ASSERT_EQ(reloaded["rock.dds"].size(), 8u);
    for (uint32_t level = 0; level < 8; ++level) {
        std::vector<uint8_t> added = brick.level(level);
        added.resize(reloaded["rock.dds"][level].size());
        EXPECT_EQ(reloaded["rock.dds"][level], added) << level;
    }
    EXPECT_EQ(reloaded.count("glow"), 1u);
    EXPECT_EQ(reloaded.count("pic.png"), 1u);
}
