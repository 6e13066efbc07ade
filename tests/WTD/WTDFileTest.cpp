#include "WTD/WTDFile.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Direct3D.h"
#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"
#include "Support/TestDevice.h"
#include "Support/TestHooks.h"
#include "WTD/BlockOffsetIndex.h"
#include "WTD/BlockTableItem.h"
#include "WTD/NameHash.h"

namespace
{
const uint32_t DXT1 = 0x31545844;
const uint32_t DXT5 = 0x35545844;
const uint32_t A8R8G8B8 = 21;
const uint32_t L8 = 50;

std::string bytesOf(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The bytes a texture level holds, read through a lock as every user of the texture does.
std::vector<uint8_t> levelBytes(IDirect3DTexture9* texture, UINT level)
{
    D3DSURFACE_DESC description;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->GetLevelDesc(level, &description)) ||
        FAILED(texture->LockRect(level, &locked, nullptr, 0)))
        return {};
    const uint64_t size =
        TextureFormatTable::levelSize(description.Format, description.Width, description.Height);
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    std::vector<uint8_t> bytes(bits, bits + size);
    texture->UnlockRect(level);
    return bytes;
}

// The slices of a record's pixel bytes, level by level, with the sizes the stored levels take.
std::vector<std::vector<uint8_t>> storedLevels(const ArchiveBuilder::Texture& texture)
{
    std::vector<std::vector<uint8_t>> levels;
    size_t offset = 0;
    for (uint32_t level = 0; level < texture.record.mipLevelCount; ++level) {
        const size_t size = static_cast<size_t>(
            WTDFile::getLevelSize(texture.record.format, texture.record.width, texture.record.height, level));
        levels.emplace_back(texture.pixels.begin() + offset, texture.pixels.begin() + offset + size);
        offset += size;
    }
    return levels;
}

class WTDFileTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestHooks::reset();
        ASSERT_TRUE(m_testDevice.create());
        m_device = m_testDevice.get();
    }

    void TearDown() override
    {
        m_file.reset();
        m_testDevice.release();
        TestHooks::reset();
        TempDirTest::TearDown();
    }

    WTDFile& open(const ArchiveBuilder& builder, const std::string& path = "archive.wtd")
    {
        EXPECT_TRUE(builder.writeTo(path));
        return openPath(path);
    }

    WTDFile& openPath(const std::string& path)
    {
        LogCapture::instance().clear();
        m_file.reset();
        m_file = std::make_unique<WTDFile>(path, m_device, WTDFile::WHOLE_FILE, 0);
        return *m_file;
    }

    // Every level of the entry's texture holds the stored bytes of the texture.
    void expectPixels(const TextureEntry& entry, const ArchiveBuilder::Texture& stored)
    {
        ASSERT_NE(nullptr, entry.texture.get());
        const std::vector<std::vector<uint8_t>> levels = storedLevels(stored);
        for (UINT level = 0; level < levels.size(); ++level) {
            std::vector<uint8_t> held = levelBytes(entry.texture.get(), level);
            ASSERT_GE(held.size(), levels[level].size()) << "level " << level;
            held.resize(levels[level].size());
            EXPECT_EQ(levels[level], held) << "level " << level;
        }
    }

    TestDevice m_testDevice;
    IDirect3DDevice9* m_device = nullptr;
    std::unique_ptr<WTDFile> m_file;
};

// ---- Loading ----

TEST_F(WTDFileTest, LoadsRecordsNamesHashesAndPixels)
{
    ArchiveBuilder builder;
    builder.addTexture("grass", 8, 8, DXT1, 3);
    builder.addTexture("rock.dds", 16, 8, DXT5, 4).record.stride = 16;
    builder.addTexture("sky", 4, 4, A8R8G8B8, 3).nameHash = 0x12345678;
    WTDFile& file = open(builder);

    ASSERT_FALSE(file.hasLoadFailed());
    ASSERT_EQ(3u, file.m_textures.size());
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "WTDFile::WTDFile(34) - Loaded WTD File with 3 textures: archive.wtd");
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
    EXPECT_NOTHING_LOGGED(LOG_WARNING);
    EXPECT_EQ("grass", file.m_textures[0].name);
    EXPECT_EQ("rock.dds", file.m_textures[1].name);
    EXPECT_EQ(0x12345678u, file.m_textures[2].nameHash);
    EXPECT_EQ(16, file.m_textures[1].record.width);
    EXPECT_EQ(8, file.m_textures[1].record.height);
    EXPECT_EQ(DXT5, file.m_textures[1].record.format);
    EXPECT_EQ(4u, file.m_textures[1].record.mipLevelCount);
    EXPECT_EQ(16u, file.m_textures[1].record.stride);
    for (size_t i = 0; i < 3; ++i)
        expectPixels(file.m_textures[i], builder.textures[i]);
    // Pointers are kept as body offsets: tags removed, the pixel pointer counted from the body's start.
    EXPECT_EQ(32u + 24u, file.m_textures[0].recordOffset);
    EXPECT_EQ(32u + 24u + 240u, file.m_textures[0].record.namePointer);
    EXPECT_EQ(file.getVirtualSize(), file.m_textures[0].record.pixelDataPointer);
    EXPECT_EQ(32u + 24u + 80u, file.m_textures[0].record.recordEndPointer);
    EXPECT_EQ(0x20u, file.getHeader().headerEndOffset);
    EXPECT_EQ(32u, file.getHeader().hashTableOffset);
    EXPECT_FALSE(file.isModified());
}

struct Tags
{
    uint32_t virtualTag;
    uint32_t physicalTag;
};

class WTDFileTagTest : public WTDFileTest, public ::testing::WithParamInterface<Tags>
{
};

