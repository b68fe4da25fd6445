#pragma once

#include <zelkir/io/filekeyword.h>

#include <optional>

namespace zelkir {

/// A finite number from a keyword's text; FITS' Fortran exponent "1.5D+02" is accepted.
std::optional<double> keywordNumber(const FileKeywords& keywords, const QString& name);
/// A whole number in [minimum, maximum]; a number with a fraction is refused.
std::optional<qint64> keywordInteger(
    const FileKeywords& keywords, const QString& name, qint64 minimum, qint64 maximum);
/// T/F as FITS writes logicals; also true/false, yes/no and 1/0 for text chunks of images.
std::optional<bool> keywordLogical(const FileKeywords& keywords, const QString& name);

} // namespace zelkir
