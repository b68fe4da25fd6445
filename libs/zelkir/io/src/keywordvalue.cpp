#include "keywordvalue.h"

#include <cmath>

namespace zelkir {

std::optional<double> keywordNumber(const FileKeywords& keywords, const QString& name)
{
    const FileKeyword* keyword = findKeyword(keywords, name);
    if (!keyword)
        return std::nullopt;
    QString text = keyword->value.trimmed();
    text.replace(QLatin1Char('D'), QLatin1Char('E'));
    text.replace(QLatin1Char('d'), QLatin1Char('e'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> keywordInteger(
    const FileKeywords& keywords, const QString& name, qint64 minimum, qint64 maximum)
{
    const std::optional<double> value = keywordNumber(keywords, name);
    if (!value || *value != std::floor(*value) || *value < double(minimum) || *value > double(maximum))
        return std::nullopt;
    return qint64(*value);
}

std::optional<bool> keywordLogical(const FileKeywords& keywords, const QString& name)
{
    const FileKeyword* keyword = findKeyword(keywords, name);
    if (!keyword)
        return std::nullopt;
    const QString text = keyword->value.trimmed().toLower();
    if (text == QLatin1String("t") || text == QLatin1String("true") || text == QLatin1String("yes")
        || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("f") || text == QLatin1String("false") || text == QLatin1String("no")
        || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

} // namespace zelkir