TEST_P(WTDFileTagTest, PointersReadAlikeWhateverTheirTag)
{
    ArchiveBuilder builder;
    builder.virtualTag = GetParam().virtualTag;
    builder.physicalTag = GetParam().physicalTag;
    builder.addTexture("a", 8, 8, DXT1, 2);
    builder.addTexture("b", 4, 4, L8, 3);
    WTDFile& file = open(builder);
    ASSERT_EQ(2u, file.m_textures.size());
    EXPECT_EQ("b", file.m_textures[1].name);
    expectPixels(file.m_textures[0], builder.textures[0]);
    expectPixels(file.m_textures[1], builder.textures[1]);
}

INSTANTIATE_TEST_SUITE_P(Tags, WTDFileTagTest,
                         ::testing::Values(Tags{5, 6}, Tags{0, 0}, Tags{6, 5}, Tags{5, 5}, Tags{0xF, 0x1}));

TEST_F(WTDFileTest, EmptyDictionaryLoadsWithoutEntries)
{
    WTDFile& file = open(ArchiveBuilder());
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_TRUE(file.m_textures.empty());
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 0 textures: archive.wtd");
}

TEST_F(WTDFileTest, FailSafeCountWinsWhenItsTwoWordsAgree)
{
    ArchiveBuilder builder;
    for (int i = 0; i < 7; ++i)
        builder.addTexture("t" + std::to_string(i), 4, 4, DXT1, 1);
    builder.header.textureCount = 5;
    builder.header.failSafeCount = 7;
    builder.header.failSafeCheck = 7;
    EXPECT_EQ(7u, open(builder).m_textures.size());
    EXPECT_LOGGED_LINE(LOG_WARNING,
                       "WTDFile::loadWTDHeader(159) - Texture count 5 does not match the fail safe "
                       "values 7, fail safe will be used");
    EXPECT_EQ("t6", m_file->m_textures[6].name);

    builder.header.failSafeCheck = 8;
    EXPECT_EQ(5u, open(builder).m_textures.size());
    EXPECT_NOTHING_LOGGED(LOG_WARNING);

    builder.header.failSafeCount = 5;
    builder.header.failSafeCheck = 5;
    EXPECT_EQ(5u, open(builder).m_textures.size());
    EXPECT_NOTHING_LOGGED(LOG_WARNING);
}

TEST_F(WTDFileTest, CountsFromHalfTheRangeUpMeanNoTextures)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    for (uint16_t count : {uint16_t(0x8000), uint16_t(0xFFFF), uint16_t(0)}) {
        builder.header.textureCount = count;
        WTDFile& file = open(builder);
        EXPECT_FALSE(file.hasLoadFailed());
        EXPECT_TRUE(file.m_textures.empty());
    }
}

TEST_F(WTDFileTest, NamesKeepFiftyEightCharactersAndLoseTheirPrefix)
{
    ArchiveBuilder builder;
    const std::string seventy(70, 'n');
    builder.addTexture(seventy, 4, 4, DXT1, 1);
    builder.addTexture("noprefix", 4, 4, DXT1, 1).prefix = "";
    builder.addTexture("abc", 4, 4, DXT1, 1).prefix = "";
    builder.addTexture("dir\\x", 4, 4, DXT1, 1).prefix = "other:";
    WTDFile& file = open(builder);
    EXPECT_EQ(seventy.substr(0, 58), file.m_textures[0].name);
    EXPECT_EQ("ix", file.m_textures[1].name);
    EXPECT_EQ("", file.m_textures[2].name);
    EXPECT_EQ("dir\\x", file.m_textures[3].name);
    // Cut by the length limit, as names are: no warning.
    EXPECT_NOTHING_LOGGED(LOG_WARNING);
}

