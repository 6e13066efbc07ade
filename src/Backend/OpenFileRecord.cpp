#include "Backend/OpenFileRecord.h"

#include "WTD/WTDFile.h"

OpenFileRecord::OpenFileRecord() : m_file(nullptr), m_selectedTexture(0)
{
}

OpenFileRecord::~OpenFileRecord()
{
    delete m_file;
    m_file = nullptr;
}
