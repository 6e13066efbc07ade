#include "Common/SafeFile/FileReplacement.h"

#include "Common/SafeFile/FileDescriptorBuffer.h"
#include "Common/SafeFile/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A device, a pipe or a socket: a file put in its place would no longer be what the name stands for.
bool standsInPlace(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}
} // namespace

FileReplacement::FileReplacement(const std::string& path)
    : m_target(SafeFile::resolveTarget(path)), m_stream(nullptr), m_error(0), m_committed(false)
{
    const int descriptor = openNewContents();
    if (descriptor < 0) {
        recordError(errno);
        return;
    }
    m_buffer = std::make_unique<FileDescriptorBuffer>(descriptor);
    m_stream.rdbuf(m_buffer.get());
}

FileReplacement::~FileReplacement()
{
    if (m_committed || m_temporary.empty())
        return;
    // A caller reading errno after a failure must still find its reason.
    const int error = errno;
    m_buffer.reset();
    unlink(m_temporary.c_str());
    errno = error;
}

bool FileReplacement::isOpen() const
{
    return m_buffer != nullptr && m_buffer->descriptor() >= 0;
}

std::ostream& FileReplacement::stream()
{
    return m_stream;
}

bool FileReplacement::copyLeadingBytes(uint64_t length)
{
    std::ifstream input(m_target, std::ios::binary);
    std::vector<char> buffer(64 * 1024);
    uint64_t left = length;
    while (left > 0) {
        const std::streamsize step = static_cast<std::streamsize>(std::min<uint64_t>(left, buffer.size()));
        std::streamsize got = 0;
        if (input.is_open() && input.good()) {
            input.read(buffer.data(), step);
            got = input.gcount();
        }
        std::fill(buffer.begin() + got, buffer.begin() + step, 0);
        m_stream.write(buffer.data(), step);
        if (m_stream.fail())
            return recordStreamError();
        left -= static_cast<uint64_t>(step);
    }
    return true;
}

// The temporary file is synced before the rename, so that the name never stands for contents that are
// not on the disk yet.
bool FileReplacement::commit()
{
    if (!isOpen())
        return false;
    if (m_stream.flush().fail())
        recordStreamError();
    if (m_error == 0 && !m_temporary.empty() && fsync(m_buffer->descriptor()) != 0)
        recordError(errno);
    if (!m_buffer->close())
        recordError(errno);
    if (m_error != 0)
        return false;
    if (!m_temporary.empty()) {
        if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
            return recordError(errno);
        SafeFile::syncToDisk(SafeFile::folderOf(m_target));
    }
    m_committed = true;
    return true;
}

int FileReplacement::error() const
{
    return m_error;
}

int FileReplacement::openNewContents()
{
    if (standsInPlace(m_target))
        return open(m_target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (!SafeFile::canReplace(m_target))
        return -1;
    return SafeFile::createTemporary(m_target, m_temporary);
}

bool FileReplacement::recordError(int error)
{
    if (m_error == 0)
        m_error = error != 0 ? error : EIO;
    return false;
}

bool FileReplacement::recordStreamError()
{
    return recordError(m_buffer != nullptr ? m_buffer->error() : 0);
}
