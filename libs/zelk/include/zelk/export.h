#pragma once

// Always default visibility, for the library and its users alike: the reference
// counter's type information must be one object across both.
#define ZELK_EXPORT __attribute__((visibility("default")))
