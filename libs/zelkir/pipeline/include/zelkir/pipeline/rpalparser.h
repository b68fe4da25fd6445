#pragma once

#include <zelkir/pipeline/palette.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zelkir {

/// Reads palette files (.rpal). The basic form is exactly 768 bytes: 256 entries of red,
/// green, blue. The extended form follows them with a version byte (1), control points,
/// the marker "_XMRPAL_", a 16-bit version (1), named colours, named colour lists and text
/// attributes, all integers little-endian; it must end exactly after the attributes.
class RpalParser
{
public:
    enum class Error {
        None,
        TooShort, ///< fewer than 768 bytes
        UnknownVersion, ///< the extension's version byte or 16-bit version is not 1
        BadControlPoint, ///< a control point's level is beyond 255
        MissingMarker, ///< no "_XMRPAL_" after the control points
        BadRecord, ///< a record's length disagrees with its content
        Truncated, ///< the extension ends inside a field
        TrailingBytes, ///< bytes after the text attributes
    };

    static constexpr std::size_t TableBytes = 768;

    /// The palette in the bytes, or nothing with the reason in *error (when given). Never
    /// reads outside [data, data + size).
    static std::optional<Palette> parse(const std::uint8_t* data, std::size_t size, Error* error = nullptr);

    /// A short English description of an error, for logs.
    static const char* describe(Error error);
};

} // namespace zelkir
