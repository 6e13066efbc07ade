#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include <functional>

#include "Platform/Image/DdsFile.h"
#include "Support/DdsBuilder.h"
#include "Support/TempDirTest.h"
#include "Support/TestHooks.h"
#include "TextureTestSupport.h"

using namespace texture_test;

namespace
{

class DdsFileTest : public TempDirTest
{
protected:
    void TearDown() override
    {
        TestHooks::reset();
        TempDirTest::TearDown();
    }

    // Parses the bytes directly and through the D3DX file functions; both must agree.
    bool accepted(const DdsBuilder& file, DdsLayout* layout = nullptr)
    {
        DdsLayout parsed;
        const bool direct = DdsFile::parse(file.bytes().data(), file.bytes().size(), parsed);
        EXPECT_TRUE(file.write("case.dds"));
        D3DXIMAGE_INFO info = {};
        const bool described = SUCCEEDED(D3DXGetImageInfoFromFileW(widen("case.dds").c_str(), &info));
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        const bool created =
            SUCCEEDED(D3DXCreateTextureFromFileW(nullptr, widen("case.dds").c_str(), &texture));
        EXPECT_EQ(direct, described);
        EXPECT_EQ(direct, created);
        EXPECT_EQ(created, texture != nullptr) << "a failed creation hands out no texture";
        if (texture != nullptr) {
            EXPECT_EQ(texture->GetLevelCount(), info.MipLevels);
            texture->Release();
        }
        if (layout != nullptr) {
            *layout = parsed;
        }
        return direct;
    }
};

struct Lie
{
    const char* what;
    std::function<void(DdsBuilder&)> change;
};

} // namespace

TEST_F(DdsFileTest, RefusesFilesThatLieAboutThemselves)
{
    const Lie lies[] = {
        {"empty file", [](DdsBuilder& b) { b.resize(0); }},
        {"magic only", [](DdsBuilder& b) { b.resize(4); }},
        {"header cut short", [](DdsBuilder& b) { b.resize(127); }},
        {"wrong magic", [](DdsBuilder& b) { b.set(DdsBuilder::Magic, 0x20534443); }},
        {"header size 0", [](DdsBuilder& b) { b.set(DdsBuilder::HeaderSize, 0); }},
        {"header size huge", [](DdsBuilder& b) { b.set(DdsBuilder::HeaderSize, 0xFFFFFFFFu); }},
        {"pixel format size wrong", [](DdsBuilder& b) { b.set(DdsBuilder::PixelFormatSize, 24); }},
        {"width 0", [](DdsBuilder& b) { b.set(DdsBuilder::Width, 0); }},
        {"height 0", [](DdsBuilder& b) { b.set(DdsBuilder::Height, 0); }},
        {"width above what a file may describe",
         [](DdsBuilder& b) { b.set(DdsBuilder::Width, DDS_MAX_DIMENSION + 1); }},
        {"negative height", [](DdsBuilder& b) { b.set(DdsBuilder::Height, 0xFFFFFFF0u); }},
        {"huge size, tiny file",
         [](DdsBuilder& b) { b.set(DdsBuilder::Width, 16384).set(DdsBuilder::Height, 16384); }},
        {"largest size, tiny file",
         [](DdsBuilder& b) {
             b.set(DdsBuilder::Width, DDS_MAX_DIMENSION).set(DdsBuilder::Height, DDS_MAX_DIMENSION);
         }},
        {"above the texture limit, tiny file", [](DdsBuilder& b) { b.set(DdsBuilder::Width, 32768); }},
        {"larger than its data", [](DdsBuilder& b) { b.set(DdsBuilder::Width, 32); }},
        {"data one byte short", [](DdsBuilder& b) { b.resize(b.bytes().size() - 1); }},
        {"more levels than the chain, the chain cut short",
         [](DdsBuilder& b) { b.set(DdsBuilder::MipMapCount, 9).resize(b.bytes().size() - 1); }},
        {"more levels than the data",
         [](DdsBuilder& b) { b.set(DdsBuilder::MipMapCount, 4).resize(b.bytes().size() - 8); }},
        {"cube map", [](DdsBuilder& b) { b.set(DdsBuilder::Caps2, 0xFE00); }},
        {"volume", [](DdsBuilder& b) { b.set(DdsBuilder::Caps2, 0x200000); }},
        {"depth of 2",
         [](DdsBuilder& b) {
             b.set(DdsBuilder::Flags, b.get(DdsBuilder::Flags) | 0x800000).set(DdsBuilder::Depth, 2);
         }},
        {"DX10 header", [](DdsBuilder& b) { b.set(DdsBuilder::FourCC, MAKEFOURCC('D', 'X', '1', '0')); }},
        {"unknown four-character code",
         [](DdsBuilder& b) { b.set(DdsBuilder::FourCC, MAKEFOURCC('A', 'T', 'I', '2')); }},
        {"four-character flag without code", [](DdsBuilder& b) { b.set(DdsBuilder::FourCC, 0); }},
        {"no pixel format flags", [](DdsBuilder& b) { b.set(DdsBuilder::PixelFormatFlags, 0); }},
    };
    for (const Lie& lie : lies) {
        DdsBuilder file(D3DFMT_DXT1, 8, 8, 4);
        lie.change(file);
        EXPECT_FALSE(accepted(file)) << lie.what;
    }
    const Lie maskLies[] = {
        {"ten-bit channels",
         [](DdsBuilder& b) {
             b.set(DdsBuilder::RedMask, 0x3FF00000)
                 .set(DdsBuilder::GreenMask, 0xFFC00)
                 .set(DdsBuilder::BlueMask, 0x3FF);
         }},
        {"bit count disagrees with masks", [](DdsBuilder& b) { b.set(DdsBuilder::RgbBitCount, 24); }},
        {"bit count 0", [](DdsBuilder& b) { b.set(DdsBuilder::RgbBitCount, 0); }},
    };
    for (const Lie& lie : maskLies) {
        DdsBuilder file(D3DFMT_A8R8G8B8, 4, 4);
        lie.change(file);
        EXPECT_FALSE(accepted(file)) << lie.what;
    }
}

