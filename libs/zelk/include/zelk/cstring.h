#pragma once

#include <zelk/export.h>

#include <cstddef>

namespace zelk {

/// An owned, NUL-terminated UTF-8 text, one pointer wide. An empty text holds no
/// memory. Copies allocate through Alloc and throw std::bad_alloc when that fails.
class ZELK_EXPORT CString
{
public:
    CString() noexcept = default;
    CString(const char* text);
    CString(const char* text, std::size_t length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;

    /// The text, never null: an empty text gives "".
    const char* c_str() const noexcept;
    /// Null when the text is empty.
    const char* data() const noexcept { return m_text; }
    std::size_t length() const noexcept;
    bool empty() const noexcept { return m_text == nullptr; }

    friend ZELK_EXPORT bool operator==(const CString& a, const CString& b) noexcept;
    friend bool operator!=(const CString& a, const CString& b) noexcept { return !(a == b); }

private:
    char* m_text = nullptr;
};

} // namespace zelk
