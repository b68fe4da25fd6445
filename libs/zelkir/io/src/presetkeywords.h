#pragma once

#include <zelkir/io/filekeyword.h>
#include <zelkir/io/presetinfo.h>

namespace zelkir {

/// The preset use a file's keywords describe (SEQUENCE, SUPERFRM, PRESETS, PRESET; see
/// FITS-KEYWORDS.md). Without them: not sequencing, preset 0 only.
PresetInfo presetInfoFromKeywords(const FileKeywords& keywords);

} // namespace zelkir
