#include "Backend/ReopenRecord.h"

ReopenRecord::ReopenRecord() : m_fileOffset(0), m_modified(false)
{
}
