#include "badpixellist.h"

#include <algorithm>

namespace zelkir {

namespace {

constexpr int EntryBytes = 4;
constexpr int MaxCoordinate = 0xffff;

int readWord(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return (bytes[at] << 8) | bytes[at + 1];
}

void writeWord(std::vector<std::uint8_t>& bytes, std::size_t at, int value)
{
    bytes[at] = std::uint8_t(value >> 8);
    bytes[at + 1] = std::uint8_t(value);
}

} // namespace

BadPixelList::BadPixelList(int capacity)
    : m_capacity(std::max(capacity, 0))
{
}

std::optional<BadPixelList> BadPixelList::decode(
    const std::vector<std::uint8_t>& bytes, std::int64_t count, std::int64_t capacity)
{
    if (count < 0 || capacity < 0 || count > capacity || count * EntryBytes > std::int64_t(bytes.size())
        || capacity > 0xffffff)
        return std::nullopt;
    BadPixelList list { int(capacity) };
    for (std::int64_t i = 0; i < count; ++i) {
        const std::size_t at = std::size_t(i) * EntryBytes;
        list.m_pixels.append(QPoint(readWord(bytes, at), readWord(bytes, at + 2)));
    }
    return list;
}

std::vector<std::uint8_t> BadPixelList::encode() const
{
    std::vector<std::uint8_t> bytes(std::size_t(m_capacity) * EntryBytes, 0);
    for (qsizetype i = 0; i < m_pixels.size(); ++i) {
        const std::size_t at = std::size_t(i) * EntryBytes;
        writeWord(bytes, at, m_pixels[i].x());
        writeWord(bytes, at + 2, m_pixels[i].y());
    }
    return bytes;
}

BadPixelList::Toggle BadPixelList::toggle(QPoint pixel)
{
    if (m_pixels.removeOne(pixel))
        return Toggle::Unmarked;
    if (pixel.x() < 0 || pixel.y() < 0 || pixel.x() > MaxCoordinate || pixel.y() > MaxCoordinate)
        return Toggle::OutOfRange;
    if (m_pixels.size() >= m_capacity)
        return Toggle::Full;
    m_pixels.append(pixel);
    return Toggle::Marked;
}

} // namespace zelkir
