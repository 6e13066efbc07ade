// Writing and saving archives: the exact bytes written, round trips through the reader, and saves that
// fail or are refused without touching the file on disk.
#include "WTD/WTDFile.h"

#include "Common/STDFunctions/LittleEndian.h"
#include "Platform/Direct3D.h"
#include "Support/ArchiveBuilder.h"
#include "Support/FileSizeLimit.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr uint32_t MASK = 0x0FFFFFFF;

// An archive whose read-only flag a test can raise (nothing in the archive code sets it).
class TestArchive : public WTDFile
{
public:
    using WTDFile::WTDFile;
    void markReadOnly() { m_readOnly = true; }
};

struct Container
{
    uint32_t magic = 0;
    uint32_t resourceType = 0;
    uint32_t flags = 0;
    uint64_t virtualSize = 0;
    std::vector<uint8_t> body;
};

// The container at offset of a file's bytes, its body inflated to the declared sizes.
Container inflateContainer(const std::string& bytes, size_t offset = 0)
{
    Container container;
    EXPECT_GE(bytes.size(), offset + 12);
    if (bytes.size() < offset + 12)
        return container;
    const unsigned char* header = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    container.magic = LittleEndian::loadU32(header);
    container.resourceType = LittleEndian::loadU32(header + 4);
    container.flags = LittleEndian::loadU32(header + 8);
    container.virtualSize = RSCFile::decodeSegmentSize(container.flags & 0x7FFF);
    container.body.resize(container.virtualSize +
                          RSCFile::decodeSegmentSize((container.flags >> 15) & 0x7FFF));
    uLongf length = container.body.size();
    EXPECT_EQ(Z_OK, uncompress(container.body.data(), &length, header + 12, bytes.size() - offset - 12));
    EXPECT_EQ(container.body.size(), length);
    return container;
}

uint32_t u32At(const std::vector<uint8_t>& body, uint64_t offset)
{
    return LittleEndian::loadU32(body.data() + offset);
}

std::set<std::string> folderEntries()
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        names.insert(entry.path().filename().string());
    return names;
}

// The bytes of every level of a texture, as the archive holds them.
std::vector<uint8_t> levelBytes(const TextureEntry& entry)
{
    std::vector<uint8_t> bytes;
    for (uint32_t level = 0; level < entry.record.mipLevelCount; ++level) {
        const uint64_t size =
            WTDFile::getLevelSize(entry.record.format, entry.record.width, entry.record.height, level);
        const uint8_t* data = entry.texture->levelData(level);
        bytes.insert(bytes.end(), data, data + size);
    }
    return bytes;
}

// Records compare equal but for the pointers the writer lays out anew.
void expectSameRecord(const TextureTOCItem& expected, const TextureTOCItem& actual)
{
    TextureTOCItem a = expected;
    TextureTOCItem b = actual;
    for (TextureTOCItem* record : {&a, &b})
        record->namePointer = record->recordEndPointer = record->reserved44 = record->pixelDataPointer = 0;
    unsigned char first[80];
    unsigned char second[80];
    a.writeTo(first);
    b.writeTo(second);
    EXPECT_EQ(0, std::memcmp(first, second, 80));
}

// Saves the archive over its file in a child process that may write no file beyond limit bytes. True
// when the save failed with the one expected Error line and left the archive modified, under its path.
bool saveFailsUnderSizeLimit(WTDFile& file, rlim_t limit, const std::string& expectedLine)
{
    const std::string path = file.getPath();
    return passesUnderFileSizeLimit(limit, [&] {
        LogCapture::instance().clear();
        const bool saved = file.saveFile("", 0);
        const std::vector<LogCapture::Entry>& entries = LogCapture::instance().entries();
        const bool logged =
            entries.size() == 1 && entries[0].level == LOG_ERROR && entries[0].line == expectedLine;
        return !saved && logged && file.isModified() && file.getPath() == path;
    });
}

// The seven levels of a 64 x 16 texture, each of the given byte count, as recognisable patterns.
std::vector<std::vector<uint8_t>> levelPatterns(const std::vector<size_t>& sizes)
{
    std::vector<std::vector<uint8_t>> levels;
    for (size_t level = 0; level < sizes.size(); ++level)
        levels.push_back(ArchiveBuilder::pattern(sizes[level], static_cast<uint32_t>(level + 1)));
    return levels;
}

