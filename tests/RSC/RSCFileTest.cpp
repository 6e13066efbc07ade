#include "RSC/RSCFile.h"

#include <zlib.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Support/ArchiveBuilder.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"

namespace
{
const char* const DATA_ERROR = "Decompression of file data failed, zlib error: Z Data Error";
const char* const MEMORY_ERROR = "Decompression of file data failed, zlib error: Z Memory Error";

std::string bytesOf(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> compress(const std::vector<uint8_t>& body)
{
    uLongf length = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> stream(length);
    compress2(stream.data(), &length, body.data(), static_cast<uLong>(body.size()), 9);
    stream.resize(length);
    return stream;
}

// A container whose stream is the given one (or the compressed body) and whose flags are given.
std::vector<uint8_t> container(uint32_t flags, const std::vector<uint8_t>& stream)
{
    ArchiveBuilder::Container settings;
    settings.stream = stream;
    return ArchiveBuilder::makeContainer({}, flags, settings);
}

class RSCFileTest : public TempDirTest
{
protected:
    // Writes the bytes, opens them and reads header and body as the archive loader does.
    bool readContainer(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& body)
    {
        writeFile("container.wtd", bytesOf(bytes));
        std::fstream stream("container.wtd", std::ios::in | std::ios::binary);
        if (!m_file.readRSCFileHeader(stream))
            return false;
        std::unique_ptr<unsigned char[]> data;
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        const bool read = m_file.readRSCFileData(stream, data, size);
        EXPECT_EQ(read, data != nullptr);
        if (data)
            body.assign(data.get(), data.get() + m_file.getTotalSize());
        return read;
    }

    bool readHeader(const std::string& bytes)
    {
        writeFile("header.bin", bytes);
        std::fstream stream("header.bin", std::ios::in | std::ios::binary);
        return m_file.readRSCFileHeader(stream);
    }

    RSCFile m_file;
};

TEST_F(RSCFileTest, NewContainerHoldsZeroes)
{
    EXPECT_EQ(0u, m_file.getMagic());
    EXPECT_EQ(0u, m_file.getResourceType());
    EXPECT_EQ(0u, m_file.getFlags());
    EXPECT_EQ(0u, m_file.getFileSize());
    EXPECT_EQ(0u, m_file.getTotalSize());
}

TEST_F(RSCFileTest, HeaderDecodesSegmentSizes)
{
    // virtual: count 1 shift 0 (256 bytes); physical: count 2047 shift 4 (2047 << 12); any type word.
    const uint32_t flags = 0x0001 | ((2047u | (4u << 11)) << 15);
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x07\x00\x00\x00", 8) +
                           std::string(reinterpret_cast<const char*>(&flags), 4)));
    EXPECT_EQ(0x05435352u, m_file.getMagic());
    EXPECT_EQ(7u, m_file.getResourceType());
    EXPECT_EQ(flags, m_file.getFlags());
    EXPECT_EQ(256u, m_file.getVirtualSize());
    EXPECT_EQ(8384512u, m_file.getPhysicalSize());
    EXPECT_EQ(256u + 8384512u, m_file.getTotalSize());
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(RSCFileTest, FlagBitsThirtyAndThirtyOneAreIgnored)
{
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\x00\x00\x00\xC0", 12)));
    EXPECT_EQ(0u, m_file.getTotalSize());
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\x01\x08\x00\x00", 12)));
    const uint64_t withoutBits = m_file.getTotalSize();
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\x01\x08\x00\xC0", 12)));
    EXPECT_EQ(withoutBits, m_file.getTotalSize());
    EXPECT_EQ(512u, withoutBits);
}

TEST_F(RSCFileTest, SegmentsBeyondThirtyTwoBitsAreNotWrapped)
{
    // count 2047, shift 15 in both segments: 2047 << 23 bytes each.
    EXPECT_EQ(2047ull << 23, RSCFile::decodeSegmentSize(0x7FFF));
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\xFF\xFF\xFF\x3F", 12)));
    EXPECT_GT(m_file.getTotalSize(), 0xFFFFFFFFull);
}

TEST_F(RSCFileTest, WrongMagicIsRefusedWithTheSignedWord)
{
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\x01\x00\x00\x00", 12)));
    ASSERT_FALSE(readHeader(std::string("RSC\xF6\x08\x00\x00\x00\x01\x00\x00\x00", 12)));
    EXPECT_LOGGED(LOG_ERROR, "Not a valid RSC file, magic number was: -163359918");
    EXPECT_EQ(0u, m_file.getMagic());
    // Type, flags and sizes keep the earlier header's values.
    EXPECT_EQ(8u, m_file.getResourceType());
    EXPECT_EQ(1u, m_file.getFlags());
    EXPECT_EQ(256u, m_file.getTotalSize());
}

TEST_F(RSCFileTest, HeaderCutShortReadsAsZeroes)
{
    EXPECT_FALSE(readHeader("RS"));
    EXPECT_LOGGED(LOG_ERROR, "Not a valid RSC file, magic number was: 21330");
    LogCapture::instance().clear();
    // The magic alone decides; the missing words read as zero rather than keeping old values.
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\x01\x00\x00\x00", 12)));
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x03\x00", 6)));
    EXPECT_EQ(3u, m_file.getResourceType());
    EXPECT_EQ(0u, m_file.getFlags());
    EXPECT_EQ(0u, m_file.getTotalSize());
}

TEST_F(RSCFileTest, ClosedStreamIsRefused)
{
    std::fstream stream;
    EXPECT_FALSE(m_file.readRSCFileHeader(stream));
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "RSCFile::readRSCFileHeader(52) - File stream is not open, unable to read RSC file header");
}

