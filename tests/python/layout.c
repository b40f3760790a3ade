/* SPDX-License-Identifier: Apache-2.0 */
/* Prints the layout of the structs of velmora/sms.h, "struct member offset size" per
 * line and "struct - 0 sizeof" per struct, for the Python package's ctypes mirror to
 * be compared against what the C compiler made of the header. */
#include <stddef.h>
#include <stdio.h>

#include "velmora/sms.h"

/* S is the struct of the block it stands in, named n. */
#define STRUCT(s) { typedef s S; const char *n = #s; printf("%s - 0 %zu\n", n, sizeof(S));
#define M(m) printf("%s " #m " %zu %zu\n", n, offsetof(S, m), sizeof(((S *)0)->m));

int main(void) {
    STRUCT(velmora_error) M(size) M(status) M(offset) M(field) M(code_point) }
    STRUCT(velmora_address) M(text) M(type) M(ton) M(npi) M(length) }
    STRUCT(velmora_time) M(year) M(month) M(day) M(hour) M(minute) M(second) M(has_utc_offset) M(utc_offset) }
    STRUCT(velmora_waiting) M(kind) M(active) M(store) M(count) }
    STRUCT(velmora_element) M(iei) M(length) M(offset) }
    STRUCT(velmora_message) M(size) M(present) M(format) M(type) M(first_octet) M(more_messages) M(loop_prevention)
        M(reject_duplicates) M(reply_path) M(udhi) M(status_report) M(status_report_qualifier) M(message_reference)
        M(pid) M(smsc) M(originator) M(recipient) M(dcs) M(alphabet) M(message_class) M(compressed) M(auto_delete)
        M(dcs_waiting) M(timestamp) M(discharge_time) M(validity_format) M(validity_single_shot) M(validity_raw)
        M(validity_seconds) M(validity_until) M(status) M(status_category) M(parameter_indicator) M(teleservice)
        M(priority) M(user_data_length) M(reference_bits) M(reference) M(part) M(parts) M(port_bits)
        M(destination_port) M(source_port) M(locking_shift) M(single_shift) M(special) M(udh_length) M(element_count)
        M(text_length) M(data_length) M(udh) M(elements) M(text) M(data) M(warnings) M(first_warning)
        M(warning_offset) M(warning_field) M(timestamp_raw) M(discharge_time_raw) }
    STRUCT(velmora_submit_options) M(size) M(to) M(to_type) M(smsc) M(from) M(from_type) M(format) M(alphabet)
        M(languages) M(message_reference) M(reference_bits) M(reference) M(status_report) M(reject_duplicates)
        M(reply_path) M(message_class) M(pid) M(validity) M(validity_minutes) M(validity_until) M(port_bits)
        M(destination_port) M(source_port) }
    STRUCT(velmora_pdu) M(size) M(hex) M(hex_length) M(tpdu_length) }
    STRUCT(velmora_count_result) M(size) M(alphabet) M(locking_shift) M(single_shift) M(parts) M(units_per_part)
        M(units_used) M(units_left) }
    STRUCT(velmora_reassembly) M(size) M(capacity) M(storage) }
    STRUCT(velmora_group) M(size) M(slot) M(generation) M(parts) M(present) M(reference_bits) M(reference)
        M(first_time) M(have) }
    STRUCT(velmora_modem_reader) M(size) M(flags) M(line) M(line_length) M(at) M(index) M(length) M(read_index)
        M(stat) M(response) M(in_text_listing) M(text_mode_told) }
    STRUCT(velmora_modem_entry) M(size) M(kind) M(response) M(storage) M(index) M(length) M(message_reference)
        M(cms_error) M(pdu) M(pdu_length) M(decode_flags) M(cms_error_words) M(cms_error_words_length) }
    return 0;
}
