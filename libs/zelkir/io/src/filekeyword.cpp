#include <zelkir/io/filekeyword.h>

namespace zelkir {

const FileKeyword* findKeyword(const FileKeywords& keywords, const QString& name)
{
    for (const FileKeyword& keyword : keywords) {
        if (keyword.name.compare(name, Qt::CaseInsensitive) == 0)
            return &keyword;
    }
    return nullptr;
}

} // namespace zelkir
