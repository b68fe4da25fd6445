#pragma once

#include <QList>
#include <QPoint>

#include <cstdint>
#include <optional>
#include <vector>

namespace zelkir {

/// A camera's list of bad pixels, which it replaces in every frame by the mean of their
/// listed-free neighbours. On the camera, entry i is bytes 4i..4i+3 of its register: x
/// then y, each 16 bits big-endian; a count says how many entries are in force.
class BadPixelList
{
public:
    enum class Toggle { Marked, Unmarked, Full, OutOfRange };

    BadPixelList() = default;
    /// An empty list that holds at most `capacity` pixels (negative: none).
    explicit BadPixelList(int capacity);

    /// The list a camera holds: its first `count` entries of `bytes`. Null when the count
    /// is negative, above `capacity`, or past the bytes, or the capacity is beyond reason.
    static std::optional<BadPixelList> decode(
        const std::vector<std::uint8_t>& bytes, std::int64_t count, std::int64_t capacity);
    /// The camera's register: capacity × 4 bytes, the listed pixels first, then zeros.
    std::vector<std::uint8_t> encode() const;

    /// Marks `pixel`, or unmarks it when listed. Refused when the list is full or the
    /// pixel does not fit the camera's 16-bit coordinates.
    Toggle toggle(QPoint pixel);

    const QList<QPoint>& pixels() const { return m_pixels; }
    int capacity() const { return m_capacity; }

private:
    QList<QPoint> m_pixels;
    int m_capacity = 0;
};

} // namespace zelkir
