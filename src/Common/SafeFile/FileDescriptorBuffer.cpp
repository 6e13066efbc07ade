#include "Common/SafeFile/FileDescriptorBuffer.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace
{
// Small writes (a list's lines) are gathered; a write at least this large goes to the file at once.
const size_t BUFFER_SIZE = 16 * 1024;
} // namespace

FileDescriptorBuffer::FileDescriptorBuffer(int descriptor)
    : m_descriptor(descriptor), m_error(0), m_buffer(BUFFER_SIZE)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

FileDescriptorBuffer::~FileDescriptorBuffer()
{
    close();
}

int FileDescriptorBuffer::descriptor() const
{
    return m_descriptor;
}

bool FileDescriptorBuffer::close()
{
    if (m_descriptor < 0)
        return true;
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    return ::close(descriptor) == 0;
}

int FileDescriptorBuffer::error() const
{
    return m_error;
}

FileDescriptorBuffer::int_type FileDescriptorBuffer::overflow(int_type character)
{
    if (!writeBuffered())
        return traits_type::eof();
    if (traits_type::eq_int_type(character, traits_type::eof()))
        return traits_type::not_eof(character);
    *pptr() = traits_type::to_char_type(character);
    pbump(1);
    return character;
}

std::streamsize FileDescriptorBuffer::xsputn(const char* bytes, std::streamsize count)
{
    const size_t size = static_cast<size_t>(count);
    if (size > static_cast<size_t>(epptr() - pptr())) {
        if (!writeBuffered())
            return 0;
        if (size >= m_buffer.size())
            return writeAll(bytes, size) ? count : 0;
    }
    std::memcpy(pptr(), bytes, size);
    pbump(static_cast<int>(size));
    return count;
}

int FileDescriptorBuffer::sync()
{
    return writeBuffered() ? 0 : -1;
}

// The buffer is emptied even when the write fails: the stream has failed then and takes no more bytes.
bool FileDescriptorBuffer::writeBuffered()
{
    const size_t count = static_cast<size_t>(pptr() - pbase());
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return count == 0 || writeAll(m_buffer.data(), count);
}

bool FileDescriptorBuffer::writeAll(const char* bytes, size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(m_descriptor, bytes, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (m_error == 0)
                m_error = written < 0 ? errno : EIO;
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}
