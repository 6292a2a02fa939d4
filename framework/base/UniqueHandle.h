#pragma once
// UniqueHandle<Traits>: a non-copyable, movable owner of one handle.
//
// Traits gives the handle type and how to tell and close it:
//   using Type = ...;
//   static Type Empty();             // what an empty owner holds
//   static bool IsValid(Type h);     // e.g. neither NULL nor INVALID_HANDLE_VALUE
//   static void Close(Type h);       // called once for each valid handle
// The Win32 owners (framework/win/Handles.h) are instances of this template;
// it is portable so its rules are tested natively.

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : m_h(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Type Get() const { return m_h; }
    bool IsValid() const { return Traits::IsValid(m_h); }
    explicit operator bool() const { return IsValid(); }

    // Closes the old handle (if valid) and takes the new one.
    void Reset(Type h = Traits::Empty()) {
        Type old = std::exchange(m_h, h);
        if (Traits::IsValid(old)) Traits::Close(old);
    }
    // Gives up ownership without closing.
    [[nodiscard]] Type Release() { return std::exchange(m_h, Traits::Empty()); }

    // For out-parameters: closes what is held first.
    Type* Put() {
        Reset();
        return &m_h;
    }

private:
    Type m_h = Traits::Empty();
};
