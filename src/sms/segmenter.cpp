// The alphabet of a message and where its parts end (3GPP TS 23.040 9.2.3.24.1,
// TS 23.038 6.2.1.2.4).
#include <cstring>

#include "codec/user_data_header.h"
#include "codec/utf8.h"
#include "sms/submit.h"

namespace velmora::sms {
namespace {

constexpr std::uint32_t kUserDataOctets = 140;
constexpr std::uint32_t kUserDataSeptets = 160;

// Units of user data beside a header of `header` octets (UDHL included; 0: none).
std::uint32_t capacity(std::uint8_t alphabet, std::size_t header) {
    switch (alphabet) {
    case VELMORA_ALPHABET_GSM7:
        return kUserDataSeptets - (header != 0 ? header_units(static_cast<std::uint32_t>(header - 1), LengthUnit::Septets) : 0);
    case VELMORA_ALPHABET_UCS2:
        return static_cast<std::uint32_t>(kUserDataOctets - header) / 2;
    default:
        return static_cast<std::uint32_t>(kUserDataOctets - header);
    }
}

// Counts the units of a message and cuts them: one part when they all fit beside the
// header of a lone part, else parts that each take characters while the next fits whole.
class Cutter {
public:
    Cutter(std::uint8_t alphabet, Gsm7Language language, const SubmitFields &fields) {
        plan_.alphabet = alphabet;
        plan_.language = language;
        Plan shape = plan_;
        single_ = capacity(alphabet, header_octets(header_content(fields, shape, 1, 0)));
        shape.parts = 2;
        multi_ = capacity(alphabet, header_octets(header_content(fields, shape, 1, 0)));
    }

    void add(std::uint32_t width, std::size_t offset) {
        total_ += width;
        if (used_ + width > multi_)
            next_part(offset);
        used_ += width;
    }

    // `count` characters of one unit and one byte each, from `offset` on.
    void add_ones(std::uint32_t count, std::size_t offset) {
        total_ += count;
        while (count != 0) {
            if (used_ == multi_)
                next_part(offset);
            const std::uint32_t taken = std::min(count, multi_ - used_);
            used_ += taken, count -= taken, offset += taken;
        }
    }

    Plan plan() const {
        Plan plan = plan_;
        const bool single = total_ <= single_;
        plan.parts = single ? 1 : parts_;
        plan.units_per_part = single ? single_ : multi_;
        plan.units_used = total_;
        plan.last_part_units = single ? total_ : used_;
        return plan;
    }

private:
    void next_part(std::size_t offset) {
        if (++parts_ == VELMORA_MAX_PARTS + 1)
            plan_.overflow_at = offset;
        used_ = 0;
    }

