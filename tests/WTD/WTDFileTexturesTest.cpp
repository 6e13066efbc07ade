// Adding, replacing, deleting, extracting and mip-mapping textures, checked against pictures and DDS
// files that independent tools (ImageMagick, nvcompress) make at run time, and against what those
// tools and Pillow read back from the files we write.
#include "WTD/WTDFile.h"

#include "Platform/Direct3D.h"
#include "Platform/Image/DdsFile.h"
#include "Platform/Image/PixelConverter.h"
#include "Support/DdsBuilder.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"
#include "Support/TestDevice.h"
#include "Support/TestHooks.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const char* const CONVERT = "/usr/bin/convert";
const char* const NVCOMPRESS = "/usr/bin/nvcompress";
const char* const PYTHON = "/usr/bin/python3";
const char* const ARCHIVE_PATH = "edited.wtd";

#define SKIP_WITHOUT(tool)                                                                                   \
    do {                                                                                                     \
        if (access(tool, X_OK) != 0) {                                                                       \
            GTEST_SKIP() << tool << " is not installed";                                                     \
        }                                                                                                    \
    } while (false)

// An archive on the test's device, as the back end would hold it, without a file behind it.
class EditedArchive : public WTDFile
{
public:
    explicit EditedArchive(IDirect3DDevice9* device)
    {
        m_device = device;
        m_filePath = ARCHIVE_PATH;
    }
};

bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A photo-like picture (fractal plasma, the same for a given seed); with alpha it fades out radially.
bool makePicture(const std::string& path, int width, int height, bool alpha, int seed = 7)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::string command =
        std::string(CONVERT) + " -seed " + std::to_string(seed) + " -size " + size + " plasma:fractal";
    if (alpha)
        command += " \\( -size " + size + " radial-gradient: \\) -alpha off -compose CopyOpacity -composite";
    return run(command + " " + path);
}

bool makeDdsWithImageMagick(const std::string& picture, const std::string& compression, bool mips,
                            const std::string& path)
{
    return run(std::string(CONVERT) + " " + picture + " -define dds:compression=" + compression +
               (mips ? "" : " -define dds:mipmaps=0") + " " + path);
}

// The DDS files of the independent tools, made from one opaque and one alpha picture of the size:
// dxt1.dds and rgb.dds (24-bit) from the opaque one, dxt3.dds (nvcompress), dxt5.dds and argb.dds
// (32-bit) from the one with alpha; the pictures stay as opaque.png and alpha.png.
bool makeToolDdsFiles(int width, int height, bool mips, int seed = 7)
{
    return makePicture("opaque.png", width, height, false, seed) &&
           makePicture("alpha.png", width, height, true, seed) &&
           makeDdsWithImageMagick("opaque.png", "dxt1", mips, "dxt1.dds") &&
           makeDdsWithImageMagick("opaque.png", "none", mips, "rgb.dds") &&
           makeDdsWithImageMagick("alpha.png", "dxt5", mips, "dxt5.dds") &&
           makeDdsWithImageMagick("alpha.png", "none", mips, "argb.dds") &&
           run(std::string(NVCOMPRESS) + (mips ? "" : " -nomips") + " -bc2 alpha.png dxt3.dds");
}

// Level data of a DDS file as its header describes it, levels back to back after the header.
struct DdsContents
{
    DdsLayout layout;
    std::vector<std::vector<uint8_t>> levels;
};

bool readDds(const std::string& path, DdsContents& contents)
{
    const std::vector<uint8_t> bytes = readBytes(path);
    if (!DdsFile::parse(bytes.data(), bytes.size(), contents.layout))
        return false;
    size_t offset = DDS_DATA_OFFSET;
    for (UINT level = 0; level < contents.layout.levels; ++level) {
        const size_t size = static_cast<size_t>(TextureFormatTable::levelSize(
            contents.layout.format, TextureFormatTable::levelDimension(contents.layout.width, level),
            TextureFormatTable::levelDimension(contents.layout.height, level)));
        contents.levels.emplace_back(bytes.begin() + offset, bytes.begin() + offset + size);
        offset += size;
    }
    return true;
}

std::vector<uint8_t> levelBytes(IDirect3DTexture9* texture, UINT level)
{
    D3DLOCKED_RECT locked = {};
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
        return {};
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    std::vector<uint8_t> bytes(bits, bits + texture->levelSize(level));
    texture->UnlockRect(level);
    return bytes;
}

std::vector<uint8_t> decodedLevel(IDirect3DTexture9* texture, UINT level)
{
    std::vector<uint8_t> rgba;
    EXPECT_TRUE(PixelConverter::decodeLevel(*texture, level, rgba));
    return rgba;
}

// Level 0 of an image file as 8-bit RGBA, as ImageMagick reads it.
std::vector<uint8_t> readWithImageMagick(const std::string& path)
{
    if (!run(std::string(CONVERT) + " '" + path + "[0]' -depth 8 RGBA:decoded.rgba"))
        return {};
    return readBytes("decoded.rgba");
}

