#include "palettegenerator.h"

#include <algorithm>
#include <stdexcept>

namespace palettegen {

namespace {

struct NamedColour
{
    const char* name;
    Rgb colour;
};

const std::vector<Breakpoint> fusionPoints = {
    { 0, { 0, 0, 0 } },        { 16, { 8, 0, 108 } },     { 34, { 58, 0, 142 } },    { 80, { 180, 0, 148 } },
    { 97, { 201, 18, 130 } },  { 113, { 217, 46, 88 } },  { 128, { 228, 72, 20 } },  { 193, { 252, 186, 0 } },
    { 208, { 252, 208, 4 } },  { 224, { 252, 232, 60 } }, { 240, { 252, 244, 172 } }, { 255, { 252, 252, 252 } },
};

const NamedColour fusionNamedColours[] = {
    { "segmentationAbove", { 255, 0, 0 } }, { "segmentationBelow", { 0, 0, 255 } },
    { "clipOverflow", { 128, 0, 0 } },      { "clipUnderflow", { 0, 0, 128 } },
    { "clipWarning", { 128, 0, 128 } },     { "imageROI", { 128, 128, 128 } },
    { "isotherm1", { 128, 128, 128 } },     { "isotherm2", { 229, 160, 22 } },
    { "analysis", { 230, 230, 230 } },      { "below", { 128, 128, 128 } },
    { "above", { 200, 0, 0 } },             { "underflow", { 50, 50, 50 } },
    { "overflow", { 15, 0, 15 } },
};

const Rgb fusionRoiColours[] = {
    { 255, 0, 0 },   { 0, 128, 0 },   { 0, 0, 255 },  { 128, 0, 0 },   { 0, 255, 0 },  { 0, 0, 128 },
    { 128, 64, 64 }, { 64, 128, 64 }, { 64, 64, 128 }, { 0, 64, 0 },   { 0, 0, 64 },   { 64, 0, 64 },
    { 128, 0, 128 }, { 128, 0, 255 }, { 64, 0, 128 },  { 255, 0, 255 },
};

std::uint8_t interpolate(int from, int to, int level, int start, int end)
{
    // Non-negative numerator, so integer division cuts the fraction off.
    return static_cast<std::uint8_t>((from * (end - start) + (to - from) * (level - start)) / (end - start));
}

Table ramp(const std::vector<Breakpoint>& points)
{
    Table result {};
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const Breakpoint& a = points[k];
        const Breakpoint& b = points[k + 1];
        for (int level = a.level; level <= b.level; ++level) {
            result[level] = { interpolate(a.colour.r, b.colour.r, level, a.level, b.level),
                              interpolate(a.colour.g, b.colour.g, level, a.level, b.level),
                              interpolate(a.colour.b, b.colour.b, level, a.level, b.level) };
        }
    }
    return result;
}

class Writer
{
public:
    void byte(std::uint8_t value) { m_bytes.push_back(value); }
    void u16(std::uint16_t value)
    {
        byte(value & 0xFF);
        byte(value >> 8);
    }
    void u32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            byte((value >> shift) & 0xFF);
    }
    void text(const std::string& value) { m_bytes.insert(m_bytes.end(), value.begin(), value.end()); }
    void colour(const Rgb& value)
    {
        byte(value.r);
        byte(value.g);
        byte(value.b);
    }
    // Writes a record whose leading 32-bit length counts the whole record.
    template <typename Body> void record(Body body)
    {
        const std::size_t start = m_bytes.size();
        u32(0);
        body(*this);
        const auto length = static_cast<std::uint32_t>(m_bytes.size() - start);
        for (int i = 0; i < 4; ++i)
            m_bytes[start + i] = (length >> (8 * i)) & 0xFF;
    }
    std::vector<std::uint8_t> bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

void writeFusionExtension(Writer& out)
{
    out.byte(1);
    out.u32(static_cast<std::uint32_t>(fusionPoints.size()));
    for (const Breakpoint& point : fusionPoints) {
        out.u32(static_cast<std::uint32_t>(point.level));
        out.colour(point.colour);
    }
    out.text("_XMRPAL_");
    out.u16(1);

    out.u32(static_cast<std::uint32_t>(std::size(fusionNamedColours)));
    for (const NamedColour& named : fusionNamedColours) {
        out.record([&](Writer& w) {
            const std::string name = named.name;
            w.u32(static_cast<std::uint32_t>(name.size()));
            w.text(name);
            w.colour(named.colour);
        });
    }

    out.u32(1);
    out.record([](Writer& w) {
        w.u32(3);
        w.text("roi");
        w.u32(static_cast<std::uint32_t>(std::size(fusionRoiColours)));
        for (const Rgb& colour : fusionRoiColours)
            w.colour(colour);
    });

    out.u32(1);
    out.record([](Writer& w) {
        w.u32(5);
        w.text("title");
        w.u32(6);
        w.text("Fusion");
    });
}

} // namespace

