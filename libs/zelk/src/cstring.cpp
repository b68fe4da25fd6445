#include <zelk/cstring.h>
#include <zelk/memory.h>

#include <cstring>
#include <utility>

namespace zelk {

namespace {

char* Duplicate(const char* text, std::size_t length)
{
    if (!text || length == 0)
        return nullptr;
    char* copy = static_cast<char*>(Alloc(length + 1));
    if (!copy)
        ThrowBadAllocException();
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

} // namespace

CString::CString(const char* text) : m_text(text ? Duplicate(text, std::strlen(text)) : nullptr) {}

CString::CString(const char* text, std::size_t length) : m_text(Duplicate(text, text ? strnlen(text, length) : 0))
{
}

CString::CString(const CString& other) : m_text(Duplicate(other.m_text, other.length())) {}

CString::CString(CString&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}

CString::~CString()
{
    Free(m_text);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other) {
        char* copy = Duplicate(other.m_text, other.length());
        Free(m_text);
        m_text = copy;
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Free(m_text);
        m_text = std::exchange(other.m_text, nullptr);
    }
    return *this;
}

const char* CString::c_str() const noexcept
{
    return m_text ? m_text : "";
}

std::size_t CString::length() const noexcept
{
    return m_text ? std::strlen(m_text) : 0;
}

bool operator==(const CString& a, const CString& b) noexcept
{
    return std::strcmp(a.c_str(), b.c_str()) == 0;
}

} // namespace zelk
