#include <zelkir/io/countrange.h>

namespace zelkir {

int CountRange::bitDepth() const
{
    int bits = 1;
    while (bits < 16 && (maximum >> bits) != 0)
        ++bits;
    return bits;
}

} // namespace zelkir