// Level 0 of an image file as 8-bit RGBA, as Pillow reads it.
std::vector<uint8_t> readWithPillow(const std::string& path)
{
    const std::string script =
        "import sys; from PIL import Image; "
        "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGBA').tobytes())";
    if (!run(std::string(PYTHON) + " -c \"" + script + "\" '" + path + "' decoded.rgba"))
        return {};
    return readBytes("decoded.rgba");
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 0.0;
    double squares = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    if (squares == 0.0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / squares);
}

int largestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int largest = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    return largest;
}

// Mip level `level` of a picture by the box filter: each pixel the average of the 2^level × 2^level
// pixels of level 0 it covers.
std::vector<uint8_t> boxFiltered(const std::vector<uint8_t>& rgba, UINT width, UINT height, UINT level)
{
    const UINT targetWidth = TextureFormatTable::levelDimension(width, level);
    const UINT targetHeight = TextureFormatTable::levelDimension(height, level);
    const UINT spanX = width / targetWidth;
    const UINT spanY = height / targetHeight;
    std::vector<uint8_t> target(size_t(targetWidth) * targetHeight * 4);
    for (UINT y = 0; y < targetHeight; ++y)
        for (UINT x = 0; x < targetWidth; ++x)
            for (UINT channel = 0; channel < 4; ++channel) {
                double sum = 0.0;
                for (UINT v = 0; v < spanY; ++v)
                    for (UINT u = 0; u < spanX; ++u)
                        sum += rgba[((size_t(y) * spanY + v) * width + x * spanX + u) * 4 + channel];
                target[(size_t(y) * targetWidth + x) * 4 + channel] =
                    static_cast<uint8_t>(std::lround(sum / (spanX * spanY)));
            }
    return target;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    return names;
}
} // namespace

class WTDFileTexturesTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestHooks::reset();
        ASSERT_TRUE(m_testDevice.create());
        m_device = m_testDevice.get();
        m_archive = new EditedArchive(m_device);
    }

    void TearDown() override
    {
        delete m_archive;
        m_testDevice.release();
        TestHooks::reset();
        TempDirTest::TearDown();
    }

    // Adds the file and checks that it became the last texture; returns that texture's entry.
    const TextureEntry& added(const std::string& path, const std::string& name = "")
    {
        static const TextureEntry none;
        const size_t before = m_archive->m_textures.size();
        EXPECT_TRUE(m_archive->addTexture(path, name)) << LogCapture::instance().describe();
        if (m_archive->m_textures.size() != before + 1)
            return none;
        return m_archive->m_textures.back();
    }

    // An entry whose texture could not be created when its archive was read.
    void appendEntryWithoutTexture(const std::string& name)
    {
        TextureEntry entry;
        entry.name = name;
        entry.record.width = 16;
        entry.record.height = 16;
        m_archive->m_textures.push_back(std::move(entry));
    }

    TestDevice m_testDevice;
    IDirect3DDevice9* m_device = nullptr;
    EditedArchive* m_archive = nullptr;
};

// ---- Adding ---------------------------------------------------------------------------------------

