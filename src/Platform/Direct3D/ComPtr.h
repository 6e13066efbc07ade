#pragma once

#include <utility>

// Holds one reference of a reference-counted object (a texture, a surface, the device, ...) and gives
// it back exactly once: when the holder is reset, assigned or destroyed. Move-only, so a reference is
// never given back twice nor forgotten; whoever only looks at the object takes get().
template <typename T> class ComPtr
{
public:
    ComPtr() = default;
    // Takes over the reference the caller holds.
    explicit ComPtr(T* object) : m_object(object) {}
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    ComPtr(ComPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            std::swap(m_object, other.m_object);
        }
        return *this;
    }

    T* get() const { return m_object; }
    // Where the pointer is kept, for readers that look the object up through it when they need it.
    T* const* address() const { return &m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // Gives the reference back; the holder is empty afterwards.
    void reset()
    {
        T* object = m_object;
        m_object = nullptr;
        if (object != nullptr)
            object->Release();
    }

    // For creation calls that hand a new reference out through a T**: whatever was held is given back
    // first, and the holder takes the reference the call stores.
    T** put()
    {
        reset();
        return &m_object;
    }

private:
    T* m_object = nullptr;
};
