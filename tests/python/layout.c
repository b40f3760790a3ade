/* SPDX-License-Identifier: Apache-2.0 */
/* Prints the layout of the structs of velmora/sms.h, "struct member offset size" per
 * line and "struct - 0 sizeof" per struct, for the Python package's ctypes mirror to
 * be compared against what the C compiler made of the header. */
#include <stddef.h>
#include <stdio.h>

#include "velmora/sms.h"

#define SIZE(s) printf(#s " - 0 %zu\n", sizeof(s))
#define M(s, m) printf(#s " " #m " %zu %zu\n", offsetof(s, m), sizeof(((s *)0)->m))

int main(void) {
    SIZE(velmora_error); M(velmora_error, size); M(velmora_error, status); M(velmora_error, offset); M(velmora_error, field);
    M(velmora_error, code_point);
    SIZE(velmora_address); M(velmora_address, text); M(velmora_address, type); M(velmora_address, ton);
    M(velmora_address, npi); M(velmora_address, length);
    SIZE(velmora_time); M(velmora_time, year); M(velmora_time, month); M(velmora_time, day); M(velmora_time, hour);
    M(velmora_time, minute); M(velmora_time, second); M(velmora_time, has_utc_offset); M(velmora_time, utc_offset);
    SIZE(velmora_waiting); M(velmora_waiting, kind); M(velmora_waiting, active); M(velmora_waiting, store);
    M(velmora_waiting, count);
    SIZE(velmora_element); M(velmora_element, iei); M(velmora_element, length); M(velmora_element, offset);
    SIZE(velmora_message); M(velmora_message, size); M(velmora_message, present); M(velmora_message, format); M(velmora_message, type);
    M(velmora_message, first_octet); M(velmora_message, more_messages); M(velmora_message, loop_prevention);
    M(velmora_message, reject_duplicates); M(velmora_message, reply_path); M(velmora_message, udhi);
    M(velmora_message, status_report); M(velmora_message, status_report_qualifier);
    M(velmora_message, message_reference); M(velmora_message, pid); M(velmora_message, smsc);
    M(velmora_message, originator); M(velmora_message, recipient); M(velmora_message, dcs);
    M(velmora_message, alphabet); M(velmora_message, message_class); M(velmora_message, compressed);
    M(velmora_message, auto_delete); M(velmora_message, dcs_waiting); M(velmora_message, timestamp);
    M(velmora_message, discharge_time); M(velmora_message, validity_format); M(velmora_message, validity_single_shot);
    M(velmora_message, validity_raw); M(velmora_message, validity_seconds); M(velmora_message, validity_until);
    M(velmora_message, status); M(velmora_message, status_category); M(velmora_message, parameter_indicator);
    M(velmora_message, teleservice); M(velmora_message, priority); M(velmora_message, user_data_length);
    M(velmora_message, reference_bits); M(velmora_message, reference); M(velmora_message, part);
    M(velmora_message, parts); M(velmora_message, port_bits); M(velmora_message, destination_port);
    M(velmora_message, source_port); M(velmora_message, locking_shift); M(velmora_message, single_shift);
    M(velmora_message, special); M(velmora_message, udh_length); M(velmora_message, element_count);
    M(velmora_message, text_length); M(velmora_message, data_length); M(velmora_message, udh);
    M(velmora_message, elements); M(velmora_message, text); M(velmora_message, data);
    M(velmora_message, warnings); M(velmora_message, first_warning); M(velmora_message, warning_offset);
    M(velmora_message, warning_field); M(velmora_message, timestamp_raw); M(velmora_message, discharge_time_raw);
    SIZE(velmora_submit_options); M(velmora_submit_options, size); M(velmora_submit_options, to); M(velmora_submit_options, to_type);
    M(velmora_submit_options, smsc); M(velmora_submit_options, from); M(velmora_submit_options, from_type);
    M(velmora_submit_options, format); M(velmora_submit_options, alphabet); M(velmora_submit_options, languages);
    M(velmora_submit_options, message_reference); M(velmora_submit_options, reference_bits);
    M(velmora_submit_options, reference); M(velmora_submit_options, status_report);
    M(velmora_submit_options, reject_duplicates); M(velmora_submit_options, reply_path);
    M(velmora_submit_options, message_class); M(velmora_submit_options, pid); M(velmora_submit_options, validity);
    M(velmora_submit_options, validity_minutes); M(velmora_submit_options, validity_until);
    M(velmora_submit_options, port_bits); M(velmora_submit_options, destination_port);
    M(velmora_submit_options, source_port);
    SIZE(velmora_pdu); M(velmora_pdu, size); M(velmora_pdu, hex); M(velmora_pdu, hex_length); M(velmora_pdu, tpdu_length);
    SIZE(velmora_count_result); M(velmora_count_result, size); M(velmora_count_result, alphabet); M(velmora_count_result, locking_shift);
    M(velmora_count_result, single_shift); M(velmora_count_result, parts); M(velmora_count_result, units_per_part);
    M(velmora_count_result, units_used); M(velmora_count_result, units_left);
    SIZE(velmora_reassembly); M(velmora_reassembly, size); M(velmora_reassembly, capacity);
    M(velmora_reassembly, storage);
    SIZE(velmora_group); M(velmora_group, size); M(velmora_group, slot); M(velmora_group, generation);
    M(velmora_group, parts); M(velmora_group, present);
    M(velmora_group, reference_bits); M(velmora_group, reference); M(velmora_group, first_time);
    M(velmora_group, have);
    SIZE(velmora_modem_reader); M(velmora_modem_reader, size); M(velmora_modem_reader, flags);
    M(velmora_modem_reader, line); M(velmora_modem_reader, line_length); M(velmora_modem_reader, at);
    M(velmora_modem_reader, index); M(velmora_modem_reader, length); M(velmora_modem_reader, read_index);
    M(velmora_modem_reader, stat); M(velmora_modem_reader, response); M(velmora_modem_reader, in_text_listing);
    M(velmora_modem_reader, text_mode_told);
    SIZE(velmora_modem_entry); M(velmora_modem_entry, size); M(velmora_modem_entry, kind);
    M(velmora_modem_entry, response); M(velmora_modem_entry, storage); M(velmora_modem_entry, index);
    M(velmora_modem_entry, length); M(velmora_modem_entry, message_reference); M(velmora_modem_entry, cms_error);
    return 0;
}