TEST_F(WTDFileTexturesTest, AddsDdsFilesOfIndependentToolsWithTheirRecordAndLevelData)
{
    SKIP_WITHOUT(CONVERT);
    SKIP_WITHOUT(NVCOMPRESS);
    ASSERT_TRUE(makeToolDdsFiles(128, 64, true));
    ASSERT_TRUE(makeDdsWithImageMagick("alpha.png", "none", false, "argb1.dds"));
    struct Case
    {
        const char* file;
        D3DFORMAT format;
        uint8_t levels;
        uint16_t stride;
    };
    const Case cases[] = {
        {"dxt1.dds", D3DFMT_DXT1, 8, 64},       {"dxt3.dds", D3DFMT_DXT3, 8, 128},
        {"dxt5.dds", D3DFMT_DXT5, 8, 128},      {"argb.dds", D3DFMT_A8R8G8B8, 8, 128},
        {"argb1.dds", D3DFMT_A8R8G8B8, 1, 128}, {"rgb.dds", D3DFMT_R8G8B8, 8, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DdsContents file;
        ASSERT_TRUE(readDds(c.file, file));
        const TextureEntry& entry = added(c.file);
        ASSERT_NE(entry.texture.get(), nullptr);
        EXPECT_EQ(entry.name, c.file);
        EXPECT_EQ(entry.record.width, 128);
        EXPECT_EQ(entry.record.height, 64);
        EXPECT_EQ(entry.record.format, c.format);
        EXPECT_EQ(entry.record.mipLevelCount, c.levels);
        EXPECT_EQ(entry.record.stride, c.stride);
        EXPECT_EQ(entry.record.itemType, TextureTOCItem::VALID_ITEM_TYPE);
        EXPECT_EQ(entry.record.floatParameters[0], 1.0f);
        ASSERT_EQ(entry.texture->GetLevelCount(), c.levels);
        ASSERT_EQ(file.levels.size(), c.levels);
        for (UINT level = 0; level < c.levels; ++level)
            EXPECT_EQ(levelBytes(entry.texture.get(), level), file.levels[level]) << "level " << level;
        EXPECT_LOGGED_LINE(LOG_INFORMATION, std::string("WTDFile::addTexture(1150) - Added new texture: ") +
                                                c.file + " to file: " + ARCHIVE_PATH);
    }
    EXPECT_TRUE(m_archive->isModified());
}

TEST_F(WTDFileTexturesTest, AddsPngAndJpegWithThePixelsOfThePicture)
{
    SKIP_WITHOUT(CONVERT);
    SKIP_WITHOUT(PYTHON);
    ASSERT_TRUE(makePicture("picture.png", 64, 32, true));
    ASSERT_TRUE(run(std::string(CONVERT) + " picture.png -alpha off -quality 95 picture.jpg"));
    for (const char* file : {"picture.png", "picture.jpg"}) {
        SCOPED_TRACE(file);
        const TextureEntry& entry = added(file);
        ASSERT_NE(entry.texture.get(), nullptr);
        EXPECT_EQ(entry.record.width, 64);
        EXPECT_EQ(entry.record.height, 32);
        EXPECT_EQ(entry.record.format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(entry.record.mipLevelCount, 1);
        EXPECT_EQ(entry.record.stride, 64);
        const std::vector<uint8_t> pillow = readWithPillow(file);
        ASSERT_EQ(pillow.size(), 64u * 32u * 4u);
        if (std::string(file) == "picture.png") {
            EXPECT_EQ(decodedLevel(entry.texture.get(), 0), pillow);
        } else {
            // JPEG decoders differ in their inverse transform and upsampling by a few steps.
            EXPECT_LE(largestDifference(decodedLevel(entry.texture.get(), 0), pillow), 6);
            EXPECT_GE(psnr(decodedLevel(entry.texture.get(), 0), pillow), 40.0);
        }
    }
}

TEST_F(WTDFileTexturesTest, NamesTheTextureAfterTheFileUnlessANameIsGiven)
{
    SKIP_WITHOUT(CONVERT);
    fs::create_directory("pictures");
    ASSERT_TRUE(makePicture("pictures/rock.png", 8, 8, false));
    EXPECT_EQ(added("pictures/rock.png").name, "rock.png");
    EXPECT_EQ(added(tempDir() + "/pictures/rock.png").name, "rock.png");
    EXPECT_EQ(added("pictures/rock.png", "rock").name, "rock");
    // The same file twice makes two textures of the same name.
    ASSERT_EQ(m_archive->m_textures.size(), 3u);
    EXPECT_EQ(m_archive->m_textures[0].name, m_archive->m_textures[1].name);
    EXPECT_NE(m_archive->m_textures[0].texture.get(), m_archive->m_textures[1].texture.get());
}

TEST_F(WTDFileTexturesTest, RefusesFilesThatCannotBecomeTexturesAndAddsNothing)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("odd.png", 100, 64, false));
    // Wider than the tools' own limits allow them to write, so written here.
    const std::vector<uint8_t> wide(32768 * 2 * 3, 0x80);
    ASSERT_NE(stbi_write_png("wide.png", 32768, 2, 3, wide.data(), 32768 * 3), 0);
    ASSERT_TRUE(makePicture("good.png", 16, 16, false));
    writeFile("text.dds", "this is no picture");

    EXPECT_FALSE(m_archive->addTexture("missing 100%s.dds", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::addTexture(1092) - Invalid file path: missing 100%s.dds");
    EXPECT_FALSE(m_archive->addTexture("text.dds", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::addTexture(1103) - Unable to get image information for file: text.dds");
    EXPECT_FALSE(m_archive->addTexture("odd.png", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::addTexture(1110) - The texture width: 100 and height: 64 must be a "
                       "power of 2, file: odd.png");
    // 32768 is a power of two, but neither the device nor a record's signed 16-bit width can hold it.
    EXPECT_FALSE(m_archive->addTexture("wide.png", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::addTexture(1110) - The texture size 32768 x 2 is above the largest "
                       "an archive can hold (16384 pixels a side), file: wide.png");
    TestHooks::failNextTextureCreation();
    EXPECT_FALSE(m_archive->addTexture("good.png", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::addTexture(1123) - Failed to create texture for file: good.png");
    EXPECT_FALSE(m_archive->addTexture(std::string(600, 'a'), ""));

    EXPECT_TRUE(m_archive->m_textures.empty());
    EXPECT_FALSE(m_archive->isModified());
}

TEST_F(WTDFileTexturesTest, RefusesTheTextureTheCountCannotDescribe)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("good.png", 4, 4, false));
    m_archive->m_textures.resize(32766);
    // The 32767th texture is the last one the count can describe.
    added("good.png");
    ASSERT_EQ(m_archive->m_textures.size(), 32767u);
    m_archive->setModified(false);

    EXPECT_FALSE(m_archive->addTexture("good.png", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::addTexture(1088) - The archive already holds the most textures it "
                       "can describe: 32767, file not added: good.png");
    EXPECT_EQ(m_archive->m_textures.size(), 32767u);
    EXPECT_FALSE(m_archive->isModified());
}

TEST_F(WTDFileTexturesTest, NeverDescribesMoreLevelsThanTheDimensionsAllow)
{
    // A 4x4 DXT1 file claiming 5 levels (a full chain has 3), with bytes for all five.
    DdsBuilder deep(D3DFMT_DXT1, 4, 4, 3);
    deep.set(DdsBuilder::MipMapCount, 5).resize(DDS_DATA_OFFSET + 5 * 8);
    ASSERT_TRUE(deep.write("deep.dds"));

    if (m_archive->addTexture("deep.dds", "")) {
        ASSERT_EQ(m_archive->m_textures.size(), 1u);
        EXPECT_EQ(m_archive->m_textures[0].record.mipLevelCount, 3);
    } else {
        EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::addTexture(1103) - Unable to get image information for file: "
                                      "deep.dds");
        EXPECT_TRUE(m_archive->m_textures.empty());
    }
}

TEST_F(WTDFileTexturesTest, SidesAboveTheLimitGetTheirOwnErrorOnAddAndReplace)
{
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT1, 16, 16).write("small.dds"));
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT1, 4, 32768).write("tall.dds"));
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT1, 32768, 4).write("long.dds"));
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT1, 40000, 4).write("odd.dds"));
    added("small.dds");
    m_archive->setModified(false);
    const IDirect3DTexture9* before = m_archive->m_textures[0].texture.get();

    EXPECT_FALSE(m_archive->addTexture("tall.dds", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::addTexture(1110) - The texture size 4 x 32768 is above the largest "
                       "an archive can hold (16384 pixels a side), file: tall.dds");
    EXPECT_FALSE(m_archive->replaceTexture("long.dds", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::replaceTexture(1192) - The texture size 32768 x 4 is above the "
                                  "largest an archive can hold (16384 pixels a side), file: long.dds");
    // A side that is no power of two is told so first, however large it is.
    EXPECT_FALSE(m_archive->addTexture("odd.dds", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::addTexture(1110) - The texture width: 40000 and height: 4 must be "
                       "a power of 2, file: odd.dds");
    ASSERT_EQ(m_archive->m_textures.size(), 1u);
    EXPECT_EQ(m_archive->m_textures[0].texture.get(), before);
    EXPECT_EQ(m_archive->m_textures[0].record.height, 16);
    EXPECT_FALSE(m_archive->isModified());
}

TEST_F(WTDFileTexturesTest, AFileClaimingMoreLevelsThanItsChainGivesTheFullChain)
{
    // 16x16 DXT1 has a chain of 5 levels; the file claims 9 and holds the data of 5.
    DdsBuilder deep(D3DFMT_DXT1, 16, 16, 5);
    deep.set(DdsBuilder::MipMapCount, 9);
    ASSERT_TRUE(deep.write("deep.dds"));
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT5, 8, 8).write("small.dds"));

    const TextureEntry& entry = added("deep.dds");
    ASSERT_NE(entry.texture.get(), nullptr);
    EXPECT_EQ(entry.record.mipLevelCount, 5);
    ASSERT_EQ(entry.texture->GetLevelCount(), 5u);
    for (UINT level = 0; level < 5; ++level)
        EXPECT_EQ(levelBytes(entry.texture.get(), level), deep.level(level)) << level;

    added("small.dds");
    ASSERT_TRUE(m_archive->replaceTexture("deep.dds", 1));
    const TextureEntry& replaced = m_archive->m_textures[1];
    EXPECT_EQ(replaced.record.mipLevelCount, 5);
    EXPECT_EQ(replaced.record.format, static_cast<uint32_t>(D3DFMT_DXT1));
    EXPECT_EQ(replaced.texture->GetLevelCount(), 5u);
}

