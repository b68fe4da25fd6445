#pragma once

#include <zelkir/io/fitserrortext.h>

#include <QString>

#include <fitsio.h>

namespace zelkir {

/// Owns one cfitsio file handle and closes it.
class FitsHandle
{
public:
    FitsHandle() = default;
    ~FitsHandle();
    FitsHandle(FitsHandle&& other) noexcept;
    FitsHandle& operator=(FitsHandle&& other) noexcept;
    FitsHandle(const FitsHandle&) = delete;
    FitsHandle& operator=(const FitsHandle&) = delete;

    fitsfile* get() const { return m_file; }
    /// For cfitsio's open functions, which write the new handle here.
    fitsfile** receiver();
    explicit operator bool() const { return m_file != nullptr; }

private:
    void close();

    fitsfile* m_file = nullptr;
};


} // namespace zelkir