    Plan plan_;
    std::uint32_t single_ = 0, multi_ = 0;
    std::uint32_t total_ = 0, parts_ = 1, used_ = 0;
};

// Visits each character (each octet of data) up to the scan limit: fn(offset, bytes,
// code point) returns false to stop. Fails on a byte that is not UTF-8.
template <class Visit>
bool each_character(Payload payload, std::size_t limit, velmora_error &error, Visit &&visit) {
    const std::string_view bytes = payload.bytes;
    const std::size_t end = std::min(bytes.size(), limit);
    for (std::size_t at = 0; at < end;) {
        char32_t cp = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 1;
        if (payload.is_text && cp >= 0x80 && (length = next_utf8(bytes, at, cp)) == 0)
            return fail(error, VELMORA_E_INVALID_UTF8, "text", at);
        if (!visit(at, static_cast<std::uint32_t>(length), cp))
            return true;
        at += length;
    }
    return true;
}

// One pass for the choices without national tables: the default alphabet (while every
// character is in it), UCS-2 and octets.
struct Census {
    Cutter gsm7, ucs2, octets;
    bool gsm7_fits = true;
    std::size_t unencodable_at = 0;
    char32_t unencodable = 0;
};

// The ASCII characters from `at` on (at most `max` of them) that the locking table holds,
// their codes written to `codes` when given.
std::uint32_t ascii_run(std::string_view bytes, std::size_t at, std::size_t max,
                        const Gsm7AsciiCodes::value_type &table, std::uint8_t *codes) {
    const std::size_t n = std::min(bytes.size() - at, max);
    const auto *in = reinterpret_cast<const std::uint8_t *>(bytes.data()) + at;
    std::size_t i = 0;
    for (; i < n && in[i] < 0x80 && table[in[i]] != kGsm7NoCode; ++i)
        if (codes != nullptr)
            codes[i] = table[in[i]];
    return static_cast<std::uint32_t>(i);
}

bool take_census(Payload payload, std::size_t limit, Census &census, velmora_error &error) {
    const std::string_view bytes = payload.bytes;
    const std::size_t end = std::min(bytes.size(), limit);
    if (!payload.is_text) {
        census.octets.add_ones(static_cast<std::uint32_t>(end), 0);
        return true;
    }
    for (std::size_t at = 0; at < end;) {
        // Most text is a run of ASCII characters that take one unit in every alphabet.
        if (const std::uint32_t run = ascii_run(bytes, at, end - at, kGsm7LockingAscii[0], nullptr); run != 0) {
            if (census.gsm7_fits)
                census.gsm7.add_ones(run, at);
            census.ucs2.add_ones(run, at), census.octets.add_ones(run, at);
            at += run;
            continue;
        }
        char32_t cp = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 1;
        if (cp >= 0x80 && (length = next_utf8(bytes, at, cp)) == 0)
            return fail(error, VELMORA_E_INVALID_UTF8, "text", at);
        if (census.gsm7_fits) {
            const Gsm7Code code = gsm7_code(cp, {});
            if (code.septets != 0) {
                census.gsm7.add(code.septets, at);
            } else {
                census.gsm7_fits = false;
                census.unencodable_at = at, census.unencodable = cp;
            }
        }
        census.ucs2.add(utf16_units(cp), at);
        census.octets.add(static_cast<std::uint32_t>(length), at);
        at += length;
    }
    return true;
}

// Among the pairs of locking and single shift tables of the allowed languages (the
// default ones included) that hold every character, the pair giving the fewest parts, then
// the most room left in the last part, then the lowest identifiers.
std::optional<Plan> national_plan(Payload payload, const SubmitFields &fields, std::size_t limit,
                                  std::size_t &unencodable_at, char32_t &unencodable, velmora_error &error) {
    std::uint16_t locking_allowed = 1, shift_allowed = 1;
    for (std::uint32_t language = 1; language < VELMORA_LANGUAGE_COUNT; ++language)
        if (fields.languages & VELMORA_LANGUAGE_BIT(language)) {
            shift_allowed |= static_cast<std::uint16_t>(VELMORA_LANGUAGE_BIT(language));
            if (has_locking_table(language))
                locking_allowed |= static_cast<std::uint16_t>(VELMORA_LANGUAGE_BIT(language));
        }
    // feasible[l]: the single shift tables that can go with locking table l.
    std::array<std::uint16_t, VELMORA_LANGUAGE_COUNT> feasible{};
    for (std::uint32_t l = 0; l < VELMORA_LANGUAGE_COUNT; ++l)
        if (locking_allowed >> l & 1)
            feasible[l] = shift_allowed;
    bool any = true;
    each_character(payload, limit, error, [&](std::size_t at, std::uint32_t, char32_t cp) {
        const Gsm7Presence presence = gsm7_presence(cp);
        std::uint16_t left = 0;
        for (std::uint32_t l = 0; l < VELMORA_LANGUAGE_COUNT; ++l) {
            if (!(presence.locking >> l & 1))
                feasible[l] &= presence.shift;
            left |= feasible[l];
        }
        if (left == 0)
            unencodable_at = at, unencodable = cp, any = false;
        return any;
    });
    if (!any)
        return std::nullopt;

    std::optional<Plan> best;
    for (std::uint32_t l = 0; l < VELMORA_LANGUAGE_COUNT; ++l)
        for (std::uint32_t s = 0; s < VELMORA_LANGUAGE_COUNT; ++s) {
            if (!(feasible[l] >> s & 1))
                continue;
            const Gsm7Language language{static_cast<std::uint8_t>(l), static_cast<std::uint8_t>(s)};
            Cutter cutter(VELMORA_ALPHABET_GSM7, language, fields);
            each_character(payload, limit, error, [&](std::size_t at, std::uint32_t, char32_t cp) {
                cutter.add(gsm7_code(cp, language).septets, at);
                return true;
            });
            const Plan plan = cutter.plan();
            const auto room = [](const Plan &p) { return p.units_per_part - p.last_part_units; };
            if (!best || plan.parts < best->parts || (plan.parts == best->parts && room(plan) > room(*best)))
                best = plan;
        }
    return best;
}

}  // namespace

bool plan_message(Payload payload, const SubmitFields &fields, std::size_t scan_limit, Plan &plan,
                  velmora_error &error) {
    Census census{Cutter(VELMORA_ALPHABET_GSM7, {}, fields), Cutter(VELMORA_ALPHABET_UCS2, {}, fields),
                  Cutter(VELMORA_ALPHABET_8BIT, {}, fields)};
    if (!take_census(payload, scan_limit, census, error))
        return false;
    if (!payload.is_text || fields.alphabet == VELMORA_ALPHABET_8BIT) {
        plan = census.octets.plan();
        return true;
    }
    if (fields.alphabet == VELMORA_ALPHABET_UCS2) {
        plan = census.ucs2.plan();
        return true;
    }
    if (census.gsm7_fits) {
        plan = census.gsm7.plan();
        return true;
    }
    if (fields.languages != 0 && fields.format == VELMORA_FORMAT_GSM) {
        if (const auto national =
                national_plan(payload, fields, scan_limit, census.unencodable_at, census.unencodable, error)) {
            plan = *national;
            return true;
        }
    }
    if (fields.alphabet == VELMORA_ALPHABET_AUTO) {
        plan = census.ucs2.plan();
        return true;
    }
    return fail(error, VELMORA_E_UNENCODABLE, "text", census.unencodable_at, census.unencodable);
}

void PartReader::next(PartUnits &units) {
    units.length = units.units = 0;
    const std::string_view bytes = payload_.bytes;
    while (at_ < bytes.size()) {
        if (plan_.alphabet == VELMORA_ALPHABET_GSM7) {  // ASCII characters of the locking table, one code each
            const std::uint32_t run = ascii_run(bytes, at_, plan_.units_per_part - units.units,
                                                kGsm7LockingAscii[plan_.language.locking],
                                                units.octets.data() + units.length);
            at_ += run, units.units += run, units.length += run;
            if (at_ == bytes.size())
                return;
        }
        char32_t cp = static_cast<unsigned char>(bytes[at_]);
        std::size_t length = 1;
        if (payload_.is_text && cp >= 0x80)
            length = next_utf8(bytes, at_, cp);
        std::uint8_t *out = units.octets.data() + units.length;
        std::uint32_t width;
        switch (plan_.alphabet) {
        case VELMORA_ALPHABET_GSM7: {
            const Gsm7Code code = gsm7_code(cp, plan_.language);
            width = code.septets;
            if (units.units + width > plan_.units_per_part)
                return;
            if (width == 2)
                *out++ = kGsm7Escape;
            *out = code.code;
            units.length += width;
            break;
        }
        case VELMORA_ALPHABET_UCS2:
            width = utf16_units(cp);
            if (units.units + width > plan_.units_per_part)
                return;
            units.length += static_cast<std::uint32_t>(put_utf16be(cp, out));
            break;
        default:
            width = static_cast<std::uint32_t>(length);
            if (units.units + width > plan_.units_per_part)
                return;
            std::memcpy(out, bytes.data() + at_, length);
            units.length += width;
            break;
        }
        units.units += width;
        at_ += length;
    }
}

}  // namespace velmora::sms