TEST_F(DdsFileTest, AcceptsHarmlessVariationsAndKeepsEveryByte)
{
    const Lie variations[] = {
        {"consistent", [](DdsBuilder&) {}},
        {"pitch field wrong", [](DdsBuilder& b) { b.set(DdsBuilder::PitchOrLinearSize, 3); }},
        {"trailing bytes", [](DdsBuilder& b) { b.resize(b.bytes().size() + 100); }},
        {"alpha flag beside the code", [](DdsBuilder& b) { b.set(DdsBuilder::PixelFormatFlags, 0x5); }},
        {"more levels than the chain", [](DdsBuilder& b) { b.set(DdsBuilder::MipMapCount, 11); }},
    };
    for (const Lie& variation : variations) {
        DdsBuilder file(D3DFMT_DXT5, 16, 8, 5);
        variation.change(file);
        DdsLayout layout;
        ASSERT_TRUE(accepted(file, &layout)) << variation.what;
        EXPECT_EQ(layout.format, D3DFMT_DXT5);
        EXPECT_EQ(layout.width, 16u);
        EXPECT_EQ(layout.height, 8u);
        EXPECT_EQ(layout.levels, 5u);
        IDirect3DTexture9* texture = loadTexture("case.dds");
        ASSERT_NE(texture, nullptr);
        for (UINT level = 0; level < 5; ++level) {
            const std::vector<uint8_t> expected = file.level(level);
            ASSERT_EQ(texture->levelSize(level), expected.size());
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), texture->levelData(level))) << level;
        }
        texture->Release();
    }
}

TEST_F(DdsFileTest, LevelCountRules)
{
    struct Case
    {
        const char* what;
        uint32_t flags;
        uint32_t count;
        UINT expected;
    } cases[] = {
        {"count 0", 0x20000, 0, 1},
        {"count 1", 0x20000, 1, 1},
        {"count without its flag", 0, 3, 1},
        {"chain that stops early", 0x20000, 3, 3},
        {"full chain", 0x20000, 5, 5},
        {"more levels than the chain", 0x20000, 9, 5},
        {"level count huge", 0x20000, 0xFFFFFFFFu, 5},
    };
    for (const Case& c : cases) {
        DdsBuilder file(D3DFMT_A8R8G8B8, 16, 4, 5);
        file.set(DdsBuilder::Flags, (file.get(DdsBuilder::Flags) & ~0x20000u) | c.flags)
            .set(DdsBuilder::MipMapCount, c.count);
        DdsLayout layout;
        ASSERT_TRUE(accepted(file, &layout)) << c.what;
        EXPECT_EQ(layout.levels, c.expected) << c.what;
    }
}

TEST_F(DdsFileTest, ReportsSizesAboveTheTextureLimitButMakesNoTexture)
{
    struct Size
    {
        uint32_t width;
        uint32_t height;
    };
    for (const Size size : {Size{32768, 4}, Size{4, 16385}}) {
        DdsBuilder file(D3DFMT_DXT1, size.width, size.height, 2);
        ASSERT_TRUE(file.write("big.dds"));
        D3DXIMAGE_INFO info = {};
        ASSERT_EQ(D3DXGetImageInfoFromFileW(widen("big.dds").c_str(), &info), D3D_OK) << size.width;
        EXPECT_EQ(info.Width, size.width);
        EXPECT_EQ(info.Height, size.height);
        EXPECT_EQ(info.MipLevels, 2u);
        EXPECT_EQ(info.Format, D3DFMT_DXT1);
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileW(nullptr, widen("big.dds").c_str(), &texture)))
            << size.width;
        EXPECT_EQ(texture, nullptr);
    }
    // The largest side a file may describe, with all its data.
    DdsBuilder longest(D3DFMT_L8, DDS_MAX_DIMENSION, 1);
    DdsLayout layout;
    ASSERT_TRUE(DdsFile::parse(longest.bytes().data(), longest.bytes().size(), layout));
    EXPECT_EQ(layout.width, DDS_MAX_DIMENSION);
    EXPECT_EQ(layout.levels, 1u);
}

