#pragma once

#include "documentmodel.h"

namespace zelkir {

/// Picks `unit` in the document's unit list, as the unit box does; false when it is not offered.
inline bool selectUnit(DocumentModel& document, DocumentModel::Unit unit)
{
    for (int index = 0; index < document.availableUnitStrings().size(); ++index) {
        document.setUnitIndex(index);
        if (document.unit() == unit)
            return true;
    }
    return false;
}

} // namespace zelkir
