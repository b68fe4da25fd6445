#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Builds the viewers' colour palettes (.rpal files) from their breakpoints.
namespace palettegen {

struct Rgb
{
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

struct Breakpoint
{
    int level;
    Rgb colour;
};

using Table = std::array<Rgb, 256>;

/// The names of every palette, in file-name order.
std::vector<std::string> paletteNames();

/// The breakpoints a palette's ramp runs through; empty for the palettes defined by a
/// formula per level ("BlackHot", "Grayscale", "Green", "Red").
std::vector<Breakpoint> breakpoints(const std::string& name);

/// The 256-entry table of a palette: linear interpolation per channel between
/// consecutive breakpoints, cut to a whole number.
Table table(const std::string& name);

/// The complete file: the 768-byte table, plus the extension for "Fusion".
std::vector<std::uint8_t> fileContents(const std::string& name);

} // namespace palettegen