TEST_F(WTDFileTest, WrongRecordTypeKeepsANewEntry)
{
    ArchiveBuilder builder;
    builder.addTexture("bad", 8, 8, DXT1, 2).record.itemType = 0xFFFFFFFE;
    builder.addTexture("good", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::loadTOC(271) - Not a valid texture TOC item: -2");
    ASSERT_EQ(2u, file.m_textures.size());
    const TextureEntry& bad = file.m_textures[0];
    EXPECT_EQ("", bad.name);
    EXPECT_EQ(0, bad.record.width);
    EXPECT_EQ(0, bad.record.height);
    EXPECT_EQ(1u, bad.record.mipLevelCount);
    EXPECT_EQ(0u, bad.record.pixelDataPointer);
    EXPECT_NE(nullptr, bad.texture.get());
    expectPixels(file.m_textures[1], builder.textures[1]);
}

TEST_F(WTDFileTest, NonNormalTextureIsReportedAndLoaded)
{
    ArchiveBuilder builder;
    builder.addTexture("odd", 4, 4, DXT1, 1).record.textureKind = 3;
    WTDFile& file = open(builder);
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::loadTOC(242) - OMG Ponies we found a non normal texture: archive.wtd");
    EXPECT_EQ(3u, file.m_textures[0].record.textureKind);
    expectPixels(file.m_textures[0], builder.textures[0]);
}

TEST_F(WTDFileTest, TextureThatCannotBeCreatedStaysWithoutTexture)
{
    ArchiveBuilder builder;
    builder.addTexture("first", 4, 4, DXT1, 1);
    builder.addTexture("second", 4, 4, DXT5, 1);
    builder.writeTo("archive.wtd");
    TestHooks::failNextTextureCreation(static_cast<D3DFORMAT>(DXT5));
    WTDFile& file = openPath("archive.wtd");
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::loadTextures(331) - Failed to create texture 1: second");
    ASSERT_EQ(2u, file.m_textures.size());
    EXPECT_EQ(nullptr, file.m_textures[1].texture.get());
    expectPixels(file.m_textures[0], builder.textures[0]);
}

TEST_F(WTDFileTest, ZeroLevelsMakeAFullChainWithNothingCopied)
{
    ArchiveBuilder builder;
    builder.addTexture("none", 8, 8, DXT1, 0);
    WTDFile& file = open(builder);
    ASSERT_NE(nullptr, file.m_textures[0].texture.get());
    EXPECT_EQ(4u, file.m_textures[0].texture->GetLevelCount());
    EXPECT_EQ(std::vector<uint8_t>(32, 0), levelBytes(file.m_textures[0].texture.get(), 0));
}

TEST_F(WTDFileTest, WideFormatsAreStoredAtFullSize)
{
    ArchiveBuilder builder;
    ArchiveBuilder::Texture& texture = builder.addTexture("wide", 4, 2, A8R8G8B8, 3);
    EXPECT_EQ((4 * 2 + 2 * 1 + 1 * 1) * 4u, texture.pixels.size());
    WTDFile& file = open(builder);
    expectPixels(file.m_textures[0], builder.textures[0]);
    EXPECT_EQ(levelBytes(file.m_textures[0].texture.get(), 2),
              std::vector<uint8_t>(texture.pixels.end() - 4, texture.pixels.end()));
}

TEST_F(WTDFileTest, ContainerAtAnOffsetOfALargerFile)
{
    ArchiveBuilder builder;
    builder.addTexture("inner", 4, 4, DXT1, 1);
    const std::vector<uint8_t> archive = builder.build();
    writeFile("packed.bin", std::string(100, 'x') + bytesOf(archive) + std::string(50, 'y'));
    WTDFile file("packed.bin", m_device, static_cast<uint32_t>(archive.size()), 100);
    EXPECT_FALSE(file.hasLoadFailed());
    ASSERT_EQ(1u, file.m_textures.size());
    EXPECT_EQ(100u, file.getFileOffset());
    EXPECT_EQ(archive.size(), file.getFileSize());
    expectPixels(file.m_textures[0], builder.textures[0]);
}

TEST_F(WTDFileTest, EmptyArchiveHasNothing)
{
    WTDFile file;
    EXPECT_TRUE(file.m_textures.empty());
    EXPECT_EQ("", file.getPath());
    EXPECT_EQ(nullptr, file.getDevice());
    EXPECT_EQ(0u, file.getFileSize());
    EXPECT_EQ(0x00695384u, file.getHeader().magic);
    EXPECT_EQ(0x20u, file.getHeader().headerEndOffset);
    EXPECT_EQ(1u, file.getHeader().reservedB);
    EXPECT_FALSE(file.hasLoadFailed());
}

TEST_F(WTDFileTest, DestroyingTheArchiveReleasesEveryTextureOnce)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    builder.addTexture("b", 8, 8, DXT5, 2);
    WTDFile& file = open(builder);
    std::vector<IDirect3DTexture9*> textures;
    for (const TextureEntry& entry : file.m_textures) {
        ASSERT_NE(nullptr, entry.texture.get());
        entry.texture->AddRef();
        textures.push_back(entry.texture.get());
    }
    m_file.reset();
    for (IDirect3DTexture9* texture : textures)
        EXPECT_EQ(0u, texture->Release());
}

// ---- Refused files ----

TEST_F(WTDFileTest, MissingPathIsRefused)
{
    WTDFile& file = openPath("missing.wtd");
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::WTDFile(43) - Load file canceled, supplied path is invalid: missing.wtd");
    EXPECT_NOTHING_LOGGED(LOG_INFORMATION);
}

TEST_F(WTDFileTest, FolderIsNotAnArchive)
{
    ASSERT_EQ(0, system("mkdir folder.wtd"));
    WTDFile& file = openPath("folder.wtd");
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_LOGGED_LINE(
        LOG_ERROR, "WTDFile::WTDFile(38) - Load file canceled, stream to file failed to open: folder.wtd");
}

TEST_F(WTDFileTest, DeviceIsNotAnArchive)
{
    WTDFile& file = openPath("/dev/null");
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_LOGGED(LOG_ERROR, "Load file canceled, stream to file failed to open: /dev/null");
}

TEST_F(WTDFileTest, PercentInAPathIsShownVerbatim)
{
    ArchiveBuilder().writeTo("100%d %s.wtd");
    openPath("100%d %s.wtd");
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 0 textures: 100%d %s.wtd");
}

TEST_F(WTDFileTest, WrongContainerMagicLogsInOrder)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    builder.container.magic = 0x06435352;
    WTDFile& file = open(builder);
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_TRUE(file.m_textures.empty());
    const std::vector<LogCapture::Entry>& entries = LogCapture::instance().entries();
    ASSERT_EQ(3u, entries.size()) << LogCapture::instance().describe();
    EXPECT_EQ("RSCFile::readRSCFileHeader(45) - Not a valid RSC file, magic number was: 105075538",
              entries[0].line);
    EXPECT_EQ("WTDFile::loadFile(118) - Unable to load WTD File, invalid RSC file header", entries[1].line);
    EXPECT_EQ("WTDFile::WTDFile(34) - Loaded WTD File with 0 textures: archive.wtd", entries[2].line);
}

TEST_F(WTDFileTest, WrongDictionaryMagicFailsTheLoad)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    builder.header.magic = 0x00695385;
    WTDFile& file = open(builder);
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_TRUE(file.m_textures.empty());
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::loadWTDHeader(176) - Not a valid WTD file, magic number was: 6902661");
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::loadFile(104) - Unable to load WTD File, invalid header");
}

TEST_F(WTDFileTest, UnreadableBodyFailsTheLoad)
{
    ArchiveBuilder builder;
    builder.container.truncateStreamBy = 4;
    WTDFile& file = open(builder);
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_TRUE(file.m_textures.empty());
    const std::vector<LogCapture::Entry>& entries = LogCapture::instance().entries();
    ASSERT_EQ(3u, entries.size()) << LogCapture::instance().describe();
    // Only the checksum is cut off, the body itself fills its buffer: zlib's one-call inflation calls
    // that a buffer error.
    EXPECT_EQ("RSCFile::readRSCFileData(125) - Decompression of file data failed, zlib error: Z Buffer error",
              entries[0].line);
    EXPECT_EQ("WTDFile::loadFile(112) - Unable to load WTD File, unable to load file data", entries[1].line);
    EXPECT_EQ("WTDFile::WTDFile(34) - Loaded WTD File with 0 textures: archive.wtd", entries[2].line);
}

// ---- Corruption: files that lie ----

