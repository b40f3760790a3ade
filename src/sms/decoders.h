// SPDX-License-Identifier: Apache-2.0
// The two layouts a PDU can have, read into a cleared record.
#pragma once

#include "sms/cursor.h"
#include "velmora/sms.h"

namespace velmora::sms {

// 3GPP TS 23.040 SMS-DELIVER, SMS-SUBMIT and SMS-STATUS-REPORT, after the service-centre
// address unless `flags` has VELMORA_NO_SMSC.
bool decode_gsm(Cursor &cursor, unsigned flags, velmora_message &message);

// The compact 3GPP2 layouts: deliver (sender, time stamp) or submit (destination, callback
// number), then teleservice, priority, encoding and user data, with a user data header
// under teleservice 4101. `flags` choose the layout as velmora/sms.h describes.
bool decode_cdma(Cursor &cursor, unsigned flags, velmora_message &message);

// Flags the decoding calls take: known ones, at most one direction.
bool valid_decode_flags(unsigned flags);

// velmora_decode and velmora_decode_hex, logging each field read into `log` when given.
velmora_status decode_octets(const std::uint8_t *pdu, std::size_t length, unsigned flags, velmora_message *message,
                             velmora_error *error, FieldLog *log);
velmora_status decode_hex(const char *hex, std::size_t length, unsigned flags, velmora_message *message,
                          velmora_error *error, FieldLog *log);

}  // namespace velmora::sms
