#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

class FileDescriptorBuffer;

// One file replaced whole or not at all. The new contents go to a temporary file beside it, which
// reaches the disk and is then renamed over the file, with the file's permission bits; a symbolic link
// stays a link and the file it names is replaced. Until commit() succeeds the file is untouched, and a
// replacement that is not committed leaves no temporary file behind. A device or a pipe is no file to
// replace and is written where it stands. Nothing here logs: error() tells the caller why a step failed.
// The temporary file is created, written and synced through one descriptor: an editor that writes a
// thousand files (Extract All) would otherwise open each of them three times.
//
//   FileReplacement file(path);
//   if (!file.isOpen()) ...                    // refused or not creatable: error() says why
//   file.stream().write(bytes, size);
//   if (!file.commit()) ...                    // the old file is as it was
class FileReplacement
{
public:
    // Opens the new contents of the file at path (a file-system path), when it may be replaced.
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();

    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool isOpen() const;
    // Where the new contents are written; a stream with no buffer when the replacement is not open.
    std::ostream& stream();
    // The new contents begin with the first length bytes of the file being replaced, zeros where it is
    // shorter or absent: a file may hold other data before the part that is rewritten.
    bool copyLeadingBytes(uint64_t length);
    // Puts the new contents in place; false when a write, the flush, the sync or the rename failed, and
    // the file is then as it was.
    bool commit();
    // The errno of the first step that failed; 0 while none has.
    int error() const;

private:
    // The descriptor of the new contents, or -1 with errno.
    int openNewContents();
    // Records error, or EIO when the failure left none, unless an earlier step failed; always false.
    bool recordError(int error);
    bool recordStreamError();

    std::string m_target;    // the file replaced, links resolved
    std::string m_temporary; // empty when there is none: not created, or written where it stands
    std::unique_ptr<FileDescriptorBuffer> m_buffer; // null when not open
    std::ostream m_stream;
    int m_error;
    bool m_committed;
};
