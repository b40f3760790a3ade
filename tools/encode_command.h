// SPDX-License-Identifier: Apache-2.0
// velmora encode and velmora count: text (or data) to SMS-SUBMIT PDUs through libvelmora-sms.
#pragma once

#include "options.h"

namespace velmora::cli {

int run_encode(const CommandLine &line);
int run_count(const CommandLine &line);

}  // namespace velmora::cli
