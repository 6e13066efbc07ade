#pragma once

#include <streambuf>
#include <vector>

// An output stream buffer over a file descriptor it owns, so that the descriptor a file was created
// with also writes it and syncs it: a stream over a path would open the file again. A write that
// fails keeps its errno, which the stream's state alone would lose. Bytes still buffered when it is
// destroyed are dropped: its owner flushes what it wants written.
class FileDescriptorBuffer : public std::streambuf
{
public:
    explicit FileDescriptorBuffer(int descriptor);
    ~FileDescriptorBuffer() override;

    FileDescriptorBuffer(const FileDescriptorBuffer&) = delete;
    FileDescriptorBuffer& operator=(const FileDescriptorBuffer&) = delete;

    // -1 once closed.
    int descriptor() const;
    // Closes the descriptor without writing what is buffered; false with errno when close failed.
    bool close();
    // The errno of the first write that failed; 0 while none has.
    int error() const;

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    bool writeBuffered();
    bool writeAll(const char* bytes, size_t count);

    int m_descriptor;
    int m_error;
    std::vector<char> m_buffer;
};
