// SPDX-License-Identifier: Apache-2.0
// velmora decode: PDUs from the arguments or standard input, printed one by one and
// put together into their concatenated messages.
#pragma once

#include "options.h"

namespace velmora::cli {

int run_decode(const CommandLine &line);

}  // namespace velmora::cli
