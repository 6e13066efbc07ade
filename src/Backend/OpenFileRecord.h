#pragma once

#include <cstdint>
#include <memory>

class WTDFile;

// One open archive of the back end: the archive itself, owned, and the texture the user last selected
// in it.
class OpenFileRecord
{
public:
    OpenFileRecord();
    // Deletes the archive, and with it every texture it created on the device.
    ~OpenFileRecord();

    OpenFileRecord(const OpenFileRecord&) = delete;
    OpenFileRecord& operator=(const OpenFileRecord&) = delete;

    std::unique_ptr<WTDFile> m_file;
    // Only BackEnd::setSelectedTexture stores an index here, and only one below the texture count at
    // that moment; the count can shrink afterwards, so readers check it again.
    uint32_t m_selectedTexture;
};