// Byte counts of the seven levels of a 64 x 16 texture: the whole pixel data of each level.
std::vector<size_t> fullLevelSizes(uint32_t bitsPerPixel)
{
    std::vector<size_t> sizes;
    for (uint32_t level = 0; level < 7; ++level)
        sizes.push_back((std::max(64u >> level, 1u) * bitsPerPixel + 7) / 8 * std::max(16u >> level, 1u));
    return sizes;
}

// Byte counts of the seven levels of a 64 x 16 texture by the archive's own size rule.
std::vector<size_t> storedLevelSizes(uint32_t format)
{
    std::vector<size_t> sizes;
    for (uint32_t level = 0; level < 7; ++level)
        sizes.push_back(static_cast<size_t>(WTDFile::getLevelSize(format, 64, 16, level)));
    return sizes;
}

class WTDFileWriteTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        LogCapture::instance().clear();
    }

    // Three textures of different formats and chain lengths, written by the test builder.
    void writeSampleArchive(const std::string& path)
    {
        ArchiveBuilder builder;
        builder.addTexture("grass", 64, 64, D3DFMT_DXT1, 7);
        builder.addTexture("Stone\\wall.dds", 32, 16, D3DFMT_DXT5, 6);
        builder.addTexture("sky", 128, 64, D3DFMT_DXT3, 1);
        builder.textures[1].record.reserved18 = 0x1234; // a field the program does not use survives
        ASSERT_TRUE(builder.writeTo(path));
    }

    // Writes a 64 x 16 texture of the format with the given levels back to back, opens it, saves it and
    // opens the save: every level of the last archive holds the bytes it was written with, as far as
    // its texture holds them.
    void expectLevelsSurviveASave(uint32_t format, const std::vector<std::vector<uint8_t>>& levels,
                                  const std::string& what)
    {
        ArchiveBuilder builder;
        ArchiveBuilder::Texture& texture =
            builder.addTexture("wide", 64, 16, format, static_cast<uint8_t>(levels.size()));
        texture.pixels.clear();
        for (const std::vector<uint8_t>& level : levels)
            texture.pixels.insert(texture.pixels.end(), level.begin(), level.end());
        ASSERT_TRUE(builder.writeTo("in.wtd")) << what;
        {
            WTDFile original("in.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
            ASSERT_FALSE(original.hasLoadFailed()) << what;
            ASSERT_TRUE(original.saveFile("out.wtd", 0)) << what;
        }
        WTDFile reread("out.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
        ASSERT_EQ(1u, reread.m_textures.size()) << what;
        const IDirect3DTexture9* held = reread.m_textures[0].texture.get();
        ASSERT_NE(nullptr, held) << what;
        ASSERT_EQ(levels.size(), held->GetLevelCount()) << what;
        for (UINT level = 0; level < levels.size(); ++level) {
            const size_t compared = std::min(levels[level].size(), held->levelSize(level));
            EXPECT_TRUE(
                std::equal(levels[level].begin(), levels[level].begin() + compared, held->levelData(level)))
                << what << " level " << level;
        }
    }

    // An archive of count 4 x 4 DXT1 textures with a single level each.
    static void addSmallTextures(WTDFile& file, int count)
    {
        for (int i = 0; i < count; ++i) {
            TextureEntry entry;
            entry.name = "t" + std::to_string(i);
            entry.record.width = 4;
            entry.record.height = 4;
            entry.record.format = D3DFMT_DXT1;
            ASSERT_EQ(D3D_OK, D3DXCreateTexture(nullptr, 4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED,
                                                entry.texture.put()));
            std::fill(entry.texture->levelData(0), entry.texture->levelData(0) + 8, static_cast<uint8_t>(i));
            file.m_textures.push_back(std::move(entry));
        }
    }
};
} // namespace

