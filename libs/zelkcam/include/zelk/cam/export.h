#pragma once

// Always default visibility: the interface classes' type information must be one
// object across the library and its users, or dynamic casts between them fail.
#define ZELKCAM_EXPORT __attribute__((visibility("default")))
