// SPDX-License-Identifier: Apache-2.0
// Septet packing with the trace of the octets before and after.
#pragma once

#include <cstdint>

namespace velmora::compat {

// velmora::encode7, tracing the codes before and the packed octets after a packing that fits.
std::uint32_t encode7(const unsigned char *codes, std::uint32_t count, unsigned char *out, std::uint32_t cap,
                      std::uint32_t fill, int debug);

}  // namespace velmora::compat