TEST_F(WTDFileWriteTest, EmptyArchiveIsTheHeaderInAPageOfFiller)
{
    WTDFile file;
    ASSERT_TRUE(file.saveFile("empty.wtd", 0));
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "WTDFile::saveFile(396) - Saved WTD File with 0 textures: empty.wtd");
    EXPECT_EQ("empty.wtd", file.getPath());
    EXPECT_FALSE(file.isModified());

    const std::string bytes = readFile("empty.wtd");
    const std::string header("\x52\x53\x43\x05\x08\x00\x00\x00\x10\x08\x00\xC0", 12);
    EXPECT_EQ(header, bytes.substr(0, 12));
    const Container container = inflateContainer(bytes);
    ASSERT_EQ(8192u, container.body.size());
    const uint8_t expected[36] = {0x84, 0x53, 0x69, 0x00, 0x20, 0x00, 0x00, 0x50, 0, 0, 0, 0,
                                  1,    0,    0,    0,    0x20, 0x02, 0x00, 0x50, 0, 0, 0, 0,
                                  0x20, 0x02, 0x00, 0x50, 0,    0,    0,    0,    0, 0, 0, 0};
    EXPECT_TRUE(std::equal(expected, expected + 36, container.body.begin()));
    EXPECT_TRUE(
        std::all_of(container.body.begin() + 36, container.body.end(), [](uint8_t b) { return b == 0xCD; }));
    // The stream is zlib's at level 9.
    uLongf length = compressBound(static_cast<uLong>(container.body.size()));
    std::vector<uint8_t> stream(length);
    ASSERT_EQ(Z_OK, compress2(stream.data(), &length, container.body.data(), container.body.size(), 9));
    EXPECT_EQ(std::string(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(length)),
              bytes.substr(12));
    EXPECT_EQ(0x05435352u, file.getMagic());
    EXPECT_EQ(8u, file.getResourceType());
    EXPECT_EQ(0xC0000810u, file.getFlags());
}

