#include "Backend/ReopenRecord.h"

ReopenRecord::ReopenRecord() : m_fileOffset(0), m_copied(false), m_modified(false) {}
