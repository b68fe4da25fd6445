#include <zelkir/pipeline/rpalparser.h>

#include <string>

namespace zelkir {

namespace {

// Bounds-checked little-endian reads; the first failure sticks.
class ByteReader
{
public:
    ByteReader(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool ok() const { return m_error == RpalParser::Error::None; }
    RpalParser::Error error() const { return m_error; }
    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_size - m_position; }
    void fail(RpalParser::Error error)
    {
        if (ok())
            m_error = error;
    }

    std::uint32_t u8() { return take(1) ? m_data[m_position - 1] : 0; }
    std::uint32_t u16()
    {
        if (!take(2))
            return 0;
        const std::uint8_t* p = m_data + m_position - 2;
        return p[0] | (p[1] << 8);
    }
    std::uint32_t u32()
    {
        if (!take(4))
            return 0;
        const std::uint8_t* p = m_data + m_position - 4;
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::uint32_t colour()
    {
        if (!take(3))
            return 0;
        const std::uint8_t* p = m_data + m_position - 3;
        return argb(p[0], p[1], p[2]);
    }
    std::string text(std::uint32_t length)
    {
        if (!take(length))
            return {};
        return std::string(reinterpret_cast<const char*>(m_data + m_position - length), length);
    }
    // Checks that a count of items, each at least minimumBytes long, can fit at all, so a
    // garbled count never drives a long loop or a large allocation.
    bool plausibleCount(std::uint32_t count, std::size_t minimumBytes)
    {
        if (ok() && count > remaining() / minimumBytes)
            fail(RpalParser::Error::Truncated);
        return ok();
    }

private:
    bool take(std::size_t bytes)
    {
        if (!ok())
            return false;
        if (bytes > remaining()) {
            fail(RpalParser::Error::Truncated);
            return false;
        }
        m_position += bytes;
        return true;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    RpalParser::Error m_error = RpalParser::Error::None;
};

// Reads one length-prefixed record and checks that its stated length matches what it held.
template <typename Body> void readRecord(ByteReader& in, Body body)
{
    const std::size_t start = in.position();
    const std::uint32_t length = in.u32();
    if (!in.ok())
        return;
    if (length < 4 || length - 4 > in.remaining()) {
        in.fail(RpalParser::Error::BadRecord);
        return;
    }
    body();
    if (in.ok() && in.position() - start != length)
        in.fail(RpalParser::Error::BadRecord);
}

void readExtension(ByteReader& in, Palette& palette)
{
    if (in.u8() != 1) {
        in.fail(RpalParser::Error::UnknownVersion);
        return;
    }
    std::vector<Palette::ControlPoint> points;
    const std::uint32_t pointCount = in.u32();
    if (!in.plausibleCount(pointCount, 7))
        return;
    for (std::uint32_t i = 0; i < pointCount && in.ok(); ++i) {
        const std::uint32_t level = in.u32();
        const std::uint32_t colour = in.colour();
        if (in.ok() && level > 255)
            in.fail(RpalParser::Error::BadControlPoint);
        points.push_back({ static_cast<int>(level), colour });
    }
    const std::string marker = in.text(8);
    if (in.ok() && marker != "_XMRPAL_")
        in.fail(RpalParser::Error::MissingMarker);
    if (in.u16() != 1)
        in.fail(RpalParser::Error::UnknownVersion);

    std::vector<Palette::NamedColour> named;
    const std::uint32_t namedCount = in.u32();
    if (!in.plausibleCount(namedCount, 11))
        return;
    for (std::uint32_t i = 0; i < namedCount && in.ok(); ++i) {
        readRecord(in, [&] {
            const std::string name = in.text(in.u32());
            named.push_back({ name, in.colour() });
        });
    }

    std::vector<Palette::ColourList> lists;
    const std::uint32_t listCount = in.u32();
    if (!in.plausibleCount(listCount, 12))
        return;
    for (std::uint32_t i = 0; i < listCount && in.ok(); ++i) {
        readRecord(in, [&] {
            Palette::ColourList list;
            list.name = in.text(in.u32());
            const std::uint32_t colourCount = in.u32();
            if (!in.plausibleCount(colourCount, 3))
                return;
            for (std::uint32_t k = 0; k < colourCount && in.ok(); ++k)
                list.colours.push_back(in.colour());
            lists.push_back(std::move(list));
        });
    }

    std::vector<Palette::Attribute> attributes;
    const std::uint32_t attributeCount = in.u32();
    if (!in.plausibleCount(attributeCount, 12))
        return;
    for (std::uint32_t i = 0; i < attributeCount && in.ok(); ++i) {
        readRecord(in, [&] {
            Palette::Attribute attribute;
            attribute.key = in.text(in.u32());
            attribute.value = in.text(in.u32());
            attributes.push_back(std::move(attribute));
        });
    }
    if (in.ok() && in.remaining() != 0)
        in.fail(RpalParser::Error::TrailingBytes);
    if (in.ok())
        palette.setExtension(std::move(points), std::move(named), std::move(lists), std::move(attributes));
}

} // namespace

std::optional<Palette> RpalParser::parse(const std::uint8_t* data, std::size_t size, Error* error)
{
    auto result = [error](Error value) {
        if (error)
            *error = value;
    };
    if (!data || size < TableBytes) {
        result(Error::TooShort);
        return std::nullopt;
    }
    std::array<std::uint32_t, Palette::Levels> colours {};
    for (int i = 0; i < Palette::Levels; ++i)
        colours[i] = argb(data[3 * i], data[3 * i + 1], data[3 * i + 2]);
    Palette palette(colours);
    if (size > TableBytes) {
        ByteReader in(data + TableBytes, size - TableBytes);
        readExtension(in, palette);
        if (!in.ok()) {
            result(in.error());
            return std::nullopt;
        }
    }
    result(Error::None);
    return palette;
}

const char* RpalParser::describe(Error error)
{
    switch (error) {
    case Error::None:
        return "no error";
    case Error::TooShort:
        return "shorter than the 768-byte colour table";
    case Error::UnknownVersion:
        return "unknown extension version";
    case Error::BadControlPoint:
        return "control point level beyond 255";
    case Error::MissingMarker:
        return "extension marker missing";
    case Error::BadRecord:
        return "record length disagrees with its content";
    case Error::Truncated:
        return "extension ends inside a field";
    case Error::TrailingBytes:
        return "bytes after the last field";
    }
    return "unknown error";
}

} // namespace zelkir
