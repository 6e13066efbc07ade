#pragma once

#include <cstdint>
#include <string>

// What a render-system restart must give back to one archive after reopening it from its temporary
// copy: where the archive really lives and whether it had unsaved changes.
class ReopenRecord
{
public:
    ReopenRecord();

    std::string m_originalPath;
    uint32_t m_fileOffset;
    std::string m_tempPath;
    bool m_modified;
};