// ---- Replacing ------------------------------------------------------------------------------------

TEST_F(WTDFileTexturesTest, ReplacesThePictureAndKeepsNameHashAndOtherRecordFields)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    ASSERT_TRUE(makePicture("big.png", 256, 128, false));
    ASSERT_TRUE(makeDdsWithImageMagick("big.png", "dxt1", true, "big.dds"));
    added("small.png", "first");
    added("small.png", "grass");
    TextureEntry& entry = m_archive->m_textures[1];
    entry.nameHash = 0x12345678;
    entry.record.reserved18 = 77;
    entry.record.textureKind = 3;
    IDirect3DTexture9* old = entry.texture.get();
    old->AddRef();
    m_archive->setModified(false);

    ASSERT_TRUE(m_archive->replaceTexture("big.dds", 1));
    EXPECT_EQ(old->Release(), 0u) << "the old picture must be released";
    EXPECT_EQ(entry.name, "grass");
    EXPECT_EQ(entry.nameHash, 0x12345678u);
    EXPECT_EQ(entry.record.reserved18, 77u);
    EXPECT_EQ(entry.record.textureKind, 3);
    EXPECT_EQ(entry.record.width, 256);
    EXPECT_EQ(entry.record.height, 128);
    EXPECT_EQ(entry.record.mipLevelCount, 9);
    EXPECT_EQ(entry.record.format, D3DFMT_DXT1);
    EXPECT_EQ(entry.record.stride, 128);
    DdsContents file;
    ASSERT_TRUE(readDds("big.dds", file));
    EXPECT_EQ(levelBytes(entry.texture.get(), 0), file.levels[0]);
    // The line names the picture that replaced the texture, not the archive.
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "WTDFile::replaceTexture(1231) - Replaced the texture: grass with file: big.dds");
    EXPECT_TRUE(m_archive->isModified());

    // An entry whose texture never existed takes a picture too.
    appendEntryWithoutTexture("empty");
    EXPECT_TRUE(m_archive->replaceTexture("small.png", 2));
    EXPECT_NE(m_archive->m_textures[2].texture.get(), nullptr);
}

