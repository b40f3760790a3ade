// SPDX-License-Identifier: Apache-2.0
// decode --explain: the field map of a PDU as annotated hex, or as a JSON array.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "velmora/sms.h"

namespace velmora::cli {

// Decodes the PDU into `message` (as velmora_decode_hex does) and keeps its field map.
struct Explained {
    velmora_status status = VELMORA_OK;
    velmora_error error = VELMORA_ERROR_INIT;
    std::vector<velmora_field> fields;
};
Explained explain_pdu(std::string_view hex, unsigned flags, velmora_message &message);

// One field a line: octet offset, the octets (or the bits of a flag), name and meaning.
std::string annotated_hex(std::string_view hex, const std::vector<velmora_field> &fields);

// [{"name":..., "offset":..., "length":..., "bits":[first, count], "meaning":..., "error":true}, ...]
std::string fields_json(const std::vector<velmora_field> &fields);

}  // namespace velmora::cli
