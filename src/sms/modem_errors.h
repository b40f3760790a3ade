// SPDX-License-Identifier: Apache-2.0
// +CMS ERROR codes from the words a modem gives for them in verbose mode (AT+CMEE=2), and
// the comparison of a modem's words in either case.
#pragma once

#include <string_view>

namespace velmora::sms {

// `text` begins with `prefix`, letters in either case.
bool starts_any_case(std::string_view text, std::string_view prefix);

// The code whose TS 27.005 meaning `words` spell, in any case, "(U)SIM" written as "SIM",
// "USIM" or "(U)SIM"; -1 when none does.
int cms_error_code(std::string_view words);

}  // namespace velmora::sms