TEST_F(WTDFileTexturesTest, AFailedReplacementKeepsTheOldPictureAndRecord)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    ASSERT_TRUE(makePicture("odd.png", 48, 16, false));
    added("small.png", "grass");
    m_archive->setModified(false);
    LogCapture::instance().clear();
    IDirect3DTexture9* const beforeTexture = m_archive->m_textures[0].texture.get();
    const TextureTOCItem before = m_archive->m_textures[0].record;
    const std::vector<uint8_t> pixels = levelBytes(beforeTexture, 0);

    EXPECT_FALSE(m_archive->replaceTexture("small.png", 1));
    EXPECT_LOGGED_LINE(
        LOG_ERROR, "WTDFile::replaceTexture(1170) - Index supplied: 1 is outside the texture list limits: 1");
    EXPECT_FALSE(m_archive->replaceTexture("missing.png", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::replaceTexture(1240) - Invalid file path: missing.png");
    writeFile("text.png", "no picture");
    EXPECT_FALSE(m_archive->replaceTexture("text.png", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::replaceTexture(1185) - Unable to get image information for file: text.png");
    EXPECT_FALSE(m_archive->replaceTexture("odd.png", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::replaceTexture(1192) - The texture width: 48 and height: 16 must be a "
                       "power of 2, file: odd.png");
    TestHooks::failNextTextureCreation();
    EXPECT_FALSE(m_archive->replaceTexture("small.png", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::replaceTexture(1205) - Failed to create texture for file: small.png");

    const TextureEntry& after = m_archive->m_textures[0];
    EXPECT_EQ(after.texture.get(), beforeTexture);
    EXPECT_EQ(levelBytes(after.texture.get(), 0), pixels);
    EXPECT_EQ(after.record.width, before.width);
    EXPECT_EQ(after.record.format, before.format);
    EXPECT_EQ(after.record.mipLevelCount, before.mipLevelCount);
    EXPECT_FALSE(m_archive->isModified());
    EXPECT_EQ(LogCapture::instance().count(LOG_INFORMATION), 0u);
}

// ---- Deleting -------------------------------------------------------------------------------------

TEST_F(WTDFileTexturesTest, DeletesReleasesAndMovesTheLaterTexturesUp)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    added("small.png", "a");
    added("small.png", "b");
    appendEntryWithoutTexture("c");
    IDirect3DTexture9* first = m_archive->m_textures[0].texture.get();
    first->AddRef();
    m_archive->setModified(false);

    EXPECT_FALSE(m_archive->deleteTexture(3));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::deleteTexture(1257) - Index supplied: 3 is outside the texture list "
                       "limits: 3");
    EXPECT_FALSE(m_archive->isModified());

    ASSERT_TRUE(m_archive->deleteTexture(0));
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "WTDFile::deleteTexture(1263) - Deleted the texture a at position: 0");
    ASSERT_EQ(m_archive->m_textures.size(), 2u);
    EXPECT_EQ(m_archive->m_textures[0].name, "b");
    EXPECT_TRUE(m_archive->isModified());

    ASSERT_TRUE(m_archive->deleteTexture(1)); // the entry without a texture
    ASSERT_TRUE(m_archive->deleteTexture(0));
    EXPECT_TRUE(m_archive->m_textures.empty());
    EXPECT_FALSE(m_archive->deleteTexture(0));
}

// ---- Extracting -----------------------------------------------------------------------------------

TEST_F(WTDFileTexturesTest, ExtractsUnderTheTexturesNameOrTheGivenOne)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    added("small.png", "rock");
    m_archive->setModified(false);
    fs::create_directories("out/sub");

    ASSERT_TRUE(m_archive->extractTexture(0, "out", ""));
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "WTDFile::extractTexture(1076) - Extracted: rock as: out/rock");
    ASSERT_TRUE(m_archive->extractTexture(0, "out", "rock.dds"));
    EXPECT_LOGGED(LOG_INFORMATION, "Extracted: rock as: out/rock.dds");
    // A name the caller gives is used as given.
    ASSERT_TRUE(m_archive->extractTexture(0, "out", "sub/copy.dds"));
    EXPECT_TRUE(fs::is_regular_file("out/rock"));
    EXPECT_TRUE(fs::is_regular_file("out/rock.dds"));
    EXPECT_TRUE(fs::is_regular_file("out/sub/copy.dds"));
    EXPECT_EQ(readBytes("out/rock"), readBytes("out/rock.dds"));
    EXPECT_FALSE(m_archive->isModified());

    EXPECT_FALSE(m_archive->extractTexture(1, "out", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::extractTexture(1056) - Index: 1 is outside the texture list limits: 1");
    EXPECT_FALSE(m_archive->extractTexture(0, "missing", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::extractTexture(1071) - Failed to extract: rock as: missing/rock");
    TestHooks::failNextSaveTexture();
    EXPECT_FALSE(m_archive->extractTexture(0, "out", "failed.dds"));
    EXPECT_LOGGED(LOG_ERROR, "Failed to extract: rock as: out/failed.dds");
    EXPECT_FALSE(fs::exists("out/failed.dds"));
    // A path too long to hand on is never written under another name.
    EXPECT_FALSE(m_archive->extractTexture(0, "out", std::string(600, 'n')));
    EXPECT_FALSE(fs::exists("-"));
    EXPECT_FALSE(fs::exists("out/-"));
}

TEST_F(WTDFileTexturesTest, FoldersAreJoinedWithOneSlash)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    added("small.png", "rock");
    fs::create_directory("out");

    ASSERT_TRUE(m_archive->extractTexture(0, "out/", "a.dds"));
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "WTDFile::extractTexture(1076) - Extracted: rock as: out/a.dds");
    EXPECT_TRUE(fs::is_regular_file("out/a.dds"));
    // No folder: the working folder, never the root of the file system.
    ASSERT_TRUE(m_archive->extractTexture(0, "", "b.dds"));
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "WTDFile::extractTexture(1076) - Extracted: rock as: b.dds");
    EXPECT_TRUE(fs::is_regular_file("b.dds"));
}

TEST_F(WTDFileTexturesTest, NeverWritesOutsideTheFolderUnderTheTexturesOwnName)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    fs::create_directories("top/out");
    const std::string unsafe[] = {"", ".", "..", "../escape", "a/b", "a\\b", "c:name", std::string("bell\a")};
    for (const std::string& name : unsafe) {
        SCOPED_TRACE(name);
        LogCapture::instance().clear();
        added("small.png");
        m_archive->m_textures[0].name = name;
        EXPECT_FALSE(m_archive->extractTexture(0, "top/out", ""));
        EXPECT_EQ(LogCapture::instance().count(LOG_ERROR), 1u);
        EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::extractTexture(1062) - Failed to extract, the texture's name "
                                      "cannot be used as a file name: " +
                                          name);
        ASSERT_TRUE(m_archive->deleteTexture(0));
    }
    EXPECT_TRUE(filesIn("top/out").empty());
    EXPECT_EQ(filesIn("top").size(), 1u);

    appendEntryWithoutTexture("ghost");
    EXPECT_FALSE(m_archive->extractTexture(0, "top/out", ""));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::extractTexture(1071) - Failed to extract: ghost as: top/out/ghost");
    EXPECT_TRUE(filesIn("top/out").empty());
}

