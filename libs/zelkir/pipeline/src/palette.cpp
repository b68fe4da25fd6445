#include <zelkir/pipeline/palette.h>

#include <algorithm>
#include <limits>

namespace zelkir {

namespace {

int channelDistanceSquared(std::uint32_t a, std::uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

int nearestDistanceSquared(const std::array<std::uint32_t, Palette::Levels>& ramp, std::uint32_t colour)
{
    int best = std::numeric_limits<int>::max();
    for (std::uint32_t entry : ramp)
        best = std::min(best, channelDistanceSquared(entry, colour));
    return best;
}

// Picks the first candidate that no ramp level comes close to, so a marked pixel never
// reads as an ordinary level; falls back to the candidate farthest from the ramp.
std::uint32_t distinctColour(const std::array<std::uint32_t, Palette::Levels>& ramp,
    std::initializer_list<std::uint32_t> candidates, std::initializer_list<std::uint32_t> avoid)
{
    constexpr int clearDistance = 96 * 96;
    std::uint32_t farthest = *candidates.begin();
    int farthestDistance = -1;
    for (std::uint32_t candidate : candidates) {
        if (std::find(avoid.begin(), avoid.end(), candidate) != avoid.end())
            continue;
        const int distance = nearestDistanceSquared(ramp, candidate);
        if (distance >= clearDistance)
            return candidate;
        if (distance > farthestDistance) {
            farthest = candidate;
            farthestDistance = distance;
        }
    }
    return farthest;
}

} // namespace

Palette::Palette()
{
    for (int i = 0; i < Levels; ++i)
        m_colours[i] = argb(i, i, i);
    chooseDefaultMarkColours();
}

Palette::Palette(const std::array<std::uint32_t, Levels>& colours)
    : m_colours(colours)
{
    for (std::uint32_t& colour : m_colours)
        colour |= 0xFF000000u;
    chooseDefaultMarkColours();
}

std::uint32_t Palette::colour(int level) const
{
    return m_colours[static_cast<std::size_t>(std::clamp(level, 0, Levels - 1))];
}

std::optional<std::uint32_t> Palette::namedColour(const std::string& name) const
{
    for (const NamedColour& named : m_namedColours) {
        if (named.name == name)
            return named.colour;
    }
    return std::nullopt;
}

std::string Palette::title() const
{
    for (const Attribute& attribute : m_attributes) {
        if (attribute.key == "title")
            return attribute.value;
    }
    return {};
}

void Palette::setExtension(std::vector<ControlPoint> points, std::vector<NamedColour> named,
    std::vector<ColourList> lists, std::vector<Attribute> attributes)
{
    m_extended = true;
    m_controlPoints = std::move(points);
    m_namedColours = std::move(named);
    m_colourLists = std::move(lists);
    m_attributes = std::move(attributes);
    chooseDefaultMarkColours();
    if (const auto underflow = namedColour("underflow"))
        m_underflow = *underflow | 0xFF000000u;
    if (const auto overflow = namedColour("overflow"))
        m_overflow = *overflow | 0xFF000000u;
    if (const auto noValue = namedColour("novalue"))
        m_noValue = *noValue | 0xFF000000u;
    if (const auto isotherm = namedColour("isotherm2"))
        m_isotherm = *isotherm | 0xFF000000u;
}

void Palette::chooseDefaultMarkColours()
{
    // Cold colours for underflow, warm ones for overflow, as people read them.
    m_underflow = distinctColour(m_colours,
        { argb(0, 0, 160), argb(0, 160, 160), argb(0, 160, 0), argb(160, 0, 160), argb(128, 128, 128) }, {});
    m_overflow = distinctColour(m_colours,
        { argb(200, 0, 0), argb(255, 0, 255), argb(255, 128, 0), argb(0, 255, 0), argb(128, 128, 128) },
        { m_underflow });
    // Missing data is neither cold nor hot: colours people do not read as temperatures.
    m_noValue = distinctColour(m_colours,
        { argb(0, 255, 0), argb(255, 0, 255), argb(0, 255, 255), argb(255, 255, 0), argb(128, 128, 128) },
        { m_underflow, m_overflow });
    // The band must stand out from the scene and from every other mark.
    m_isotherm = distinctColour(m_colours,
        { argb(0, 255, 255), argb(255, 255, 0), argb(255, 0, 255), argb(0, 255, 0), argb(128, 128, 128) },
        { m_underflow, m_overflow, m_noValue });
}

} // namespace zelkir
