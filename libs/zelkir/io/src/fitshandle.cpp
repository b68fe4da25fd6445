#include "fitshandle.h"

#include <utility>

namespace zelkir {

FitsHandle::~FitsHandle()
{
    close();
}

FitsHandle::FitsHandle(FitsHandle&& other) noexcept
    : m_file(std::exchange(other.m_file, nullptr))
{
}

FitsHandle& FitsHandle::operator=(FitsHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_file = std::exchange(other.m_file, nullptr);
    }
    return *this;
}

fitsfile** FitsHandle::receiver()
{
    close();
    return &m_file;
}

void FitsHandle::close()
{
    if (!m_file)
        return;
    int status = 0;
    fits_close_file(m_file, &status);
    m_file = nullptr;
}

QString fitsErrorText(int status)
{
    char text[FLEN_STATUS] = {};
    fits_get_errstatus(status, text);
    return QString::fromLatin1(text).trimmed();
}

} // namespace zelkir