std::vector<std::string> paletteNames()
{
    return { "1234", "BlackHot", "Blue", "Fusion", "Glowbow", "Grayscale",
             "Green", "Ironbow", "Rainbow", "Red", "Sepia" };
}

std::vector<Breakpoint> breakpoints(const std::string& name)
{
    if (name == "1234")
        return { { 0, { 0, 0, 0 } },       { 42, { 64, 0, 128 } },    { 54, { 0, 0, 255 } },
                 { 98, { 0, 255, 255 } },  { 156, { 24, 68, 17 } },   { 191, { 255, 0, 0 } },
                 { 213, { 255, 128, 0 } }, { 233, { 255, 255, 0 } },  { 255, { 255, 255, 243 } } };
    if (name == "Blue")
        return { { 0, { 0, 0, 0 } }, { 128, { 0, 0, 255 } }, { 255, { 253, 253, 255 } } };
    if (name == "Fusion")
        return fusionPoints;
    if (name == "Glowbow")
        return { { 0, { 0, 0, 0 } }, { 85, { 255, 0, 0 } }, { 170, { 255, 255, 0 } }, { 255, { 255, 255, 252 } } };
    if (name == "Ironbow")
        return { { 0, { 0, 0, 0 } },       { 51, { 122, 0, 204 } },  { 102, { 239, 16, 128 } },
                 { 153, { 255, 60, 32 } }, { 204, { 236, 236, 0 } }, { 255, { 254, 254, 250 } } };
    if (name == "Rainbow")
        return { { 0, { 0, 0, 255 } },     { 64, { 0, 255, 255 } }, { 128, { 0, 255, 0 } },
                 { 192, { 255, 255, 0 } }, { 255, { 255, 3, 0 } } };
    if (name == "Sepia")
        return { { 0, { 0, 0, 0 } }, { 64, { 128, 64, 0 } }, { 192, { 192, 192, 0 } }, { 255, { 255, 255, 255 } } };
    return {};
}

Table table(const std::string& name)
{
    Table result {};
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        const auto lessOne = static_cast<std::uint8_t>(std::max(i - 1, 0));
        if (name == "BlackHot") {
            const auto grey = static_cast<std::uint8_t>(std::max(254 - i, 0));
            result[i] = { grey, grey, grey };
        } else if (name == "Grayscale") {
            result[i] = { level, level, level };
        } else if (name == "Green") {
            result[i] = { 0, lessOne, 0 };
        } else if (name == "Red") {
            result[i] = { lessOne, 0, 0 };
        }
    }
    const std::vector<Breakpoint> points = breakpoints(name);
    if (!points.empty())
        return ramp(points);
    const std::vector<std::string> names = paletteNames();
    if (std::find(names.begin(), names.end(), name) == names.end())
        throw std::invalid_argument("no palette named " + name);
    return result;
}

std::vector<std::uint8_t> fileContents(const std::string& name)
{
    Writer out;
    for (const Rgb& colour : table(name))
        out.colour(colour);
    if (name == "Fusion")
        writeFusionExtension(out);
    return out.bytes();
}

} // namespace palettegen
