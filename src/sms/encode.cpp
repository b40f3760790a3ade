// velmora_encode, velmora_encode_data, velmora_count: text or data to the fewest PDUs.
#include <atomic>
#include <chrono>
#include <cstring>

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

velmora_error &reset(velmora_error *error, velmora_error &local) {
    velmora_error &e = error != nullptr ? *error : local;
    e = {VELMORA_OK, 0, "", 0};
    return e;
}

velmora_status encode(Payload payload, const char *payload_field, const velmora_submit_options *options,
                      velmora_pdu *pdus, std::size_t capacity, std::size_t *count, velmora_error *error) {
    velmora_error local;
    velmora_error &e = reset(error, local);
    if (count != nullptr)
        *count = 0;
    SubmitFields fields;
    Plan plan;
    Gsm7Codes codes;
    if (count == nullptr)
        fail(e, VELMORA_E_ARGUMENT, "count");
    else if (payload.bytes.data() == nullptr && !payload.bytes.empty())
        fail(e, VELMORA_E_ARGUMENT, payload_field);
    else if (pdus == nullptr && capacity != 0)
        fail(e, VELMORA_E_ARGUMENT, "pdus");
    else if (options == nullptr)
        fail(e, VELMORA_E_ARGUMENT, "options");
    else if (check_options(*options, payload.is_text, true, fields, e) &&
             plan_message(payload, fields, kMaxSendableBytes, plan, e, &codes) &&
             plan.parts > VELMORA_MAX_PARTS)
        fail(e, VELMORA_E_TOO_MANY_PARTS, payload_field, plan.overflow_at);
    if (e.status != VELMORA_OK)
        return e.status;

    *count = plan.parts;
    if (plan.parts > capacity) {
        fail(e, VELMORA_E_NO_ROOM, "pdus");
        return e.status;
    }
    std::uint16_t reference = 0;
    if (plan.parts > 1)
        reference = fields.reference >= 0 ? static_cast<std::uint16_t>(fields.reference) : next_reference();
    PartReader reader(payload, plan, &codes);
    PartUnits units;
    for (std::uint32_t part = 1; part <= plan.parts; ++part) {
        reader.next(units);
        write_part(fields, plan, part, reference, units, pdus[part - 1]);
    }
    return VELMORA_OK;
}

}  // namespace
}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" void velmora_submit_options_init(velmora_submit_options *options) {
    if (options == nullptr)
        return;
    std::memset(options, 0, sizeof *options);
    options->format = VELMORA_FORMAT_GSM;
    options->alphabet = VELMORA_ALPHABET_AUTO;
    options->reference_bits = 8;
    options->reference = -1;
    options->message_class = -1;
    options->validity = VELMORA_VALIDITY_DEFAULT;
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
    velmora_error &e = reset(error, local);
    velmora_submit_options defaults;
    velmora_submit_options_init(&defaults);
    SubmitFields fields;
    Plan plan;
    if (result == nullptr)
        fail(e, VELMORA_E_ARGUMENT, "result");
    else if (text == nullptr && length != 0)
        fail(e, VELMORA_E_ARGUMENT, "text");
    else if (length > kMaxCountedBytes)
        fail(e, VELMORA_E_ARGUMENT, "length");
    else if (check_options(options != nullptr ? *options : defaults, true, false, fields, e))
        plan_message({{text, length}, true}, fields, length, plan, e);
    if (e.status != VELMORA_OK)
        return e.status;
    *result = {plan.alphabet,         plan.language.locking,
               plan.language.shift,   plan.parts,
               plan.units_per_part,   plan.units_used,
               plan.units_per_part - plan.last_part_units};
    return VELMORA_OK;
}
