// SPDX-License-Identifier: Apache-2.0
// +CMS ERROR codes from the words a modem gives for them in verbose mode (AT+CMEE=2).
#pragma once

#include <string_view>

namespace velmora::sms {

// The code whose TS 27.005 meaning `words` spell, in any case, "(U)SIM" written as "SIM",
// "USIM" or "(U)SIM"; -1 when none does.
int cms_error_code(std::string_view words);

}  // namespace velmora::sms