TEST_F(WTDFileTexturesTest, ExtractedDdsFilesReadBackInImageMagickAndPillow)
{
    SKIP_WITHOUT(CONVERT);
    SKIP_WITHOUT(NVCOMPRESS);
    SKIP_WITHOUT(PYTHON);
    ASSERT_TRUE(makeToolDdsFiles(64, 64, true));
    fs::create_directory("out");
    for (const char* file : {"dxt1.dds", "dxt3.dds", "dxt5.dds", "argb.dds", "rgb.dds", "alpha.png"}) {
        SCOPED_TRACE(file);
        const TextureEntry& entry = added(file, "texture");
        ASSERT_NE(entry.texture.get(), nullptr);
        const std::vector<uint8_t> ours = decodedLevel(entry.texture.get(), 0);
        ASSERT_TRUE(m_archive->extractTexture(static_cast<uint32_t>(m_archive->m_textures.size() - 1), "out",
                                              std::string(file) + ".out.dds"));
        const std::string written = std::string("out/") + file + ".out.dds";
        EXPECT_EQ(readWithImageMagick(written), ours);
        EXPECT_EQ(readWithPillow(written), ours);
    }
}

TEST_F(WTDFileTexturesTest, AddSaveReopenExtractGivesBackTheOriginalLevels)
{
    SKIP_WITHOUT(CONVERT);
    SKIP_WITHOUT(NVCOMPRESS);
    ASSERT_TRUE(makeToolDdsFiles(64, 32, true));
    const char* const files[] = {"dxt1.dds", "dxt3.dds", "dxt5.dds", "argb.dds", "rgb.dds"};
    for (const char* file : files)
        added(file);
    ASSERT_TRUE(m_archive->saveFile("saved.wtd", 0)) << LogCapture::instance().describe();

    WTDFile reopened("saved.wtd", m_device, WTDFile::WHOLE_FILE, 0);
    ASSERT_FALSE(reopened.hasLoadFailed());
    ASSERT_EQ(reopened.m_textures.size(), std::size(files));
    fs::create_directory("out");
    for (uint32_t index = 0; index < reopened.m_textures.size(); ++index)
        ASSERT_TRUE(reopened.extractTexture(index, "out", ""));
    for (const char* file : files) {
        SCOPED_TRACE(file);
        DdsContents original;
        DdsContents extracted;
        ASSERT_TRUE(readDds(file, original));
        ASSERT_TRUE(readDds(std::string("out/") + file, extracted));
        EXPECT_EQ(extracted.layout.format, original.layout.format);
        ASSERT_EQ(extracted.levels.size(), original.levels.size());
        // The archive stores DXT levels by its own size rule, which holds whole blocks only down to 4x4
        // pixels; of the smaller levels it keeps the bytes the rule gives.
        for (UINT level = 0; level < original.levels.size(); ++level) {
            const int16_t width = static_cast<int16_t>(original.layout.width);
            const int16_t height = static_cast<int16_t>(original.layout.height);
            const size_t stored =
                static_cast<size_t>(WTDFile::getLevelSize(original.layout.format, width, height, level));
            const size_t compared = std::min(stored, original.levels[level].size());
            EXPECT_TRUE(std::equal(original.levels[level].begin(), original.levels[level].begin() + compared,
                                   extracted.levels[level].begin()))
                << "level " << level;
            if (TextureFormatTable::levelDimension(width, level) >= 4 &&
                TextureFormatTable::levelDimension(height, level) >= 4) {
                EXPECT_EQ(compared, original.levels[level].size()) << "level " << level;
            }
        }
    }
}

