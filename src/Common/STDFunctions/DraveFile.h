#pragma once

#include "Common/STDFunctions/STDFunctions.h"

#include <cstdint>
#include <string>

// The base of every object that stands for a file on disk. It holds a reference to the shared
// helpers for its whole life, so they exist while any file object does.
class DraveFile
{
public:
    DraveFile();
    virtual ~DraveFile();

    DraveFile(const DraveFile&) = delete;
    DraveFile& operator=(const DraveFile&) = delete;

    std::string getPath() const;
    void setPath(const std::string& path);
    bool isModified() const;
    void setModified(bool modified);
    uint32_t getFileOffset() const;
    void setFileOffset(uint32_t offset);
    bool hasLoadFailed() const;

protected:
    std::string m_filePath;
    // Where this object's data begin inside the disk file.
    uint32_t m_fileOffset;
    STDFunctions* m_stdFunctions;
    bool m_modified;
    bool m_readOnly;
    bool m_loadFailed;
};
