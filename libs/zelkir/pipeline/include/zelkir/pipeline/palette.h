#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelkir {

/// Packs a colour as an opaque 0xAARRGGBB pixel.
constexpr std::uint32_t argb(int red, int green, int blue)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(red & 0xFF) << 16)
        | (static_cast<std::uint32_t>(green & 0xFF) << 8) | static_cast<std::uint32_t>(blue & 0xFF);
}

/// A colour map of 256 display levels, lowest first, with the colours that mark saturated
/// counts and the optional extras of an extended palette file.
class Palette
{
public:
    static constexpr int Levels = 256;

    struct ControlPoint
    {
        int level = 0;
        std::uint32_t colour = 0;
    };
    struct NamedColour
    {
        std::string name;
        std::uint32_t colour = 0;
    };
    struct ColourList
    {
        std::string name;
        std::vector<std::uint32_t> colours;
    };
    struct Attribute
    {
        std::string key;
        std::string value;
    };

    /// The grey ramp: level i is (i, i, i).
    Palette();
    /// A palette from its 256 opaque colours; the saturation colours get their defaults.
    explicit Palette(const std::array<std::uint32_t, Levels>& colours);

    const std::array<std::uint32_t, Levels>& colours() const { return m_colours; }
    /// The colour of a display level; levels outside 0-255 take the nearest end.
    std::uint32_t colour(int level) const;

    /// Colours of counts at or beyond the low and high end of the valid range: the named
    /// colours "underflow" and "overflow" when the file has them, else the first of a few
    /// strong colours that stands clearly apart from every level of the ramp.
    std::uint32_t underflowColour() const { return m_underflow; }
    std::uint32_t overflowColour() const { return m_overflow; }
    /// Colour of pixels without a value: the named colour "novalue" when the file has it,
    /// else a strong colour apart from the ramp and from both saturation colours.
    std::uint32_t noValueColour() const { return m_noValue; }
    /// Colour of the isotherm band: the named colour "isotherm2" when the file has it, else
    /// a strong colour apart from the ramp and from the other mark colours.
    std::uint32_t isothermColour() const { return m_isotherm; }

    /// Extras of the extended file form; empty for a basic palette.
    bool isExtended() const { return m_extended; }
    const std::vector<ControlPoint>& controlPoints() const { return m_controlPoints; }
    const std::vector<NamedColour>& namedColours() const { return m_namedColours; }
    const std::vector<ColourList>& colourLists() const { return m_colourLists; }
    const std::vector<Attribute>& attributes() const { return m_attributes; }
    std::optional<std::uint32_t> namedColour(const std::string& name) const;
    /// The value of the text attribute "title", empty when absent.
    std::string title() const;

    /// Adds the extended form's extras; named "underflow", "overflow" and "novalue" colours
    /// replace the defaults.
    void setExtension(std::vector<ControlPoint> points, std::vector<NamedColour> named,
        std::vector<ColourList> lists, std::vector<Attribute> attributes);

private:
    void chooseDefaultMarkColours();

    std::array<std::uint32_t, Levels> m_colours {};
    std::uint32_t m_underflow = 0;
    std::uint32_t m_overflow = 0;
    std::uint32_t m_noValue = 0;
    std::uint32_t m_isotherm = 0;
    bool m_extended = false;
    std::vector<ControlPoint> m_controlPoints;
    std::vector<NamedColour> m_namedColours;
    std::vector<ColourList> m_colourLists;
    std::vector<Attribute> m_attributes;
};

} // namespace zelkir
