#pragma once

#include <glib.h>

#include <utility>

namespace zelk::cam {

/// Owns the GError that a GLib-style call may leave behind and frees it.
class CGError
{
public:
    CGError() noexcept = default;
    CGError(const CGError&) = delete;
    CGError& operator=(const CGError&) = delete;
    ~CGError() { clear(); }

    /// The place to pass as the `GError**` argument; the error must be empty.
    GError** out() noexcept { return &m_error; }

    const GError* get() const noexcept { return m_error; }
    explicit operator bool() const noexcept { return m_error != nullptr; }
    /// The error's text, or "" when there is none.
    const char* message() const noexcept { return m_error && m_error->message ? m_error->message : ""; }

    void clear() noexcept
    {
        if (GError* error = std::exchange(m_error, nullptr))
            g_error_free(error);
    }

private:
    GError* m_error = nullptr;
};

} // namespace zelk::cam