TEST_F(DdsFileTest, ReadsEveryFormatOfTheTableThatHasADdsForm)
{
    UINT count = 0;
    const TextureFormatInfo* rows = TextureFormatTable::rows(&count);
    UINT read = 0;
    for (UINT i = 0; i < count; ++i) {
        if (rows[i].dds.flags == 0) {
            continue;
        }
        DdsLayout layout;
        ASSERT_TRUE(accepted(DdsBuilder(rows[i].code, 8, 4, 2), &layout)) << rows[i].name;
        EXPECT_EQ(layout.format, rows[i].code) << rows[i].name;
        ++read;
    }
    EXPECT_EQ(read, 17u) << "DXT1 to DXT5 and the twelve mask formats";
}

TEST_F(DdsFileTest, WriterRoundTripsEveryFormatWithAllLevels)
{
    UINT count = 0;
    const TextureFormatInfo* rows = TextureFormatTable::rows(&count);
    for (UINT i = 0; i < count; ++i) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTexture(nullptr, 12, 8, 0, 0, rows[i].code, D3DPOOL_MANAGED, &texture), D3D_OK);
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            for (size_t b = 0; b < texture->levelSize(level); ++b) {
                texture->levelData(level)[b] = DdsBuilder::pattern(level, b);
            }
        }
        const bool writable = rows[i].dds.flags != 0;
        std::vector<uint8_t> file;
        EXPECT_EQ(DdsFile::build(*texture, file), writable) << rows[i].name;
        const HRESULT saved = D3DXSaveTextureToFileW(widen("out.dds").c_str(), D3DXIFF_DDS, texture, nullptr);
        EXPECT_EQ(SUCCEEDED(saved), writable) << rows[i].name;
        if (writable) {
            D3DXIMAGE_INFO info = {};
            IDirect3DTexture9* back = loadTexture("out.dds", &info);
            ASSERT_NE(back, nullptr) << rows[i].name;
            EXPECT_EQ(info.Format, rows[i].code);
            EXPECT_EQ(info.Width, 12u);
            EXPECT_EQ(info.Height, 8u);
            ASSERT_EQ(back->GetLevelCount(), texture->GetLevelCount());
            for (UINT level = 0; level < back->GetLevelCount(); ++level) {
                ASSERT_EQ(back->levelSize(level), texture->levelSize(level));
                EXPECT_TRUE(std::equal(back->levelData(level),
                                       back->levelData(level) + back->levelSize(level),
                                       texture->levelData(level)))
                    << rows[i].name << " level " << level;
            }
            back->Release();
            std::remove("out.dds");
        }
        texture->Release();
    }
}

TEST_F(DdsFileTest, FailedSavesLeaveNothingBehind)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
    writeFile("kept.dds", "previous contents");
    TestHooks::failNextSaveTexture();
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(widen("kept.dds").c_str(), D3DXIFF_DDS, texture, nullptr)));
    EXPECT_EQ(readFile("kept.dds"), "previous contents");
    EXPECT_TRUE(
        FAILED(D3DXSaveTextureToFileW(widen("missing/folder.dds").c_str(), D3DXIFF_DDS, texture, nullptr)));
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(widen("kept.png").c_str(), D3DXIFF_PNG, texture, nullptr)));
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(widen("").c_str(), D3DXIFF_DDS, texture, nullptr)));
    writeFile("locked.dds", "read-only contents");
    ASSERT_EQ(chmod("locked.dds", 0444), 0);
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(widen("locked.dds").c_str(), D3DXIFF_DDS, texture, nullptr)));
    EXPECT_EQ(readFile("locked.dds"), "read-only contents") << "a read-only file is not replaced";
    ASSERT_EQ(mkdir("folder.dds", 0777), 0);
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(widen("folder.dds").c_str(), D3DXIFF_DDS, texture, nullptr)));
    // A successful save replaces the old file whole.
    EXPECT_EQ(D3DXSaveTextureToFileW(widen("kept.dds").c_str(), D3DXIFF_DDS, texture, nullptr), D3D_OK);
    EXPECT_EQ(readFile("kept.dds").size(), 128u + 32u);
    // No temporary file is left in the folder.
    std::vector<std::string> names;
    DIR* folder = opendir(".");
    ASSERT_NE(folder, nullptr);
    while (dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"folder.dds", "kept.dds", "locked.dds"}));
    texture->Release();
}