TEST_F(WTDFileTest, BodyShorterThanTheHeaderFailsTheLoad)
{
    // Both segments declared empty: the body has no room for the 32-byte header.
    ArchiveBuilder builder;
    builder.container.flags = 0xC0000000;
    builder.container.stream = std::vector<uint8_t>{0x78, 0xDA, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    WTDFile& file = open(builder);
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "is shorter than the 32-byte header");
    EXPECT_LOGGED(LOG_ERROR, "Unable to load WTD File, invalid header");
}

TEST_F(WTDFileTest, TablesOutsideTheBodyFailTheLoad)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    builder.header.hashTableOffset = 0x5FFFFFF0;
    EXPECT_TRUE(open(builder).hasLoadFailed());
    EXPECT_TRUE(m_file->m_textures.empty());
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "lie outside the body");
    EXPECT_LOGGED(LOG_ERROR, "Unable to load WTD File, invalid header");

    // The pointer table starts inside the body, but its 4 bytes do not end there.
    builder.header.hashTableOffset.reset();
    uint32_t virtualSize = 0;
    uint32_t physicalSize = 0;
    builder.buildBody(virtualSize, physicalSize);
    const uint64_t bodySize = ArchiveBuilder::codeSize(ArchiveBuilder::sizeCode(virtualSize)) +
                              ArchiveBuilder::codeSize(ArchiveBuilder::sizeCode(physicalSize));
    builder.header.texturePointerTableOffset = 0x50000000 | static_cast<uint32_t>(bodySize - 2);
    EXPECT_TRUE(open(builder).hasLoadFailed());
    EXPECT_TRUE(m_file->m_textures.empty());
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::loadWTDHeader(176) - Not a valid WTD file, the tables of 1 textures at 32 "
                       "and " +
                           std::to_string(bodySize - 2) + " lie outside the body of " +
                           std::to_string(bodySize) + " bytes");

    builder.header.texturePointerTableOffset.reset();
    builder.header.textureCount = 0x7FFF; // tables far longer than the body
    EXPECT_TRUE(open(builder).hasLoadFailed());
    EXPECT_TRUE(m_file->m_textures.empty());
    // A count that a header lies about is not trusted for the loaded message either.
    EXPECT_LOGGED(LOG_INFORMATION, "Loaded WTD File with 0 textures: archive.wtd");
}

TEST_F(WTDFileTest, RecordOutsideTheBodyKeepsANewEntry)
{
    ArchiveBuilder builder;
    builder.addTexture("far", 4, 4, DXT1, 1).recordPointer = 0x50FFFFF0;
    builder.addTexture("near", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_LOGGED_CONTAINS(LOG_ERROR,
                           "Not a valid texture TOC item, the record at 16777200 lies outside the body");
    ASSERT_EQ(2u, file.m_textures.size());
    EXPECT_EQ(0, file.m_textures[0].record.width);
    EXPECT_EQ("", file.m_textures[0].name);
    EXPECT_EQ("near", file.m_textures[1].name);
}

TEST_F(WTDFileTest, RecordRunningPastTheBodyEndIsNotRead)
{
    ArchiveBuilder builder;
    builder.addTexture("edge", 4, 4, DXT1, 1);
    const std::vector<uint8_t> archive = builder.build();
    uint32_t virtualSize = 0;
    uint32_t physicalSize = 0;
    builder.buildBody(virtualSize, physicalSize);
    const uint64_t bodySize = ArchiveBuilder::codeSize(ArchiveBuilder::sizeCode(virtualSize)) +
                              ArchiveBuilder::codeSize(ArchiveBuilder::sizeCode(physicalSize));
    builder.textures[0].recordPointer = static_cast<uint32_t>(bodySize - 40);
    WTDFile& file = open(builder);
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "lies outside the body");
    EXPECT_EQ(0, file.m_textures[0].record.width);
}

TEST_F(WTDFileTest, NamePointersPastTheEndGiveEmptyNames)
{
    ArchiveBuilder builder;
    builder.addTexture("kept", 4, 4, DXT1, 1);
    builder.addTexture("lost", 4, 4, DXT1, 1).namePointer = 0x5FFFFFFF;
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_EQ("kept", file.m_textures[0].name);
    EXPECT_EQ("", file.m_textures[1].name);
    EXPECT_LOGGED_LINE(LOG_WARNING,
                       "WTDFile::readTextureNames(296) - The name of texture 1 runs past the end "
                       "of the file data and is cut short: ");
    EXPECT_EQ(1u, LogCapture::instance().count(LOG_WARNING));
    expectPixels(file.m_textures[1], builder.textures[1]);
}

TEST_F(WTDFileTest, NameWithoutNulStopsAtTheEndOfTheBody)
{
    // The body's last bytes are a name with no NUL: reading stops at the end of the body.
    ArchiveBuilder builder;
    builder.addTexture("x", 4, 4, DXT1, 0);
    uint32_t virtualSize = 0;
    uint32_t physicalSize = 0;
    std::vector<uint8_t> body = builder.buildBody(virtualSize, physicalSize);
    body.resize(256, 'q');
    const std::string tail = "pack:/tail";
    std::memcpy(body.data() + 256 - tail.size(), tail.data(), tail.size());
    // The record's name pointer is at record offset 20; the record follows the two 4-byte tables.
    const size_t record = 32 + 8;
    const uint32_t namePointer = 0x50000000 | static_cast<uint32_t>(256 - tail.size());
    std::memcpy(body.data() + record + 20, &namePointer, 4);
    ArchiveBuilder::Container container;
    writeFile("archive.wtd", bytesOf(ArchiveBuilder::makeContainer(body, 0xC0000001, container)));
    WTDFile& file = openPath("archive.wtd");
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_EQ("tail", file.m_textures[0].name);
    EXPECT_LOGGED_LINE(LOG_WARNING,
                       "WTDFile::readTextureNames(296) - The name of texture 0 runs past the end "
                       "of the file data and is cut short: tail");
}

