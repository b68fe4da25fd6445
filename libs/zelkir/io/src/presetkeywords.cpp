#include "presetkeywords.h"

#include "keywordvalue.h"

namespace zelkir {

namespace {

int lowestPreset(quint8 mask)
{
    for (int bit = 0; bit < PresetInfo::MaxPresets; ++bit) {
        if ((mask >> bit) & 1)
            return bit;
    }
    return 0;
}

} // namespace

PresetInfo presetInfoFromKeywords(const FileKeywords& keywords)
{
    PresetInfo info;
    const std::optional<qint64> single = keywordInteger(keywords, QStringLiteral("PRESET"), 0, 7);
    const std::optional<qint64> mask = keywordInteger(keywords, QStringLiteral("PRESETS"), 1, 255);
    if (mask)
        info.availablePresets = quint8(*mask);
    else if (single)
        info.availablePresets = quint8(1u << *single);
    info.preset = single && ((info.availablePresets >> *single) & 1) ? int(*single)
                                                                     : lowestPreset(info.availablePresets);
    info.superframing = keywordLogical(keywords, QStringLiteral("SUPERFRM")).value_or(false);
    info.sequencing
        = info.superframing || keywordLogical(keywords, QStringLiteral("SEQUENCE")).value_or(false);
    return info;
}

} // namespace zelkir
