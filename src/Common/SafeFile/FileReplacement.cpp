#include "Common/SafeFile/FileReplacement.h"

#include "Common/SafeFile/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

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
    : m_target(SafeFile::resolveTarget(path)), m_error(0), m_committed(false)
{
    if (standsInPlace(m_target))
        m_stream.open(m_target, std::ios::out | std::ios::binary);
    else if (!SafeFile::canReplace(m_target) || !SafeFile::createTemporary(m_target, m_temporary))
        m_temporary.clear(); // a name that could not be created is not this replacement's to remove
    else
        m_stream.open(m_temporary, std::ios::out | std::ios::binary);
    if (!m_stream.is_open())
        recordError();
}

FileReplacement::~FileReplacement()
{
    if (m_committed || m_temporary.empty())
        return;
    // A caller reading errno after a failure must still find its reason.
    const int error = errno;
    m_stream.close();
    unlink(m_temporary.c_str());
    errno = error;
}

bool FileReplacement::isOpen() const
{
    return m_stream.is_open();
}

std::fstream& FileReplacement::stream()
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
            return recordError();
        left -= static_cast<uint64_t>(step);
    }
    return true;
}

bool FileReplacement::commit()
{
    if (!m_stream.is_open())
        return false;
    m_stream.flush();
    if (m_stream.fail())
        recordError();
    m_stream.close();
    if (m_stream.fail())
        recordError();
    if (m_error != 0)
        return false;
    if (!m_temporary.empty()) {
        if (!SafeFile::syncToDisk(m_temporary) || std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
            return recordError();
        SafeFile::syncToDisk(SafeFile::folderOf(m_target));
    }
    m_committed = true;
    return true;
}

int FileReplacement::error() const
{
    return m_error;
}

bool FileReplacement::recordError()
{
    if (m_error == 0)
        m_error = errno != 0 ? errno : EIO;
    return false;
}
