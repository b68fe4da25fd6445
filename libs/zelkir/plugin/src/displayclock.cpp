#include "displayclock.h"

namespace zelkir {

DisplayClock::~DisplayClock() = default;

} // namespace zelkir
