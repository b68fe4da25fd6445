#pragma once

#include <QImage>

#include <vector>

namespace zelkir {

/// Turns a decoded image into counts, top row first. Grey images keep their values
/// (8-bit 0..255, 16-bit 0..65535). Colour images become their Rec. 601 luma,
/// Y = 0.299 R + 0.587 G + 0.114 B, in fixed point and rounded: 0..255 from 8-bit
/// channels, 0..65535 from deeper ones; a grey pixel keeps its value. Alpha is ignored.
class ImageCounts
{
public:
    /// 8 or 16: the bits of the counts `image` gives.
    static int depthOf(const QImage& image);
    /// Fills `counts` with width * height values; returns depthOf(image).
    static int convert(const QImage& image, std::vector<quint16>& counts);
};

} // namespace zelkir