TEST_F(RSCFileTest, BodyInflatesToTheDeclaredSize)
{
    const std::vector<uint8_t> body = ArchiveBuilder::pattern(512, 3);
    std::vector<uint8_t> read;
    ASSERT_TRUE(readContainer(container(0xC0000002, compress(body)), read));
    EXPECT_EQ(body, read);
}

TEST_F(RSCFileTest, ShortStreamLeavesTheTailZero)
{
    std::vector<uint8_t> expected = ArchiveBuilder::pattern(100, 4);
    std::vector<uint8_t> read;
    ASSERT_TRUE(readContainer(container(0xC0000001, compress(expected)), read));
    expected.resize(256, 0);
    EXPECT_EQ(expected, read);
}

TEST_F(RSCFileTest, BytesAfterTheStreamAreIgnored)
{
    const std::vector<uint8_t> body = ArchiveBuilder::pattern(256, 5);
    std::vector<uint8_t> stream = compress(body);
    stream.insert(stream.end(), 40, 0xAB);
    std::vector<uint8_t> read;
    ASSERT_TRUE(readContainer(container(0xC0000001, stream), read));
    EXPECT_EQ(body, read);
}

TEST_F(RSCFileTest, EmptyStreamIsADataError)
{
    std::vector<uint8_t> read;
    EXPECT_FALSE(readContainer(container(0xC0000001, {}), read));
    EXPECT_LOGGED_LINE(LOG_ERROR, std::string("RSCFile::readRSCFileData(125) - ") + DATA_ERROR);
    EXPECT_FALSE(readContainer(container(0xC0000000, {}), read));
}

TEST_F(RSCFileTest, ContainerShorterThanItsHeaderIsADataError)
{
    ASSERT_TRUE(readHeader(std::string("RSC\x05\x08\x00\x00\x00\x01\x00\x00\x00", 12)));
    std::fstream stream("header.bin", std::ios::in | std::ios::binary);
    std::unique_ptr<unsigned char[]> body = std::make_unique<unsigned char[]>(1);
    EXPECT_FALSE(m_file.readRSCFileData(stream, body, 11));
    EXPECT_EQ(nullptr, body);
    EXPECT_LOGGED(LOG_ERROR, DATA_ERROR);
}

TEST_F(RSCFileTest, TruncatedStreamIsADataError)
{
    std::vector<uint8_t> stream = compress(ArchiveBuilder::pattern(512, 6));
    stream.resize(stream.size() / 2);
    std::vector<uint8_t> read;
    EXPECT_FALSE(readContainer(container(0xC0000002, stream), read));
    EXPECT_LOGGED(LOG_ERROR, DATA_ERROR);

    // Without its checksum the stream gives what zlib's one-call inflation gives: a buffer error when
    // the body filled its buffer, a data error when room was left.
    stream = compress(ArchiveBuilder::pattern(512, 6));
    stream.resize(stream.size() - 4);
    LogCapture::instance().clear();
    EXPECT_FALSE(readContainer(container(0xC0000002, stream), read));
    EXPECT_LOGGED(LOG_ERROR, "Decompression of file data failed, zlib error: Z Buffer error");
    LogCapture::instance().clear();
    EXPECT_FALSE(readContainer(container(0xC0000003, stream), read));
    EXPECT_LOGGED(LOG_ERROR, DATA_ERROR);
}

TEST_F(RSCFileTest, StreamLongerThanTheBodyIsABufferError)
{
    std::vector<uint8_t> read;
    EXPECT_FALSE(readContainer(container(0xC0000001, compress(ArchiveBuilder::pattern(300, 7))), read));
    EXPECT_LOGGED(LOG_ERROR, "Decompression of file data failed, zlib error: Z Buffer error");
}

TEST_F(RSCFileTest, GarbageStreamIsADataError)
{
    std::vector<uint8_t> read;
    EXPECT_FALSE(readContainer(container(0xC0000001, ArchiveBuilder::pattern(64, 8)), read));
    EXPECT_LOGGED(LOG_ERROR, DATA_ERROR);
    // A valid zlib header followed by a corrupt deflate stream.
    std::vector<uint8_t> stream = compress(ArchiveBuilder::pattern(256, 8));
    for (size_t i = 2; i < stream.size(); ++i)
        stream[i] ^= 0xA5;
    LogCapture::instance().clear();
    EXPECT_FALSE(readContainer(container(0xC0000001, stream), read));
    EXPECT_LOGGED(LOG_ERROR, DATA_ERROR);
}

TEST_F(RSCFileTest, DeclaredSizeFarBeyondTheStreamIsRefusedBeforeAllocating)
{
    // One byte of stream cannot inflate to 2047 << 19 bytes (about 1 GB).
    std::vector<uint8_t> read;
    EXPECT_FALSE(readContainer(container(0xC0000000 | 0x7FFF, {0x78}), read));
    EXPECT_LOGGED(LOG_ERROR, MEMORY_ERROR);
}

TEST_F(RSCFileTest, TotalBeyondThirtyTwoBitsIsAMemoryError)
{
    std::vector<uint8_t> read;
    EXPECT_FALSE(readContainer(container(0xFFFFFFFF, compress(ArchiveBuilder::pattern(16, 9))), read));
    EXPECT_LOGGED(LOG_ERROR, MEMORY_ERROR);
}
} // namespace
