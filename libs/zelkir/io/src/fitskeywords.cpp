#include "fitskeywords.h"

#include <QHash>
#include <QSet>

namespace zelkir {

namespace {

// Enough for any real header; stops a corrupt one from making the list unbounded.
constexpr int MaxKeywords = 10000;
constexpr int MaxValueLength = 4096;

bool hasIndexSuffix(const QString& name, QLatin1String stem)
{
    if (name.size() <= stem.size() || !name.startsWith(stem))
        return false;
    for (int i = stem.size(); i < name.size(); ++i) {
        if (!name.at(i).isDigit())
            return false;
    }
    return true;
}

/// Joins the CONTINUE cards after card `n` to `text`, a string value ending in '&'. Reads
/// each card once, so a header of any length is joined in time linear in its size.
QString joinContinuedString(fitsfile* file, int n, int count, QString text)
{
    for (int next = n + 1; next <= count && text.endsWith(QLatin1Char('&')); ++next) {
        char card[FLEN_CARD] = {};
        int status = 0;
        if (fits_read_record(file, next, card, &status) || qstrncmp(card, "CONTINUE", 8) != 0)
            break;
        const QString continued = QString::fromLatin1(card + 8).trimmed();
        if (!continued.startsWith(QLatin1Char('\'')))
            break;
        text.chop(1);
        text += fitsValueText(continued);
        // Past the shown length, the rest would only be cut off again.
        if (text.size() > MaxValueLength)
            break;
    }
    return text;
}

void insertUnique(FileKeywords& keywords, QHash<QString, qsizetype>& positions, FileKeyword keyword)
{
    const auto found = positions.constFind(keyword.name);
    if (found != positions.constEnd()) {
        keywords[*found] = std::move(keyword);
        return;
    }
    positions.insert(keyword.name, keywords.size());
    keywords.append(std::move(keyword));
}

} // namespace

bool isStructuralFitsKeyword(const QString& name)
{
    static const QSet<QString> exact {
        QStringLiteral("SIMPLE"),
        QStringLiteral("BITPIX"),
        QStringLiteral("NAXIS"),
        QStringLiteral("EXTEND"),
        QStringLiteral("END"),
        QStringLiteral("XTENSION"),
        QStringLiteral("PCOUNT"),
        QStringLiteral("GCOUNT"),
        QStringLiteral("COMMENT"),
        QStringLiteral("HISTORY"),
        QStringLiteral("CONTINUE"),
        QStringLiteral("TFIELDS"),
        QStringLiteral("THEAP"),
        QStringLiteral("ZIMAGE"),
        QStringLiteral("ZSIMPLE"),
        QStringLiteral("ZBITPIX"),
        QStringLiteral("ZNAXIS"),
        QStringLiteral("ZEXTEND"),
        QStringLiteral("ZBLOCKED"),
        QStringLiteral("ZTENSION"),
        QStringLiteral("ZPCOUNT"),
        QStringLiteral("ZGCOUNT"),
        QStringLiteral("ZCMPTYPE"),
        QStringLiteral("ZMASKCMP"),
        QStringLiteral("ZQUANTIZ"),
        QStringLiteral("ZDITHER0"),
        QStringLiteral("ZHECKSUM"),
        QStringLiteral("ZDATASUM"),
    };
    if (name.isEmpty() || exact.contains(name))
        return true;
    for (QLatin1String stem : { QLatin1String("NAXIS"), QLatin1String("ZNAXIS"), QLatin1String("ZTILE"),
             QLatin1String("ZNAME"), QLatin1String("ZVAL"), QLatin1String("TTYPE"), QLatin1String("TFORM"),
             QLatin1String("TDIM"), QLatin1String("TUNIT") }) {
        if (hasIndexSuffix(name, stem))
            return true;
    }
    return false;
}

QString fitsValueText(const QString& rawValue)
{
    const QString value = rawValue.trimmed();
    if (!value.startsWith(QLatin1Char('\'')))
        return value;
    QString text;
    for (int i = 1; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\'')) {
            if (i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\'')) {
                text.append(c);
                ++i;
                continue;
            }
            break;
        }
        text.append(c);
    }
    // FITS pads strings with trailing blanks; leading blanks are significant.
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

int appendFitsKeywords(fitsfile* file, FileKeywords& keywords)
{
    int status = 0;
    int count = 0;
    int more = 0;
    if (fits_get_hdrspace(file, &count, &more, &status))
        return status;
    QHash<QString, qsizetype> positions;
    for (qsizetype i = 0; i < keywords.size(); ++i)
        positions.insert(keywords.at(i).name, i);
    for (int n = 1; n <= count && keywords.size() < MaxKeywords; ++n) {
        char name[FLEN_KEYWORD] = {};
        char value[FLEN_VALUE] = {};
        char comment[FLEN_COMMENT] = {};
        if (fits_read_keyn(file, n, name, value, comment, &status))
            return status;
        const QString keyName = QString::fromLatin1(name).trimmed();
        if (isStructuralFitsKeyword(keyName))
            continue;
        QString text = fitsValueText(QString::fromLatin1(value));
        if (text.endsWith(QLatin1Char('&')) && value[0] == '\'')
            text = joinContinuedString(file, n, count, std::move(text));
        text.truncate(MaxValueLength);
        insertUnique(
            keywords, positions, FileKeyword { keyName, text, QString::fromLatin1(comment).trimmed() });
    }
    return 0;
}

} // namespace zelkir
