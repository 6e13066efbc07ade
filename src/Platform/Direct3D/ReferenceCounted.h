#pragma once

#include "Platform/Direct3D/D3D9Types.h"

// The reference counting of the stand-in's objects: created with one reference, deleted by the
// Release that drops the last one. Derived classes keep their destructors out of public reach, so
// Release is the only way to end an object.
class ReferenceCounted
{
public:
    ReferenceCounted(const ReferenceCounted&) = delete;
    ReferenceCounted& operator=(const ReferenceCounted&) = delete;

    ULONG AddRef() { return ++m_references; }

    ULONG Release()
    {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    ReferenceCounted() = default;
    virtual ~ReferenceCounted() = default;

private:
    ULONG m_references = 1;
};
