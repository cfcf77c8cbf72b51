// The four fonts the program carries (resource numbers 138, 139, 142, 143),
// linked in at build time.
#pragma once

#include <cstddef>
#include <cstdint>

// The bytes of the carried font |resource|; false for an unknown number.
bool FindCarriedFont(int32_t resource, const uint8_t** data, size_t* size);