TEST_F(WTDFileTest, PixelsPastTheEndAreLeftZeroWithAWarning)
{
    ArchiveBuilder builder;
    builder.addTexture("cut", 16, 16, DXT1, 1); // 128 bytes, of which the body holds 16
    builder.addTexture("gone", 4, 4, DXT1, 1).pixelPointer = 0x6FFFFFFF;
    uint32_t virtualSize = 0;
    uint32_t physicalSize = 0;
    builder.buildBody(virtualSize, physicalSize);
    builder.textures[0].pixelPointer = 0x60000000 | (256 - 16);
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_LOGGED_LINE(LOG_WARNING,
                       "WTDFile::loadTextures(331) - Pixel data of 1 mip levels of texture 0 runs past "
                       "the end of the file data, the missing part is left black: cut");
    EXPECT_LOGGED_CONTAINS(LOG_WARNING, "texture 1 runs past the end of the file data");
    const std::vector<uint8_t> first = levelBytes(file.m_textures[0].texture.get(), 0);
    ASSERT_EQ(128u, first.size());
    // The physical segment of 256 bytes: its last 16 bytes are the start of the pixels, the rest is zero.
    EXPECT_EQ(std::vector<uint8_t>(112, 0), std::vector<uint8_t>(first.begin() + 16, first.end()));
    EXPECT_EQ(std::vector<uint8_t>(8, 0), levelBytes(file.m_textures[1].texture.get(), 0));
}

TEST_F(WTDFileTest, NegativeDimensionsCreateNoTexture)
{
    ArchiveBuilder builder;
    ArchiveBuilder::Texture& texture = builder.addTexture("neg", -4, 4, DXT1, 1);
    EXPECT_TRUE(texture.pixels.empty());
    builder.addTexture("ok", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_LOGGED(LOG_ERROR, "Failed to create texture 0: neg");
    EXPECT_EQ(nullptr, file.m_textures[0].texture.get());
    expectPixels(file.m_textures[1], builder.textures[1]);
}

TEST_F(WTDFileTest, TwoHundredFiftyFiveLevelsLoadWhatTheTextureHolds)
{
    ArchiveBuilder builder;
    ArchiveBuilder::Texture& texture = builder.addTexture("deep", 16, 16, DXT1, 255);
    EXPECT_EQ(128u + 32u + 8u + 2u, texture.pixels.size());
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    ASSERT_NE(nullptr, file.m_textures[0].texture.get());
    EXPECT_EQ(5u, file.m_textures[0].texture->GetLevelCount());
    EXPECT_LOGGED_CONTAINS(LOG_ERROR, "Unable to lock 250 of 255 mip levels of texture 0");
    EXPECT_EQ(std::vector<uint8_t>(texture.pixels.begin(), texture.pixels.begin() + 128),
              levelBytes(file.m_textures[0].texture.get(), 0));
}

TEST_F(WTDFileTest, RecordsClaimingMoreThanTheArchiveHoldsAreNotCreated)
{
    // Twenty 1024 x 1024 32-bit textures (4 MiB each) with no pixel data behind them: a small file
    // may not take more texture memory than its body and a fixed allowance.
    ArchiveBuilder builder;
    for (int i = 0; i < 20; ++i)
        builder.addTexture("big" + std::to_string(i), 1024, 1024, A8R8G8B8, 1).pixels.clear();
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    ASSERT_EQ(20u, file.m_textures.size());
    size_t created = 0;
    for (const TextureEntry& entry : file.m_textures)
        created += entry.texture.get() ? 1 : 0;
    EXPECT_EQ(16u, created);
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::loadTextures(331) - Failed to create texture 19, it needs more memory "
                       "than the archive can fill: big19");
}

TEST_F(WTDFileTest, DeclaredBodyFarBeyondTheStreamIsRefused)
{
    ArchiveBuilder builder;
    builder.container.flags = 0xC0000000 | 0x7FFF | (0x7FFFu << 15);
    WTDFile& file = open(builder);
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_LOGGED(LOG_ERROR, "Decompression of file data failed, zlib error: Z Memory Error");
}

TEST_F(WTDFileTest, StreamLongerThanTheDeclaredBodyIsRefused)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 64, 64, DXT1, 1);
    builder.container.flags = 0xC0000001;
    EXPECT_TRUE(open(builder).hasLoadFailed());
    EXPECT_LOGGED(LOG_ERROR, "Decompression of file data failed, zlib error: Z Buffer error");
}

TEST_F(WTDFileTest, BytesAfterTheStreamAreIgnored)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    builder.container.trailingBytes = ArchiveBuilder::pattern(300, 1);
    WTDFile& file = open(builder);
    EXPECT_FALSE(file.hasLoadFailed());
    expectPixels(file.m_textures[0], builder.textures[0]);
}

TEST_F(WTDFileTest, TinyFilesFailCleanly)
{
    for (const std::string& bytes : {std::string(), std::string("R"), std::string("RSC\x05", 4),
                                     std::string("RSC\x05\x08\x00\x00\x00\x01\x00\x00\x00\x78", 13)}) {
        writeFile("tiny.wtd", bytes);
        WTDFile& file = openPath("tiny.wtd");
        EXPECT_TRUE(file.hasLoadFailed()) << bytes.size();
        EXPECT_TRUE(file.m_textures.empty());
    }
}

// ---- Reloading ----

TEST_F(WTDFileTest, ReloadReadsTheFileAsItNowStands)
{
    ArchiveBuilder small;
    small.addTexture("one", 4, 4, DXT1, 1);
    WTDFile& file = open(small);
    file.setModified(true);

    // The file grows: the length measured at the first load would cut the new stream.
    ArchiveBuilder large;
    large.addTexture("two", 64, 64, DXT5, 3);
    large.addTexture("three", 32, 32, DXT1, 2);
    ASSERT_GT(large.build().size(), small.build().size());
    large.writeTo("archive.wtd");
    LogCapture::instance().clear();
    EXPECT_TRUE(file.reloadFile());
    EXPECT_FALSE(file.hasLoadFailed());
    ASSERT_EQ(2u, file.m_textures.size());
    EXPECT_EQ("three", file.m_textures[1].name);
    expectPixels(file.m_textures[0], large.textures[0]);
    EXPECT_TRUE(file.isModified());
    EXPECT_LOGGED_LINE(LOG_INFORMATION,
                       "WTDFile::reloadFile(1028) - RELoaded WTD File with 2 textures: archive.wtd");
}

