#include "Common/STDFunctions/DraveFile.h"

DraveFile::DraveFile()
    : m_fileOffset(0), m_stdFunctions(STDFunctions::getInstance()), m_modified(false), m_readOnly(false),
      m_loadFailed(false)
{
}

DraveFile::~DraveFile()
{
    STDFunctions::release();
}

std::string DraveFile::getPath() const
{
    return m_filePath;
}

void DraveFile::setPath(const std::string& path)
{
    m_filePath = path;
}

bool DraveFile::isModified() const
{
    return m_modified;
}

void DraveFile::setModified(bool modified)
{
    m_modified = modified;
}

uint32_t DraveFile::getFileOffset() const
{
    return m_fileOffset;
}

void DraveFile::setFileOffset(uint32_t offset)
{
    m_fileOffset = offset;
}

bool DraveFile::hasLoadFailed() const
{
    return m_loadFailed;
}
