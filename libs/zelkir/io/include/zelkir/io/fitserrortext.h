#pragma once

#include <QString>

namespace zelkir {

/// cfitsio's short description of a status code, for messages.
QString fitsErrorText(int status);

} // namespace zelkir