TEST_F(WTDFileTest, ReloadAfterASaveThatGrewTheFile)
{
    ArchiveBuilder builder;
    builder.addTexture("small", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    const uint32_t lengthBefore = file.getFileSize();

    // Grow the archive in memory and save it over itself: the file is now longer than at the load.
    TextureEntry grown;
    grown.name = "grown";
    grown.record.width = 256;
    grown.record.height = 256;
    grown.record.format = DXT5;
    grown.record.mipLevelCount = 9;
    ASSERT_TRUE(SUCCEEDED(D3DXCreateTexture(m_device, 256, 256, 9, 0, static_cast<D3DFORMAT>(DXT5),
                                            D3DPOOL_MANAGED, grown.texture.put())));
    const std::vector<uint8_t> pixels = ArchiveBuilder::pattern(65536, 42);
    D3DLOCKED_RECT locked;
    ASSERT_TRUE(SUCCEEDED(grown.texture->LockRect(0, &locked, nullptr, 0)));
    std::memcpy(locked.pBits, pixels.data(), pixels.size());
    grown.texture->UnlockRect(0);
    file.m_textures.push_back(std::move(grown));
    ASSERT_TRUE(file.saveFile("", 0));

    EXPECT_TRUE(file.reloadFile());
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_GT(file.getFileSize(), lengthBefore);
    ASSERT_EQ(2u, file.m_textures.size());
    for (const TextureEntry& entry : file.m_textures) {
        if (entry.name != "grown")
            continue;
        EXPECT_EQ(9u, entry.record.mipLevelCount);
        EXPECT_EQ(pixels, levelBytes(entry.texture.get(), 0));
    }
}

TEST_F(WTDFileTest, ReloadOfADeletedFileKeepsEverything)
{
    ArchiveBuilder builder;
    builder.addTexture("kept", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    ASSERT_EQ(0, std::remove("archive.wtd"));
    EXPECT_FALSE(file.reloadFile());
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "WTDFile::reloadFile(1038) - RELoad of file canceled, supplied path is invalid: archive.wtd");
    ASSERT_EQ(1u, file.m_textures.size());
    expectPixels(file.m_textures[0], builder.textures[0]);
    EXPECT_FALSE(file.hasLoadFailed());
}

TEST_F(WTDFileTest, ReloadOfAFolderKeepsEverything)
{
    ArchiveBuilder builder;
    builder.addTexture("kept", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    ASSERT_EQ(0, std::remove("archive.wtd"));
    ASSERT_EQ(0, system("mkdir archive.wtd"));
    EXPECT_FALSE(file.reloadFile());
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "WTDFile::reloadFile(1032) - RELoad of file canceled, stream to file failed to open: archive.wtd");
    EXPECT_EQ(1u, file.m_textures.size());
}

TEST_F(WTDFileTest, FailedReloadIsReportedAndLeavesNoTextures)
{
    ArchiveBuilder builder;
    builder.addTexture("a", 4, 4, DXT1, 1);
    builder.addTexture("b", 4, 4, DXT1, 1);
    WTDFile& file = open(builder);
    IDirect3DTexture9* old = file.m_textures[0].texture.get();
    old->AddRef();
    writeFile("archive.wtd", "not an archive at all");
    LogCapture::instance().clear();
    EXPECT_FALSE(file.reloadFile());
    EXPECT_EQ(0u, old->Release()) << "the reload released the old textures";
    EXPECT_TRUE(file.hasLoadFailed());
    EXPECT_TRUE(file.m_textures.empty());
    // The dictionary header was never reached: the message names the count of the previous load.
    const std::vector<LogCapture::Entry>& entries = LogCapture::instance().entries();
    ASSERT_EQ(3u, entries.size()) << LogCapture::instance().describe();
    EXPECT_EQ("RSCFile::readRSCFileHeader(45) - Not a valid RSC file, magic number was: 544501614",
              entries[0].line);
    EXPECT_EQ("WTDFile::loadFile(118) - Unable to load WTD File, invalid RSC file header", entries[1].line);
    EXPECT_EQ("WTDFile::reloadFile(1028) - RELoaded WTD File with 2 textures: archive.wtd", entries[2].line);

    // A good file again clears the failure.
    builder.writeTo("archive.wtd");
    EXPECT_TRUE(file.reloadFile());
    EXPECT_FALSE(file.hasLoadFailed());
    EXPECT_EQ(2u, file.m_textures.size());
}

// ---- Shared helpers ----

TEST(WTDFileLevelTest, LevelSizesFollowTheFormat)
{
    const std::vector<uint64_t> dxt1 = {32768, 8192, 2048, 512, 128, 32, 8, 2, 0};
    const std::vector<uint64_t> dxt5 = {65536, 16384, 4096, 1024, 256, 64, 16, 4, 1};
    for (uint32_t level = 0; level < 9; ++level) {
        EXPECT_EQ(dxt1[level], WTDFile::getLevelSize(DXT1, 256, 256, level)) << level;
        EXPECT_EQ(dxt5[level], WTDFile::getLevelSize(DXT5, 256, 256, level)) << level;
    }
    EXPECT_EQ(8u, WTDFile::getLevelSize(DXT1, 4, 4, 0));
    EXPECT_EQ(2u, WTDFile::getLevelSize(DXT1, 4, 4, 1));
    EXPECT_EQ(0u, WTDFile::getLevelSize(DXT1, 4, 4, 2));
    EXPECT_EQ(64u * 32u, WTDFile::getLevelSize(L8, 64, 32, 0));
    EXPECT_EQ(64u * 32u / 16u, WTDFile::getLevelSize(L8, 64, 32, 2));
}

TEST(WTDFileLevelTest, WideFormatsKeepEveryPixel)
{
    EXPECT_EQ(256u * 256u * 4u, WTDFile::getLevelSize(32, 256, 256, 0));
    EXPECT_EQ(128u * 128u * 4u, WTDFile::getLevelSize(A8R8G8B8, 256, 256, 1));
    EXPECT_EQ(4u, WTDFile::getLevelSize(A8R8G8B8, 256, 256, 8));
    EXPECT_EQ(4u, WTDFile::getLevelSize(A8R8G8B8, 256, 256, 12));
    EXPECT_EQ(2u * 1u * 2u, WTDFile::getLevelSize(23 /* R5G6B5 */, 4, 2, 1));
    EXPECT_EQ(4u * 2u * 3u, WTDFile::getLevelSize(20 /* R8G8B8 */, 4, 2, 0));
}

TEST(WTDFileLevelTest, DegenerateLevelsTakeNothing)
{
    EXPECT_EQ(0u, WTDFile::getLevelSize(DXT5, 0, 256, 0));
    EXPECT_EQ(0u, WTDFile::getLevelSize(DXT5, -256, 256, 0));
    EXPECT_EQ(0u, WTDFile::getLevelSize(A8R8G8B8, 16, -1, 0));
    EXPECT_EQ(0u, WTDFile::getLevelSize(DXT1, 32767, 32767, 31));
    EXPECT_EQ(0u, WTDFile::getLevelSize(DXT5, 32767, 32767, 32));
    EXPECT_EQ(0u, WTDFile::getLevelSize(A8R8G8B8, 32767, 32767, 63));
    EXPECT_EQ(0u, WTDFile::getLevelSize(DXT5, 32767, 32767, 254));
    // The largest record is computed without wrapping.
    EXPECT_EQ(32767ull * 32767ull * 4ull, WTDFile::getLevelSize(A8R8G8B8, 32767, 32767, 0));
}

TEST(WTDFileLevelTest, PixelDataSizeSumsTheLevels)
{
    TextureTOCItem record;
    record.width = 256;
    record.height = 256;
    record.format = DXT1;
    record.mipLevelCount = 9;
    EXPECT_EQ(43690u, WTDFile::getPixelDataSize(record));
    record.mipLevelCount = 0;
    EXPECT_EQ(0u, WTDFile::getPixelDataSize(record));
}

TEST(WTDFileLevelTest, CountMipLevels)
{
    EXPECT_EQ(9, WTDFile::countMipLevels(256, 256));
    EXPECT_EQ(9, WTDFile::countMipLevels(256, 16));
    EXPECT_EQ(9, WTDFile::countMipLevels(256, 32));
    EXPECT_EQ(10, WTDFile::countMipLevels(512, 8));
    EXPECT_EQ(10, WTDFile::countMipLevels(512, 128));
    EXPECT_EQ(1, WTDFile::countMipLevels(1, 1));
    EXPECT_EQ(0, WTDFile::countMipLevels(0, 0));
    EXPECT_EQ(7, WTDFile::countMipLevels(100, 1));
    EXPECT_EQ(0, WTDFile::countMipLevels(-256, -1));
    EXPECT_EQ(3, WTDFile::countMipLevels(-256, 4));
    EXPECT_EQ(15, WTDFile::countMipLevels(32767, 1));
}

TEST(WTDFileLevelTest, FindBlockOffsetAndValidIndex)
{
    int owners[2] = {0, 0};
    const BlockTableItem items[3] = {
        {0x50000020, 512, nullptr}, {0x50000220, 4, &owners[0]}, {0x50000230, 4, &owners[0]}};
    const BlockOffsetIndex blocks(items, 3);
    EXPECT_EQ(0x50000220u, WTDFile::findBlockOffset(&owners[0], blocks));
    EXPECT_EQ(0u, WTDFile::findBlockOffset(&owners[1], blocks));
    EXPECT_EQ(0u, WTDFile::findBlockOffset(nullptr, blocks));
    EXPECT_EQ(0u, WTDFile::findBlockOffset(&owners[0], BlockOffsetIndex(items, 0)));
    EXPECT_EQ(0u, WTDFile::findBlockOffset(&owners[0], BlockOffsetIndex(items, -1)));
    EXPECT_EQ(0u, WTDFile::findBlockOffset(&owners[0], BlockOffsetIndex(nullptr, 3)));

    const std::vector<TextureEntry> entries(2);
    EXPECT_TRUE(WTDFile::isValidIndex(entries, 1));
    EXPECT_FALSE(WTDFile::isValidIndex(entries, 2));
    EXPECT_FALSE(WTDFile::isValidIndex({}, 0));
}

// ---- Ordering ----

class WTDFileSortTest : public ::testing::Test
{
protected:
    void add(const std::string& name, uint32_t format = DXT1, int16_t width = 4, int16_t height = 4)
    {
        TextureEntry entry;
        entry.name = name;
        entry.record.format = format;
        entry.record.width = width;
        entry.record.height = height;
        m_file.m_textures.push_back(std::move(entry));
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const TextureEntry& entry : m_file.m_textures)
            result.push_back(entry.name);
        return result;
    }

    WTDFile m_file;
};