TEST_F(WTDFileWriteTest, ReadWriteReadKeepsEntriesAndPixelsAndRewritesTheSameBody)
{
    writeSampleArchive("in.wtd");
    WTDFile original("in.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    ASSERT_FALSE(original.hasLoadFailed());
    ASSERT_EQ(3u, original.m_textures.size());
    original.setModified(true);
    ASSERT_TRUE(original.saveFile("out.wtd", 0));
    EXPECT_FALSE(original.isModified());

    WTDFile reread("out.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    ASSERT_FALSE(reread.hasLoadFailed());
    ASSERT_EQ(original.m_textures.size(), reread.m_textures.size());
    for (size_t i = 0; i < reread.m_textures.size(); ++i) {
        // The save sorted the original by hash, so the two lists stand in the same order.
        const TextureEntry& a = original.m_textures[i];
        const TextureEntry& b = reread.m_textures[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.nameHash, b.nameHash);
        expectSameRecord(a.record, b.record);
        ASSERT_TRUE(b.texture.get());
        EXPECT_EQ(levelBytes(a), levelBytes(b)) << a.name;
        if (i > 0) {
            EXPECT_LT(reread.m_textures[i - 1].nameHash, b.nameHash);
        }
    }

    ASSERT_TRUE(reread.saveFile("again.wtd", 0));
    EXPECT_EQ(inflateContainer(readFile("out.wtd")).body, inflateContainer(readFile("again.wtd")).body);
    EXPECT_EQ(readFile("out.wtd"), readFile("again.wtd"));
}

// Formats wider than a byte a pixel are stored at their full size; DXT levels and the smallest levels of
// the narrower formats take what the archive's rule gives them. Codes the table does not know keep
// that rule.
TEST_F(WTDFileWriteTest, EveryFormatOfTheTableKeepsEveryStoredByteOfSevenLevels)
{
    UINT count = 0;
    const TextureFormatInfo* rows = TextureFormatTable::rows(&count);
    for (UINT i = 0; i < count; ++i) {
        const bool wide = rows[i].kind != FormatKind::Block && rows[i].bitsPerPixel > 8;
        if (wide) {
            EXPECT_EQ(fullLevelSizes(rows[i].bitsPerPixel), storedLevelSizes(rows[i].code)) << rows[i].name;
        }
        expectLevelsSurviveASave(rows[i].code, levelPatterns(storedLevelSizes(rows[i].code)), rows[i].name);
    }
    const uint32_t unknown = 0x12345678;
    EXPECT_EQ(fullLevelSizes(8)[0], storedLevelSizes(unknown)[0]);
    expectLevelsSurviveASave(unknown, levelPatterns(storedLevelSizes(unknown)), "unknown code");
}

// Depth, stencil and biased formats were once sized at a byte a pixel: only the first quarter or half
// of their pixels survived a load, and the next save wrote filler where the rest had been.
TEST_F(WTDFileWriteTest, DepthStencilAndBiasedFormatsKeepTheirFullLevels)
{
    const struct
    {
        uint32_t code;
        uint32_t bitsPerPixel;
    } formats[] = {{70, 16}, {71, 32}, {73, 16}, {75, 32}, {77, 32}, {79, 32},
                   {80, 16}, {82, 32}, {83, 32}, {84, 32}, {119, 32}};
    for (const auto& format : formats)
        expectLevelsSurviveASave(format.code, levelPatterns(fullLevelSizes(format.bitsPerPixel)),
                                 "format " + std::to_string(format.code));
}

TEST_F(WTDFileWriteTest, RecordsTablesAndNamesPointAtEachOther)
{
    writeSampleArchive("in.wtd");
    WTDFile file("in.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    ASSERT_TRUE(file.saveFile("", 0));
    const Container container = inflateContainer(readFile("in.wtd"));
    const std::vector<uint8_t>& body = container.body;
    ASSERT_EQ(3u, LittleEndian::loadU16(body.data() + 20));
    for (uint32_t at : {22u, 28u, 30u})
        EXPECT_EQ(3u, LittleEndian::loadU16(body.data() + at));
    const uint32_t hashes = u32At(body, 16);
    const uint32_t pointers = u32At(body, 24);
    EXPECT_EQ(file.getHeader().hashTableOffset, hashes);
    for (uint32_t i = 0; i < 3; ++i) {
        const TextureEntry& entry = file.m_textures[i];
        EXPECT_EQ(entry.nameHash, u32At(body, (hashes & MASK) + 4 * i));
        const uint32_t record = u32At(body, (pointers & MASK) + 4 * i);
        EXPECT_EQ(entry.recordOffset, record);
        EXPECT_EQ(5u, record >> 28);
        EXPECT_EQ(0x006B1D94u, u32At(body, record & MASK));
        EXPECT_EQ(i == 2 ? 0u : record + 80, u32At(body, (record & MASK) + 64));
        EXPECT_EQ(0u, u32At(body, (record & MASK) + 68));
        const uint32_t name = u32At(body, (record & MASK) + 20);
        EXPECT_EQ("pack:/" + entry.name,
                  std::string(reinterpret_cast<const char*>(body.data() + (name & MASK))));
        const uint32_t pixels = u32At(body, (record & MASK) + 72);
        EXPECT_EQ(6u, pixels >> 28);
        const std::vector<uint8_t> expected = levelBytes(entry);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                               body.begin() + container.virtualSize + (pixels & MASK)));
    }
}

TEST_F(WTDFileWriteTest, BlocksLargerThanTheReservedOneArePlacedAt32)
{
    WTDFile file;
    TextureEntry entry;
    entry.name = std::string(506, 'n'); // a name block of 513 bytes
    entry.record.mipLevelCount = 0;
    file.m_textures.push_back(std::move(entry));
    ASSERT_TRUE(file.saveFile("long.wtd", 0));
    std::vector<uint8_t> body = inflateContainer(readFile("long.wtd")).body;
    EXPECT_EQ(0x50000020u, file.m_textures[0].record.namePointer);
    EXPECT_EQ("pack:/" + file.m_textures[0].name,
              std::string(reinterpret_cast<const char*>(body.data() + 32)));

    WTDFile many;
    addSmallTextures(many, 129); // tables of 516 bytes
    ASSERT_TRUE(many.saveFile("many.wtd", 0));
    body = inflateContainer(readFile("many.wtd")).body;
    const uint32_t first =
        std::min(many.getHeader().hashTableOffset, many.getHeader().texturePointerTableOffset);
    EXPECT_EQ(0x50000020u, first);
    const uint32_t expected = first == many.getHeader().hashTableOffset ? many.m_textures[0].nameHash
                                                                        : many.m_textures[0].recordOffset;
    EXPECT_EQ(expected, u32At(body, 32)); // the table replaces the header's zero word

    WTDFile reread("many.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    ASSERT_EQ(129u, reread.m_textures.size());
    for (size_t i = 0; i < 129; ++i) {
        EXPECT_EQ(many.m_textures[i].name, reread.m_textures[i].name);
        EXPECT_EQ(levelBytes(many.m_textures[i]), levelBytes(reread.m_textures[i]));
    }
}

TEST_F(WTDFileWriteTest, LevelsAreCopiedOnlyAsFarAsTheTextureHoldsThem)
{
    WTDFile file;
    addSmallTextures(file, 2);
    file.m_textures[0].record.width = 64; // the record claims 2048 bytes; the texture holds 8
    file.m_textures[0].record.height = 64;
    file.m_textures[1].texture.reset(); // never created
    ASSERT_TRUE(file.saveFile("short.wtd", 0));
    const Container container = inflateContainer(readFile("short.wtd"));
    for (const TextureEntry& entry : file.m_textures) {
        const uint8_t* pixels =
            container.body.data() + container.virtualSize + (entry.record.pixelDataPointer & MASK);
        const size_t size = static_cast<size_t>(WTDFile::getPixelDataSize(entry.record));
        const size_t copied = entry.texture.get() ? 8 : 0;
        EXPECT_TRUE(std::all_of(pixels, pixels + copied, [](uint8_t b) { return b == 0; })) << entry.name;
        EXPECT_TRUE(std::all_of(pixels + copied, pixels + size, [](uint8_t b) { return b == 0xCD; }))
            << entry.name;
    }
}

TEST_F(WTDFileWriteTest, LevelsThatCannotBeLockedKeepTheFiller)
{
    WTDFile file;
    TextureEntry entry;
    entry.name = "locked";
    entry.record.width = 8;
    entry.record.height = 8;
    entry.record.format = D3DFMT_DXT1;
    entry.record.mipLevelCount = 2; // 32 and 8 bytes
    ASSERT_EQ(D3D_OK,
              D3DXCreateTexture(nullptr, 8, 8, 2, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, entry.texture.put()));
    std::fill(entry.texture->levelData(0), entry.texture->levelData(0) + 32, static_cast<uint8_t>(0x11));
    std::fill(entry.texture->levelData(1), entry.texture->levelData(1) + 8, static_cast<uint8_t>(0x22));
    file.m_textures.push_back(std::move(entry));
    IDirect3DTexture9* texture = file.m_textures[0].texture.get();
    D3DLOCKED_RECT held{};
    ASSERT_EQ(D3D_OK, texture->LockRect(0, &held, nullptr, 0)); // a second lock of level 0 fails

    ASSERT_TRUE(file.saveFile("locked.wtd", 0));
    texture->UnlockRect(0);
    const Container container = inflateContainer(readFile("locked.wtd"));
    const uint8_t* pixels =
        container.body.data() + container.virtualSize + (file.m_textures[0].record.pixelDataPointer & MASK);
    EXPECT_TRUE(std::all_of(pixels, pixels + 32, [](uint8_t b) { return b == 0xCD; }));
    EXPECT_TRUE(std::all_of(pixels + 32, pixels + 40, [](uint8_t b) { return b == 0x22; }));
}

TEST_F(WTDFileWriteTest, ContainerInsideALargerFileKeepsTheBytesBeforeIt)
{
    writeSampleArchive("in.wtd");
    const std::string prefix(100, 'P');
    writeFile("packed.bin", prefix + readFile("in.wtd"));
    WTDFile file("packed.bin", nullptr, WTDFile::WHOLE_FILE, 100);
    ASSERT_EQ(3u, file.m_textures.size());
    ASSERT_TRUE(file.saveFile("", 0));
    std::string bytes = readFile("packed.bin");
    EXPECT_EQ(prefix, bytes.substr(0, 100));
    EXPECT_EQ(3u, LittleEndian::loadU16(inflateContainer(bytes, 100).body.data() + 20));

    // Another path with offset 0 takes the stored offset; the archive is that file from then on.
    ASSERT_TRUE(file.saveFile("moved.bin", 0));
    EXPECT_EQ("moved.bin", file.getPath());
    EXPECT_EQ(100u, file.getFileOffset());
    bytes = readFile("moved.bin");
    EXPECT_EQ(std::string(100, '\0'), bytes.substr(0, 100));
    WTDFile reread("moved.bin", nullptr, WTDFile::WHOLE_FILE, 100);
    EXPECT_EQ(3u, reread.m_textures.size());
}

TEST_F(WTDFileWriteTest, SaveKeepsPermissionBitsAndSymbolicLinks)
{
    writeSampleArchive("in.wtd");
    ASSERT_EQ(0, chmod("in.wtd", 0640));
    ASSERT_EQ(0, symlink("in.wtd", "link.wtd"));
    WTDFile file("link.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    const std::string before = readFile("in.wtd");
    ASSERT_TRUE(file.saveFile("", 0));
    struct stat status;
    ASSERT_EQ(0, lstat("link.wtd", &status));
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    ASSERT_EQ(0, stat("in.wtd", &status));
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_NE(before, readFile("in.wtd"));
    EXPECT_EQ((std::set<std::string>{"in.wtd", "link.wtd"}), folderEntries());
}

TEST_F(WTDFileWriteTest, RefusedSavesLeaveTheFileAsItWas)
{
    writeSampleArchive("in.wtd");
    const std::string before = readFile("in.wtd");
    TestArchive file("in.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    file.setModified(true);
    LogCapture::instance().clear();

    ASSERT_EQ(0, chmod("in.wtd", 0444)); // root ignores the bits, the save must not
    EXPECT_FALSE(file.saveFile("", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::saveFile(383) - Save canceled, stream not open: in.wtd");
    ASSERT_EQ(0, chmod("in.wtd", 0644));

    ASSERT_EQ(0, mkdir("locked", 0555));
    EXPECT_FALSE(file.saveFile("locked/copy.wtd", 0));
    EXPECT_LOGGED(LOG_ERROR, "Save canceled, stream not open: locked/copy.wtd");
    EXPECT_FALSE(file.saveFile("missing/copy.wtd", 0));
    EXPECT_LOGGED(LOG_ERROR, "Save canceled, stream not open: missing/copy.wtd");
    EXPECT_FALSE(file.saveFile("locked", 0)); // a folder
    EXPECT_LOGGED(LOG_ERROR, "Save canceled, stream not open: locked");

    WTDFile unnamed; // a new archive saved without a path
    EXPECT_FALSE(unnamed.saveFile("", 0));
    EXPECT_LOGGED(LOG_ERROR, "Save canceled, stream not open: ");

    file.markReadOnly();
    EXPECT_FALSE(file.saveFile("", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::saveFile(376) - Save canceled, file is read only, use "
                                  "\"turnOffReadOnly()\" to set file attributes");

    EXPECT_TRUE(file.isModified());
    EXPECT_EQ("in.wtd", file.getPath());
    EXPECT_EQ(before, readFile("in.wtd"));
    EXPECT_EQ((std::set<std::string>{"in.wtd", "locked"}), folderEntries());
    EXPECT_NOTHING_LOGGED(LOG_INFORMATION);
}

TEST_F(WTDFileWriteTest, ArchiveWhoseLoadFailedIsNotSaved)
{
    writeFile("broken.wtd", "RSC\x05 but nothing after it");
    WTDFile file("broken.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    ASSERT_TRUE(file.hasLoadFailed());
    LogCapture::instance().clear();
    EXPECT_FALSE(file.saveFile("", 0));
    EXPECT_FALSE(file.saveFile("copy.wtd", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::saveFile(379) - Save canceled, file failed to load: broken.wtd");
    EXPECT_EQ("RSC\x05 but nothing after it", readFile("broken.wtd"));
    EXPECT_EQ((std::set<std::string>{"broken.wtd"}), folderEntries());
}

TEST_F(WTDFileWriteTest, LayoutsThatCannotBeDescribedNeverOpenTheFile)
{
    writeFile("target.wtd", "keep me");
    WTDFile file;
    TextureEntry huge;
    huge.name = "huge";
    huge.record.width = 8192; // 256 MiB of A8B8G8R8: beyond the largest page
    huge.record.height = 8192;
    file.m_textures.push_back(std::move(huge));
    file.setModified(true);
    EXPECT_FALSE(file.saveFile("target.wtd", 0));
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "WTDFile::writeFile(446) - Save canceled, the archive is too large to describe: target.wtd");

    WTDFile crowded;
    crowded.m_textures.resize(32768);
    EXPECT_FALSE(crowded.saveFile("target.wtd", 0));
    EXPECT_LOGGED_LINE(LOG_ERROR,
                       "WTDFile::writeFile(445) - Save canceled, 32768 textures are more than an archive "
                       "can hold (32767): target.wtd");

    EXPECT_TRUE(file.isModified());
    EXPECT_EQ("", file.getPath());
    EXPECT_EQ("keep me", readFile("target.wtd"));
    EXPECT_EQ((std::set<std::string>{"target.wtd"}), folderEntries());
}

TEST_F(WTDFileWriteTest, WriteThatFailsHalfWayLeavesTheOriginalByteForByte)
{
    ArchiveBuilder builder;
    builder.addTexture("noise", 256, 256, D3DFMT_DXT5, 1); // patterned bytes: far more than the limit
    ASSERT_TRUE(builder.writeTo("in.wtd"));
    const std::string before = readFile("in.wtd");
    WTDFile file("in.wtd", nullptr, WTDFile::WHOLE_FILE, 0);
    ASSERT_EQ(1u, file.m_textures.size());
    file.setModified(true);

    // No file may grow beyond 4096 bytes: the temporary copy fails in the middle of the body.
    EXPECT_TRUE(saveFailsUnderSizeLimit(
        file, 4096, "WTDFile::writeFile(479) - Failed to write the RSC file data for file: in.wtd"))
        << "the failed save did not report itself as the test expects";
    EXPECT_EQ(before, readFile("in.wtd"));
    EXPECT_EQ((std::set<std::string>{"in.wtd"}), folderEntries());
}

TEST_F(WTDFileWriteTest, FailedCopyOfTheBytesBeforeTheContainerLeavesTheFile)
{
    ArchiveBuilder builder;
    builder.addTexture("inner", 4, 4, D3DFMT_DXT1, 1);
    const std::vector<uint8_t> archive = builder.build();
    writeFile("packed.bin", std::string(8192, 'P') + std::string(archive.begin(), archive.end()));
    const std::string before = readFile("packed.bin");
    WTDFile file("packed.bin", nullptr, WTDFile::WHOLE_FILE, 8192);
    ASSERT_EQ(1u, file.m_textures.size());
    file.setModified(true);

    // The 8192 bytes before the container cannot all be copied when no file may exceed 4096 bytes.
    EXPECT_TRUE(saveFailsUnderSizeLimit(
        file, 4096, "WTDFile::writeFile(479) - Failed to write the RSC file data for file: packed.bin"));
    EXPECT_EQ(before, readFile("packed.bin"));
    EXPECT_EQ((std::set<std::string>{"packed.bin"}), folderEntries());
}

TEST_F(WTDFileWriteTest, WriteFileOnAStreamWritesHeaderAndBodyAtItsPosition)
{
    WTDFile file;
    std::ostream closed(nullptr); // no file behind it
    EXPECT_FALSE(file.writeFile(closed));
    EXPECT_LOGGED(LOG_ERROR, "File stream is not open, unable to write RSC file header");
    EXPECT_LOGGED_LINE(LOG_ERROR, "WTDFile::writeFile(484) - Failed to write the RSC file header for file: ");

    writeFile("stream.bin", "");
    std::fstream stream("stream.bin", std::ios::in | std::ios::out | std::ios::binary);
    stream.write("abcd", 4);
    ASSERT_TRUE(file.writeFile(stream));
    stream.close();
    const std::string bytes = readFile("stream.bin");
    EXPECT_EQ("abcd", bytes.substr(0, 4));
    EXPECT_EQ(8192u, inflateContainer(bytes, 4).body.size());
}
