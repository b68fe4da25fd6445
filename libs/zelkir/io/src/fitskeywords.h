#pragma once

#include <zelkir/io/filekeyword.h>

#include <fitsio.h>

namespace zelkir {

/// Appends the keywords of the current HDU of `file` to `keywords` for display: the
/// structural cards (SIMPLE, BITPIX, NAXISn, EXTEND, those of compressed images),
/// COMMENT, HISTORY and blank cards are left out, long string values (CONTINUE) are
/// joined, and a repeated name replaces the earlier entry so names stay unique.
/// Returns a cfitsio status, 0 on success.
int appendFitsKeywords(fitsfile* file, FileKeywords& keywords);

/// True for cards that describe the data layout rather than the recording.
bool isStructuralFitsKeyword(const QString& name);

/// The display text of a raw FITS value: a quoted string loses its quotes, doubled
/// quotes and trailing blanks; anything else is trimmed.
QString fitsValueText(const QString& rawValue);

} // namespace zelkir