TEST_F(WTDFileSortTest, ByNameHashRecomputesAndOrdersAscending)
{
    add("b");
    add("abc");
    add("a");
    m_file.m_textures[0].nameHash = 1;
    m_file.sortByNameHash();
    // hash(b) = 0x00DB819B < hash(a) = 0xCA2E9442 < hash(abc) = 0xED131F5B
    EXPECT_EQ((std::vector<std::string>{"b", "a", "abc"}), names());
    EXPECT_EQ(0x00DB819Bu, m_file.m_textures[0].nameHash);
    EXPECT_EQ(0xCA2E9442u, m_file.m_textures[1].nameHash);
    EXPECT_EQ(0xED131F5Bu, m_file.m_textures[2].nameHash);
    EXPECT_FALSE(m_file.isModified());
}

TEST_F(WTDFileSortTest, ByNameHashKeepsTheOrderOfEqualHashes)
{
    add("grass.dds");
    add("x");
    add("GRASS");
    add("grass.png");
    add("dir\\grass");
    m_file.sortByNameHash();
    // Every grass name hashes as "grass": case, folder and extension do not count.
    EXPECT_EQ(m_file.m_textures[0].nameHash, m_file.m_textures[1].nameHash);
    const auto hashOf = [&](const std::string& name) {
        for (const TextureEntry& entry : m_file.m_textures)
            if (entry.name == name)
                return entry.nameHash;
        return 0u;
    };
    EXPECT_EQ(hashOf("grass.dds"), hashOf("grass.png"));
    EXPECT_EQ(hashOf("grass.dds"), hashOf("dir\\grass"));
    EXPECT_NE(hashOf("grass.dds"), hashOf("x"));
    std::vector<std::string> grass;
    for (const TextureEntry& entry : m_file.m_textures)
        if (entry.name != "x")
            grass.push_back(entry.name);
    EXPECT_EQ((std::vector<std::string>{"grass.dds", "GRASS", "grass.png", "dir\\grass"}), grass);
}

