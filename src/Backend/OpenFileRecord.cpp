#include "Backend/OpenFileRecord.h"

#include "WTD/WTDFile.h"

OpenFileRecord::OpenFileRecord() : m_file(), m_selectedTexture(0) {}

OpenFileRecord::~OpenFileRecord() = default;
