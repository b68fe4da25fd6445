#include <zelkir/io/presetinfo.h>

namespace zelkir {

int PresetInfo::cycleLength() const
{
    int length = 0;
    for (int bit = 0; bit < MaxPresets; ++bit)
        length += (availablePresets >> bit) & 1;
    return length;
}

int PresetInfo::presetOfFrame(int index) const
{
    const int length = cycleLength();
    if (!sequencing || length == 0 || index < 0)
        return preset;
    int wanted = index % length;
    for (int bit = 0; bit < MaxPresets; ++bit) {
        if (((availablePresets >> bit) & 1) && wanted-- == 0)
            return bit;
    }
    return preset;
}

} // namespace zelkir