TEST_F(WTDFileSortTest, ByNameHashCutsTheFolderAtBackslashesOnly)
{
    // Stored hashes take the name's last backslash-separated part: a slash belongs to the name.
    add("dir/grass.dds");
    add("a\\b\\c.dds");
    m_file.sortByNameHash();
    NameHash* hash = NameHash::getInstance();
    for (const TextureEntry& entry : m_file.m_textures) {
        if (entry.name == "dir/grass.dds")
            EXPECT_EQ(hash->hashName("dir/grass"), entry.nameHash);
        else
            EXPECT_EQ(hash->hashName("c"), entry.nameHash);
    }
    NameHash::release();
}

TEST_F(WTDFileSortTest, ByNameIsByteWise)
{
    add("grass");
    add("gra");
    add("Grass");
    add("\xE9t\xE9");
    m_file.sortTextures(0, true);
    EXPECT_EQ((std::vector<std::string>{"Grass", "gra", "grass", "\xE9t\xE9"}), names());
    EXPECT_TRUE(m_file.isModified());
    m_file.sortTextures(0, false);
    EXPECT_EQ((std::vector<std::string>{"\xE9t\xE9", "grass", "gra", "Grass"}), names());
}

TEST_F(WTDFileSortTest, ByFormatWidthAndHeightDescending)
{
    add("dxt1", DXT1, 8, 64);
    add("argb", A8R8G8B8, 256, 2);
    add("dxt5", DXT5, 16, 16);
    add("high", 0x80000000u, 1, 1);
    m_file.sortTextures(1, true);
    EXPECT_EQ((std::vector<std::string>{"dxt5", "dxt1", "argb", "high"}), names());
    m_file.sortTextures(2, true);
    EXPECT_EQ((std::vector<std::string>{"argb", "dxt5", "dxt1", "high"}), names());
    m_file.sortTextures(3, true);
    EXPECT_EQ((std::vector<std::string>{"dxt1", "dxt5", "argb", "high"}), names());
    m_file.sortTextures(3, false);
    EXPECT_EQ((std::vector<std::string>{"high", "argb", "dxt5", "dxt1"}), names());
}

TEST_F(WTDFileSortTest, UnknownColumnOnlyReversesOrMarks)
{
    add("b");
    add("a");
    add("c");
    m_file.sortTextures(7, true);
    EXPECT_EQ((std::vector<std::string>{"b", "a", "c"}), names());
    EXPECT_TRUE(m_file.isModified());
    m_file.setModified(false);
    m_file.sortTextures(7, false);
    EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), names());
    EXPECT_TRUE(m_file.isModified());
}

TEST_F(WTDFileSortTest, EqualNamesAreBothKept)
{
    add("same", DXT1);
    add("same", DXT5);
    m_file.sortTextures(0, true);
    EXPECT_EQ(2u, m_file.m_textures.size());
    EXPECT_EQ((std::vector<std::string>{"same", "same"}), names());
}
} // namespace

namespace
{
// Regenerates the fuzzer's seed archives (run with --gtest_also_run_disabled_tests; the seeds are
// committed, so this only runs when the builder or the format changes).
TEST(WTDFileFuzzSeeds, DISABLED_WriteSeeds)
{
    const std::string folder = std::string(VARNEL_SOURCE_DIR) + "/fuzz/seeds/WTDLoader/";
    const auto write = [&](const std::string& name, const ArchiveBuilder& builder) {
        EXPECT_TRUE(builder.writeTo(folder + name)) << name;
    };
    write("empty.wtd", ArchiveBuilder());

    ArchiveBuilder mixed;
    mixed.addTexture("grass.dds", 8, 8, DXT1, 4);
    mixed.addTexture("rock", 8, 4, DXT5, 2);
    mixed.addTexture("sky", 4, 4, A8R8G8B8, 3);
    mixed.addTexture("mask", 4, 4, L8, 1);
    write("mixed.wtd", mixed);

    ArchiveBuilder untagged = mixed;
    untagged.virtualTag = 0;
    untagged.physicalTag = 0;
    write("untagged.wtd", untagged);

    ArchiveBuilder failSafe = mixed;
    failSafe.header.textureCount = 2;
    failSafe.header.failSafeCount = 4;
    failSafe.header.failSafeCheck = 4;
    write("failsafe.wtd", failSafe);

    ArchiveBuilder oddRecords = mixed;
    oddRecords.textures[0].record.itemType = 7;
    oddRecords.textures[1].record.textureKind = 1;
    oddRecords.textures[2].record.mipLevelCount = 0;
    oddRecords.textures[3].prefix = "";
    write("odd-records.wtd", oddRecords);

    ArchiveBuilder truncated = mixed;
    truncated.container.truncateStreamBy = 10;
    write("truncated.wtd", truncated);
}
} // namespace