// ---- Mip maps -------------------------------------------------------------------------------------

// Every generated level against the box filter of level 0. A DXT level cannot be better than the
// encoder makes the reference itself (four colours per 4x4 block: on the small levels of this content a
// block holds sixteen unrelated colours), so each DXT level must come within 1.5 dB of the encoder's
// own result on the reference (asking no more than 40 dB, where the rest is a rounding step of the
// tiny levels) and never below 20 dB; the 8-bit format only rounds: 45 dB.
TEST_F(WTDFileTexturesTest, GeneratedLevelsMatchTheBoxFilteredPicture)
{
    SKIP_WITHOUT(CONVERT);
    SKIP_WITHOUT(NVCOMPRESS);
    ASSERT_TRUE(makeToolDdsFiles(256, 256, false, 11));
    for (const char* file : {"dxt1.dds", "dxt3.dds", "dxt5.dds", "alpha.png"}) {
        SCOPED_TRACE(file);
        const TextureEntry& entry = added(file);
        ASSERT_EQ(entry.record.mipLevelCount, 1);
        const D3DFORMAT format = static_cast<D3DFORMAT>(entry.record.format);
        const uint32_t index = static_cast<uint32_t>(m_archive->m_textures.size() - 1);
        const std::vector<uint8_t> top = levelBytes(entry.texture.get(), 0);
        m_archive->setModified(false);

        ASSERT_TRUE(m_archive->generateMipMaps(index));
        const TextureEntry& mipped = m_archive->m_textures[index];
        EXPECT_EQ(mipped.record.mipLevelCount, 9);
        ASSERT_EQ(mipped.texture->GetLevelCount(), 9u);
        EXPECT_EQ(levelBytes(mipped.texture.get(), 0), top) << "level 0 is the old picture, unchanged";
        EXPECT_LOGGED_LINE(LOG_INFORMATION, "WTDFile::generateMipMaps(1318) - Generated 9 MipMap levels for "
                                            "texture " +
                                                std::to_string(index) + ": " + file);
        EXPECT_TRUE(m_archive->isModified());
        const std::vector<uint8_t> level0 = decodedLevel(mipped.texture.get(), 0);
        for (UINT level = 1; level < 9; ++level) {
            const UINT size = TextureFormatTable::levelDimension(256, level);
            const std::vector<uint8_t> reference = boxFiltered(level0, 256, 256, level);
            const double quality = psnr(decodedLevel(mipped.texture.get(), level), reference);
            double floor = 45.0;
            if (format != D3DFMT_A8R8G8B8) {
                std::vector<uint8_t> encoded(
                    static_cast<size_t>(TextureFormatTable::levelSize(format, size, size)));
                std::vector<uint8_t> decoded(reference.size());
                ASSERT_TRUE(PixelConverter::encode(format, reference.data(), size, size, encoded.data()));
                ASSERT_TRUE(PixelConverter::decode(format, encoded.data(), size, size, decoded.data()));
                floor = std::max(20.0, std::min(40.0, psnr(decoded, reference) - 1.5));
            }
            EXPECT_GE(quality, floor) << "level " << level;
        }
    }
}

