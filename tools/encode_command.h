// velmora encode and velmora count: text (or data) to SMS-SUBMIT PDUs through libvelmora-sms.
#pragma once

#include "options.h"

namespace velmora::cli {

int run_encode(const EncodeOptions &options);
int run_count(const EncodeOptions &options, bool json);

}  // namespace velmora::cli
