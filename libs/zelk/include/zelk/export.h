#pragma once

#if defined(ZELK_BUILDING_LIBRARY)
#define ZELK_EXPORT __attribute__((visibility("default")))
#else
#define ZELK_EXPORT
#endif
