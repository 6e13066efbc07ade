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
    // The copy to reopen; an archive whose load failed holds nothing to copy and is reopened from
    // its own file (m_copied false), which the restart then never removes.
    std::string m_tempPath;
    bool m_copied;
    bool m_modified;
};
