#pragma once

#include <QList>
#include <QString>

namespace zelkir {

/// One entry of a file's own header: a FITS card, or a text chunk of an image file.
/// `value` is display text: strings without their quotes, numbers as written, logicals
/// as "T" or "F".
struct FileKeyword
{
    QString name;
    QString value;
    QString comment;
};

using FileKeywords = QList<FileKeyword>;

/// The first entry named `name` (case-insensitive), or null when there is none.
const FileKeyword* findKeyword(const FileKeywords& keywords, const QString& name);

} // namespace zelkir
