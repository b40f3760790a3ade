// SPDX-License-Identifier: Apache-2.0
// velmora_encode, velmora_encode_data, velmora_count: text or data to the fewest PDUs.
#include <atomic>
#include <chrono>
#include <cstring>

#include "sms/abi.h"
#include "sms/submit.h"

namespace velmora::sms {
namespace {

// Counting reads every byte; lengths up to this keep every unit count within 32 bits.
constexpr std::size_t kMaxCountedBytes = 0x7FFFFFFF;

// The library's concatenation reference: one step for each concatenated message whose
// reference the caller leaves open, from a start taken from the clock, so that a new
// process does not repeat the references of the last one. Both widths take its low bits.
std::uint16_t next_reference() {
    static std::atomic<std::uint32_t> counter{[] {
        const auto now = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
        return static_cast<std::uint32_t>((now * 0x9E3779B97F4A7C15u) >> 40);
    }()};
    return static_cast<std::uint16_t>(counter.fetch_add(1, std::memory_order_relaxed));
}

velmora_submit_options defaults() {
    velmora_submit_options options;
    velmora_submit_options_init(&options);
    return options;
}

// The caller's options, members its release lacks at their defaults; nullopt when the
// caller's struct is smaller than the first release's.
std::optional<velmora_submit_options> options_of(const velmora_submit_options &caller) {
    if (!sized(&caller, kFirstOptionsSize))
        return std::nullopt;
    velmora_submit_options options = defaults();
    read_prefix(caller, options);
    return options;
}

velmora_status encode(Payload payload, const char *payload_field, const velmora_submit_options *caller_options,
                      velmora_pdu *pdus, std::size_t capacity, std::size_t *count, velmora_error *error) {
    velmora_error local;
    velmora_error *e = error_record(error, local);
    if (e == nullptr)
        return VELMORA_E_ARGUMENT;
    if (count != nullptr)
        *count = 0;
    SubmitFields fields;
    Plan plan;
    const auto options = caller_options != nullptr ? options_of(*caller_options) : std::nullopt;
    Gsm7Codes codes;
    if (count == nullptr)
        fail(*e, VELMORA_E_ARGUMENT, "count");
    else if (payload.bytes.data() == nullptr && !payload.bytes.empty())
        fail(*e, VELMORA_E_ARGUMENT, payload_field);
    else if (capacity != 0 && !sized(pdus, kFirstPduSize))
        fail(*e, VELMORA_E_ARGUMENT, "pdus");
    else if (!options)
        fail(*e, VELMORA_E_ARGUMENT, "options");
    else if (check_options(*options, payload.is_text, true, fields, *e) &&
             plan_message(payload, fields, kMaxSendableBytes, plan, *e, &codes) && plan.parts > VELMORA_MAX_PARTS)
        fail(*e, VELMORA_E_TOO_MANY_PARTS, payload_field, plan.overflow_at);
    if (e->status != VELMORA_OK)
        return e->status;

    *count = plan.parts;
    if (plan.parts > capacity) {
        fail(*e, VELMORA_E_NO_ROOM, "pdus");
        return e->status;
    }
    std::uint16_t reference = 0;
    if (plan.parts > 1)
        reference = fields.reference >= 0 ? static_cast<std::uint16_t>(fields.reference) : next_reference();
    PartReader reader(payload, plan, &codes);
    PartUnits units;
    const std::uint32_t stride = pdus[0].size;
    for (std::uint32_t part = 1; part <= plan.parts; ++part) {
        reader.next(units);
        velmora_pdu &caller = element(pdus, part - 1, stride);
        if (caller.size >= sizeof(velmora_pdu)) {
            write_part(fields, plan, part, reference, units, caller);
        } else {
            velmora_pdu whole;
            write_part(fields, plan, part, reference, units, whole);
            caller.size = stride;
            write_prefix(whole, caller);
        }
    }
    return VELMORA_OK;
}

}  // namespace
}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" void(velmora_submit_options_init)(velmora_submit_options *options, std::size_t size) {
    velmora_submit_options defaults{};
    defaults.format = VELMORA_FORMAT_GSM;
    defaults.alphabet = VELMORA_ALPHABET_AUTO;
    defaults.reference_bits = 8;
    defaults.reference = -1;
    defaults.message_class = -1;
    defaults.validity = VELMORA_VALIDITY_DEFAULT;
    init_struct(options, size, defaults);
}

extern "C" velmora_status velmora_encode(const char *text, std::size_t length, const velmora_submit_options *options,
                                         velmora_pdu *pdus, std::size_t capacity, std::size_t *count,
                                         velmora_error *error) {
    return encode({{text, length}, true}, "text", options, pdus, capacity, count, error);
}

extern "C" velmora_status velmora_encode_data(const std::uint8_t *data, std::size_t length,
                                              const velmora_submit_options *options, velmora_pdu *pdus,
                                              std::size_t capacity, std::size_t *count, velmora_error *error) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), length);
    return encode({bytes, false}, "data", options, pdus, capacity, count, error);
}

extern "C" velmora_status velmora_count(const char *text, std::size_t length, const velmora_submit_options *options,
                                        velmora_count_result *result, velmora_error *error) {
    velmora_error local;
    velmora_error *e = error_record(error, local);
    if (e == nullptr)
        return VELMORA_E_ARGUMENT;
    const auto checked_options = options != nullptr ? options_of(*options) : std::optional(defaults());
    SubmitFields fields;
    Plan plan;
    if (!sized(result, kFirstCountResultSize))
        fail(*e, VELMORA_E_ARGUMENT, "result");
    else if (text == nullptr && length != 0)
        fail(*e, VELMORA_E_ARGUMENT, "text");
    else if (length > kMaxCountedBytes)
        fail(*e, VELMORA_E_ARGUMENT, "length");
    else if (!checked_options)
        fail(*e, VELMORA_E_ARGUMENT, "options");
    else if (check_options(*checked_options, true, false, fields, *e))
        plan_message({{text, length}, true}, fields, length, plan, *e);
    if (e->status != VELMORA_OK)
        return e->status;
    const velmora_count_result counted = {sizeof counted,          plan.alphabet,
                                          plan.language.locking,   plan.language.shift,
                                          plan.parts,              plan.units_per_part,
                                          plan.units_used,         plan.units_per_part - plan.last_part_units};
    write_prefix(counted, *result);
    return VELMORA_OK;
}