TEST_F(WTDFileTexturesTest, MakesTheFullChainOfTheDimensions)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("wide.png", 512, 128, false));
    ASSERT_TRUE(makePicture("dot.png", 1, 1, false));
    added("wide.png");
    added("dot.png");

    for (int pass = 0; pass < 2; ++pass) {
        m_archive->setModified(false);
        ASSERT_TRUE(m_archive->generateMipMaps(0));
        EXPECT_EQ(m_archive->m_textures[0].record.mipLevelCount, 10);
        EXPECT_EQ(m_archive->m_textures[0].texture->GetLevelCount(), 10u);
        EXPECT_TRUE(m_archive->isModified());
    }
    ASSERT_TRUE(m_archive->generateMipMaps(1));
    EXPECT_EQ(m_archive->m_textures[1].record.mipLevelCount, 1);
    EXPECT_LOGGED(LOG_INFORMATION, "Generated 1 MipMap levels for texture 1: dot.png");
    EXPECT_EQ(m_archive->m_textures[0].record.width, 512);
    EXPECT_EQ(m_archive->m_textures[0].record.stride, 512);
}

TEST_F(WTDFileTexturesTest, AFailedGenerationKeepsTheOldTextureAndRecord)
{
    SKIP_WITHOUT(CONVERT);
    ASSERT_TRUE(makePicture("small.png", 16, 16, false));
    added("small.png", "grass");
    appendEntryWithoutTexture("ghost");
    // The stand-in keeps G16R16 as opaque bytes: such a texture is created, but its top level can be
    // neither filtered (same size: the level is copied, the filter fails) nor converted (a record
    // larger than the texture: the copy fails).
    for (int16_t recordSize : {int16_t{16}, int16_t{32}}) {
        TextureEntry opaque;
        opaque.name = "opaque" + std::to_string(recordSize);
        opaque.record.width = recordSize;
        opaque.record.height = recordSize;
        opaque.record.format = D3DFMT_G16R16;
        ASSERT_TRUE(SUCCEEDED(
            D3DXCreateTexture(m_device, 16, 16, 1, 0, D3DFMT_G16R16, D3DPOOL_MANAGED, opaque.texture.put())));
        m_archive->m_textures.push_back(std::move(opaque));
    }
    m_archive->setModified(false);
    LogCapture::instance().clear();
    std::vector<IDirect3DTexture9*> before;
    for (const TextureEntry& entry : m_archive->m_textures)
        before.push_back(entry.texture.get());

    EXPECT_FALSE(m_archive->generateMipMaps(4));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::generateMipMaps(1283) - Index supplied: 4 is outside the texture list "
                       "limits: 4");
    TestHooks::failNextTextureCreation();
    EXPECT_FALSE(m_archive->generateMipMaps(0));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::generateMipMaps(1301) - Failed to create texture for MipMap generation "
                       "on texture 0: grass");
    EXPECT_FALSE(m_archive->generateMipMaps(1));
    EXPECT_LOGGED(LOG_ERROR, "Failed to create texture for MipMap generation on texture 1: ghost");
    EXPECT_FALSE(m_archive->generateMipMaps(2));
    EXPECT_LOGGED(LOG_ERROR, "Failed to create texture for MipMap generation on texture 2: opaque16");
    EXPECT_FALSE(m_archive->generateMipMaps(3));
    EXPECT_LOGGED(LOG_ERROR, "Failed to create texture for MipMap generation on texture 3: opaque32");

    for (size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m_archive->m_textures[i].texture.get(), before[i]);
        EXPECT_EQ(m_archive->m_textures[i].record.mipLevelCount, 1);
        if (before[i]) {
            EXPECT_EQ(before[i]->GetLevelCount(), 1u);
        }
    }
    EXPECT_FALSE(m_archive->isModified());
    EXPECT_EQ(LogCapture::instance().count(LOG_INFORMATION), 0u);
}
