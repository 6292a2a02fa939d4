#pragma once
// ComPtr<T>: the one owner of a COM interface pointer.
//
// Copying adds a reference, moving steals it, operator& releases the old
// pointer before handing out T** (so it can be passed straight to a
// creating call), and adopting a pointer that already carries its reference
// is explicit (Attach). Portable: it needs only AddRef and Release on T, so
// its rules are tested natively with a counting fake.

#include <memory>
#include <utility>

#ifdef _WIN32
#include <unknwn.h>
#endif

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares the object: takes a reference of its own.
    explicit ComPtr(T* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        if (this != std::addressof(other)) ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != std::addressof(other)) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    // Adopts a pointer whose reference the caller hands over.
    void Attach(T* p) {
        Reset();
        m_p = p;
    }
    // Gives up ownership without releasing.
    [[nodiscard]] T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For out-parameters of creating calls: releases what is held first.
    T** operator&() {
        Reset();
        return &m_p;
    }
    // Hands out the address without releasing, for in-out uses.
    T* const* GetAddressOf() const { return &m_p; }

    // Hands a new reference to a raw out-parameter (e.g. QueryInterface).
    void CopyTo(T** out) const {
        *out = m_p;
        if (m_p) m_p->AddRef();
    }

#ifdef _WIN32
    // QueryInterface into another owner; U must carry an interface id.
    template <class U>
    long As(ComPtr<U>& out) const {
        return m_p->QueryInterface(__uuidof(U), reinterpret_cast<void**>(&out));
    }
#endif

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }
    friend bool operator!=(const ComPtr& a, const ComPtr& b) { return a.m_p != b.m_p; }

private:
    T* m_p = nullptr;
};
