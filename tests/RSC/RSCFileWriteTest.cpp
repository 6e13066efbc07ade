// Writing the container: the header words in file order, the body as given, and the zlib result texts.
#include "RSC/RSCFile.h"

#include "Support/FileSizeLimit.h"
#include "Support/LogCapture.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// A container whose header words a test can set.
class TestContainer : public RSCFile
{
public:
    void setWords(uint32_t magic, uint32_t resourceType, uint32_t flags)
    {
        m_magic = magic;
        m_resourceType = resourceType;
        m_flags = flags;
    }
};

class RSCFileWriteTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        LogCapture::instance().clear();
    }
};
} // namespace

TEST_F(RSCFileWriteTest, HeaderAndDataAreWrittenAtTheStreamPosition)
{
    TestContainer container;
    container.setWords(0x05435352, 8, 0xC0000810);
    writeFile("out.bin", "xy");
    std::fstream stream("out.bin", std::ios::in | std::ios::out | std::ios::binary);
    stream.seekp(2);
    ASSERT_TRUE(container.writeRSCFileHeader(stream));
    const uint32_t length = 3;
    ASSERT_TRUE(container.writeRSCFileData(stream, "abc", length));
    stream.close();
    EXPECT_EQ(std::string("xyRSC\x05\x08\x00\x00\x00\x10\x08\x00\xC0"
                          "abc",
                          17),
              readFile("out.bin"));
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(RSCFileWriteTest, ClosedStreamWritesNothing)
{
    TestContainer container;
    std::ostream closed(nullptr); // no file behind it
    EXPECT_FALSE(container.writeRSCFileHeader(closed));
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "RSCFile::writeRSCFileHeader(74) - File stream is not open, unable to write RSC file header");
    LogCapture::instance().clear();
    const uint32_t length = 3;
    EXPECT_FALSE(container.writeRSCFileData(closed, "abc", length));
    EXPECT_NOTHING_LOGGED(LOG_ERROR);
}

TEST_F(RSCFileWriteTest, WriteThatDoesNotReachTheFileIsReported)
{
    // A child limited to 100 bytes per file: the data write fails although the stream is open.
    EXPECT_TRUE(passesUnderFileSizeLimit(100, [] {
        TestContainer container;
        std::fstream stream("limited.bin", std::ios::out | std::ios::binary);
        const std::string data(100000, 'd');
        const uint32_t length = static_cast<uint32_t>(data.size());
        const bool header = container.writeRSCFileHeader(stream);
        const bool body = container.writeRSCFileData(stream, data.data(), length);
        return header && !body;
    }));
}

TEST_F(RSCFileWriteTest, ZlibResultTexts)
{
    EXPECT_EQ("Z OK", RSCFile::zlibErrorToString(Z_OK));
    EXPECT_EQ("Z Stream end", RSCFile::zlibErrorToString(Z_STREAM_END));
    EXPECT_EQ("Z Need dictionary", RSCFile::zlibErrorToString(Z_NEED_DICT));
    EXPECT_EQ("Z Error no", RSCFile::zlibErrorToString(Z_ERRNO));
    EXPECT_EQ("Z Stream error", RSCFile::zlibErrorToString(Z_STREAM_ERROR));
    EXPECT_EQ("Z Data Error", RSCFile::zlibErrorToString(Z_DATA_ERROR));
    EXPECT_EQ("Z Memory Error", RSCFile::zlibErrorToString(Z_MEM_ERROR));
    EXPECT_EQ("Z Buffer error", RSCFile::zlibErrorToString(Z_BUF_ERROR));
    EXPECT_EQ("Z Version Error", RSCFile::zlibErrorToString(Z_VERSION_ERROR));
    EXPECT_EQ("Z OK", RSCFile::zlibErrorToString(3)); // a code without a row
    EXPECT_EQ("Z OK", RSCFile::zlibErrorToString(-7));
}

// Random bytes do not compress: zlib's stream is longer than its input, and the body must still come
// out whole and inflate back to what went in.
TEST_F(RSCFileWriteTest, BodyThatGrowsWhenCompressedIsKeptWhole)
{
    std::mt19937 random(7);
    std::vector<unsigned char> body(1 << 20);
    for (unsigned char& byte : body)
        byte = static_cast<unsigned char>(random());
    std::unique_ptr<unsigned char[]> compressed;
    uint64_t compressedLength = 0;
    ASSERT_EQ(Z_OK, RSCFile::compressBody(body.data(), body.size(), compressed, compressedLength));
    EXPECT_GT(compressedLength, body.size());

    std::vector<unsigned char> inflated(body.size());
    uLongf inflatedLength = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(Z_OK, uncompress(inflated.data(), &inflatedLength, compressed.get(),
                               static_cast<uLong>(compressedLength)));
    EXPECT_EQ(body, inflated);
}
