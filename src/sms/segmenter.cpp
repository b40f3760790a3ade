// SPDX-License-Identifier: Apache-2.0
// The alphabet of a message and where its parts end (3GPP TS 23.040 9.2.3.24.1,
// TS 23.038 6.2.1.2.4).
#include <bit>
#include <cstring>
#include <optional>
#include <span>

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

// The codes a part of `per_part` septets takes from `at` on: all that are left when they
// fit, else as many as fit without parting an escape from its code.
std::uint32_t codes_in_part(const Gsm7Codes &codes, std::uint32_t at, std::uint32_t per_part) {
    const std::uint32_t left = codes.length - at;
    if (left <= per_part)
        return left;
    return codes.codes[at + per_part - 1] == kGsm7Escape ? per_part - 1 : per_part;
}

// Units of a lone part and of each part of a concatenated message, beside their headers.
struct PartRoom {
    std::uint32_t single, multi;
};

PartRoom part_room(std::uint8_t alphabet, Gsm7Language language, const SubmitFields &fields) {
    Plan shape;
    shape.alphabet = alphabet;
    shape.language = language;
    PartRoom room;
    room.single = capacity(alphabet, header_octets(header_content(fields, shape, 1, 0)));
    shape.parts = 2;
    room.multi = capacity(alphabet, header_octets(header_content(fields, shape, 1, 0)));
    return room;
}

// Counts the units of a message and cuts them: one part when they all fit beside the
// header of a lone part, else parts that each take characters while the next fits whole.
class Cutter {
public:
    Cutter(std::uint8_t alphabet, Gsm7Language language, const SubmitFields &fields) {
        plan_.alphabet = alphabet;
        plan_.language = language;
        const PartRoom room = part_room(alphabet, language, fields);
        single_ = room.single, multi_ = room.multi;
    }

    // Units of a lone part, and of each part of a concatenated message.
    std::uint32_t single_part_units() const { return single_; }
    std::uint32_t multi_part_units() const { return multi_; }

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

    // The same cut of a text's default-alphabet codes, one step a part.
    void cut_codes(const Gsm7Codes &codes) {
        total_ = codes.length;
        std::uint32_t at = 0;
        for (; total_ - at > multi_; ++parts_)
            at += codes_in_part(codes, at, multi_);
        used_ = total_ - at;
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

// The choices without national tables: the default alphabet (while every character is
// in it), UCS-2 and octets, each worked out only where the choice may fall on it.
struct Census {
    Cutter gsm7, octets;
    bool octets_wanted;  // text is cut into octets only when 8-bit is asked for
    Gsm7Codes *codes;    // a short text's default-alphabet codes, when given
    bool gsm7_fits = true;
    std::size_t unencodable_at = 0;
    char32_t unencodable = 0;
};

// UCS-2 parts as the UTF-16 writer fills them, which checks the text's UTF-8 on the way.
bool ucs2_plan(std::string_view bytes, std::size_t end, const SubmitFields &fields, Plan &plan,
               velmora_error &error) {
    const Cutter capacity(VELMORA_ALPHABET_UCS2, {}, fields);
    std::array<std::uint8_t, 2 * 70 + kUtf16Slack> scratch;
    const std::string_view text = bytes.substr(0, std::min(bytes.size(), end + 3));  // and a character
    plan = {};
    plan.alphabet = VELMORA_ALPHABET_UCS2;
    plan.parts = 0;
    std::size_t at = 0, units = 0;
    // A code unit takes at most three bytes: a longer text cannot be a lone part.
    bool lone = end <= 3 * std::size_t{capacity.single_part_units()};
    for (std::uint32_t per_part = lone ? capacity.single_part_units() : capacity.multi_part_units();
         at < end || plan.parts == 0;) {
        if (++plan.parts == VELMORA_MAX_PARTS + 1)
            plan.overflow_at = at;
        at += utf8_to_utf16be(text.substr(at), per_part, scratch.data(), units);
        char32_t cp;
        if (at < end && next_utf8(text, at, cp) == 0)
            return fail(error, VELMORA_E_INVALID_UTF8, "text", at);
        plan.units_per_part = per_part;
        plan.units_used += static_cast<std::uint32_t>(units);
        plan.last_part_units = static_cast<std::uint32_t>(units);
        if (lone && at < end) {  // more than a lone part holds: cut again beside a larger header
            lone = false;
            plan.parts = 0, plan.units_used = 0, at = 0;
            per_part = capacity.multi_part_units();
        }
    }
    return true;
}

// Where writing a text's codes stopped: at its end (kDone), at a character the tables
// lack, or at bytes that are not UTF-8.
struct CodesEnd {
    enum Reason { kDone, kUnencodable, kNotUtf8 } reason = kDone;
    std::size_t at = 0;
    char32_t cp = 0;
};

// The codes of a text in the tables of `language`, ESC before each shift code; `codes` has
// room for two a byte.
CodesEnd write_codes(std::string_view bytes, Gsm7Language language, Gsm7Codes &codes) {
    std::size_t written = 0;
    const std::size_t at =
        utf8_to_gsm7({reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()}, language, codes.codes.data(), written);
    codes.length = static_cast<std::uint32_t>(written);
    char32_t cp = 0;
    if (at == bytes.size())
        return {};
    if (next_utf8(bytes, at, cp) == 0)
        return {CodesEnd::kNotUtf8, at, 0};
    return {CodesEnd::kUnencodable, at, cp};
}

// The census of a text whose codes fit `codes`, when octets are not wanted: the codes in
// one pass, the cut worked out from them after.
bool census_of_codes(std::string_view bytes, Gsm7Codes &codes, Census &census, velmora_error &error) {
    const CodesEnd stop = write_codes(bytes, {}, codes);
    if (stop.reason == CodesEnd::kNotUtf8)
        return fail(error, VELMORA_E_INVALID_UTF8, "text", stop.at);
    census.codes = &codes;
    if (stop.reason == CodesEnd::kUnencodable) {
        census.gsm7_fits = false;
        census.unencodable_at = stop.at, census.unencodable = stop.cp;
    } else {
        census.gsm7.cut_codes(codes);
    }
    return true;
}

bool take_census(Payload payload, const SubmitFields &fields, std::size_t limit, Census &census,
                 velmora_error &error) {
    const std::string_view bytes = payload.bytes;
    const std::size_t end = std::min(bytes.size(), limit);
    if (!payload.is_text) {
        census.octets.add_ones(static_cast<std::uint32_t>(end), 0);
        return true;
    }
    census.gsm7_fits = fields.alphabet != VELMORA_ALPHABET_UCS2;
    // Every character takes a byte or more and two septets at most: a short text's codes fit.
    if (census.codes != nullptr && end == bytes.size() && 2 * end <= census.codes->codes.size() &&
        census.gsm7_fits && !census.octets_wanted)
        return census_of_codes(bytes, *census.codes, census, error);
    census.codes = nullptr;  // a long text, or 8-bit: no codes kept
    const auto *in = reinterpret_cast<const std::uint8_t *>(bytes.data());
    for (std::size_t at = 0; at < end && (census.gsm7_fits || census.octets_wanted);) {
        // Most text is a run of ASCII characters that take one unit in every alphabet.
        if (const auto run = static_cast<std::uint32_t>(gsm7_ascii_run(in + at, end - at, 0, nullptr)); run != 0) {
            if (census.gsm7_fits)
                census.gsm7.add_ones(run, at);
            if (census.octets_wanted)
                census.octets.add_ones(run, at);
            at += run;
            continue;
        }
        char32_t cp = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 1;
        if (cp >= 0x80 && (length = next_utf8(bytes, at, cp)) == 0)
            return fail(error, VELMORA_E_INVALID_UTF8, "text", at);
        if (census.gsm7_fits) {
            if (const Gsm7Code code = gsm7_code(cp, {}); code.septets != 0) {
                census.gsm7.add(code.septets, at);
            } else {
                census.gsm7_fits = false;
                census.unencodable_at = at, census.unencodable = cp;
            }
        }
        if (census.octets_wanted)
            census.octets.add(static_cast<std::uint32_t>(length), at);
        at += length;
    }
    return true;
}

// The cut of a text's septets in one locking table beside one header, worked out from
// where its escape pairs fall: every other character takes one septet, so only a pair
// can end a part early, and the characters between pairs need no look.
class EscapeCut {
public:
    EscapeCut() = default;  // left unset: a walk makes cuts only for the tables it may choose
    explicit EscapeCut(PartRoom room) : room_(room), start_(0), end_(room.multi), parts_(1), overflow_septet_(0) {}

    // An escape pair at septet `at`, after every pair before it.
    void pair(std::uint32_t at) {
        while (end_ <= at)
            next_part(end_);
        if (at + 1 == end_)  // it would straddle the end of the part
            next_part(at);
    }

    // The cut of `total` septets, the last pair given; overflow_at holds the septet that
    // starts part 256.
    Plan plan(std::uint32_t total) const {
        EscapeCut cut = *this;
        while (cut.end_ < total)
            cut.next_part(cut.end_);
        Plan plan;
        const bool single = total <= room_.single;
        plan.parts = single ? 1 : cut.parts_;
        plan.units_per_part = single ? room_.single : room_.multi;
        plan.units_used = total;
        plan.last_part_units = single ? total : total - cut.start_;
        plan.overflow_at = cut.overflow_septet_;
        return plan;
    }

private:
    void next_part(std::uint32_t start) {
        if (++parts_ == VELMORA_MAX_PARTS + 1)
            overflow_septet_ = start;
        start_ = start, end_ = start + room_.multi;
    }

    PartRoom room_;
    std::uint32_t start_, end_, parts_, overflow_septet_;
};

// The national tables' choice in one walk over the text. A character takes one septet
// where locking table l holds it, else two (behind ESC) where the single shift table
// holds it, so the cut depends on l alone; the shift table only decides whether the pair
// holds every character and, by the header's size, the room per part. Each allowed l is
// cut twice: beside a header without a single shift element and beside one with.
class NationalWalk {
public:
    NationalWalk(const SubmitFields &fields) {
        std::uint16_t shift_allowed = 1;
        for (std::uint32_t language = 1; language < VELMORA_LANGUAGE_COUNT; ++language)
            if (fields.languages & VELMORA_LANGUAGE_BIT(language))
                shift_allowed |= static_cast<std::uint16_t>(VELMORA_LANGUAGE_BIT(language));
        const auto any_shift = static_cast<std::uint8_t>(shift_allowed != 1 ? std::countr_zero(shift_allowed & ~1u) : 0);
        for (std::uint32_t l = 0; l < VELMORA_LANGUAGE_COUNT; ++l) {
            if (!(shift_allowed >> l & 1) || !has_locking_table(l))
                continue;
            active_ |= static_cast<std::uint16_t>(1u << l);
            feasible_[l] = shift_allowed;
            const auto locking = static_cast<std::uint8_t>(l);
            cut_[l] = {EscapeCut(part_room(VELMORA_ALPHABET_GSM7, {locking, 0}, fields)),
                       EscapeCut(part_room(VELMORA_ALPHABET_GSM7, {locking, any_shift}, fields))};
        }
    }

    // `count` characters that every remaining locking table holds.
    void add_ones(std::uint32_t count) { characters_ += count; }

    // Adds a character; false when no pair of tables holds every character so far.
    bool add(const Gsm7Presence &presence) {
        const std::uint32_t escaped = active_ & ~presence.locking;
        for (std::uint32_t left = escaped; left != 0; left &= left - 1) {
            const auto l = static_cast<std::uint32_t>(std::countr_zero(left));
            if ((feasible_[l] &= presence.shift) == 0)
                active_ &= static_cast<std::uint16_t>(~(1u << l));
            const std::uint32_t at = characters_ + pairs_[l]++;
            for (EscapeCut &cut : cut_[l])
                cut.pair(at);
        }
        ++characters_;
        return active_ != 0;
    }

    std::uint16_t active() const { return active_; }

    // The pair giving the fewest parts, then the most room left in the last part, then the
    // lowest identifiers; overflow_at holds the septet that starts part 256.
    Plan best() const {
        std::optional<Plan> best;
        const auto room = [](const Plan &p) { return p.units_per_part - p.last_part_units; };
        for (std::uint32_t left = active_; left != 0; left &= left - 1) {
            const auto l = static_cast<std::uint32_t>(std::countr_zero(left));
            for (std::uint32_t s = 0; s < VELMORA_LANGUAGE_COUNT; ++s) {
                if (!(feasible_[l] >> s & 1))
                    continue;
                Plan plan = cut_[l][s != 0].plan(characters_ + pairs_[l]);
                plan.language = {static_cast<std::uint8_t>(l), static_cast<std::uint8_t>(s)};
                if (!best || plan.parts < best->parts || (plan.parts == best->parts && room(plan) > room(*best)))
                    best = plan;
            }
        }
        return *best;
    }

private:
    std::uint16_t active_ = 0;
    std::uint32_t characters_ = 0;
    std::array<std::uint16_t, VELMORA_LANGUAGE_COUNT> feasible_{};  // shift tables that go with l
    std::array<std::uint32_t, VELMORA_LANGUAGE_COUNT> pairs_{};      // escape pairs in l
    std::array<std::array<EscapeCut, 2>, VELMORA_LANGUAGE_COUNT> cut_;
};

// The byte offset of the character at septet `septet` of a text in locking table `locking`
// (and a single shift table that holds the rest).
std::size_t offset_of_septet(std::string_view bytes, std::uint8_t locking, std::uint32_t septet) {
    std::size_t at = 0;
    for (std::uint32_t septets = 0; at < bytes.size(); ) {
        char32_t cp = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = cp < 0x80 ? 1 : next_utf8(bytes, at, cp);
        septets += gsm7_presence(cp).locking >> locking & 1 ? 1 : 2;
        if (septets > septet)
            break;
        at += length;
    }
    return at;
}

// What the national tables' walk keeps of a text so that its codes are written without
// reading the text again: the codes of the ASCII characters every candidate locking table
// holds at the default alphabet's code, in a row, and each other character with the count
// of those codes before it.
class WalkedText {
public:
    static constexpr std::size_t kMaxBytes = std::tuple_size_v<decltype(Gsm7Codes::codes)> / 2;

    // The characters at the start of `text` that `codes` has a code for.
    std::size_t ascii_run(const std::uint8_t *text, std::size_t n, const std::array<std::uint8_t, 256> &codes) {
        const std::size_t run = gsm7_table_run(text, n, codes, ascii_.data() + ascii_length_);
        ascii_length_ += static_cast<std::uint32_t>(run);
        return run;
    }
    void other(char32_t cp) {
        others_[other_count_++] = {static_cast<std::uint16_t>(ascii_length_), gsm7_character_index(cp)};
    }

    // The codes in the chosen tables, which hold every character of the text.
    void write_codes(Gsm7Language language, Gsm7Codes &codes) const {
        std::uint8_t *out = codes.codes.data();
        std::uint32_t taken = 0;
        const std::uint8_t *const end = codes.codes.data() + codes.codes.size();
        for (const Other &other : std::span(others_.data(), other_count_)) {
            const std::uint32_t count = other.ascii_before - taken;
            if (count <= kShortRun && end - out >= kShortRun)  // most runs between accented letters
                std::memcpy(out, ascii_.data() + taken, kShortRun);
            else
                std::memcpy(out, ascii_.data() + taken, count);
            out += count;
            taken = other.ascii_before;
            const Gsm7Code code = gsm7_code(kGsm7Characters[other.character], language);
            if (code.septets == 2)
                *out++ = kGsm7Escape;
            *out++ = code.code;
        }
        std::memcpy(out, ascii_.data() + taken, ascii_length_ - taken);
        codes.length = static_cast<std::uint32_t>(out + (ascii_length_ - taken) - codes.codes.data());
        codes.whole = true;
    }

private:
    static constexpr std::ptrdiff_t kShortRun = 16;  // ASCII codes copied in one move, past the run's end
    struct Other {
        std::uint16_t ascii_before;
        std::uint16_t character;  // index in kGsm7Characters
    };
    std::array<std::uint8_t, kMaxBytes + kShortRun> ascii_;
    std::array<Other, kMaxBytes> others_;
    std::uint32_t ascii_length_ = 0, other_count_ = 0;
};

// The walk of a text whose codes are not kept.
struct KeepNothing {
    std::size_t ascii_run(const std::uint8_t *text, std::size_t n, const std::array<std::uint8_t, 256> &codes) {
        return gsm7_table_run(text, n, codes, nullptr);
    }
    void other(char32_t) {}
};

// Among the pairs of locking and single shift tables of the allowed languages (the
// default ones included) that hold every character, the best (NationalWalk::best); the
// text's characters go to `keep` as they are read.
template <class Keep>
std::optional<Plan> national_plan(Payload payload, const SubmitFields &fields, std::size_t limit, Census &census,
                                  velmora_error &error, Keep &keep) {
    NationalWalk walk(fields);
    const std::string_view bytes = payload.bytes;
    const std::size_t end = std::min(bytes.size(), limit);
    const auto *in = reinterpret_cast<const std::uint8_t *>(bytes.data());
    std::uint16_t active = 0;
    std::array<std::uint8_t, 256> shared_codes;  // of the ASCII characters every active locking table holds alike
    for (std::size_t at = 0; at < end;) {
        if (walk.active() != active)
            active = walk.active(), shared_codes = gsm7_ascii_at_default_code(active);
        const std::size_t run = keep.ascii_run(in + at, end - at, shared_codes);
        walk.add_ones(static_cast<std::uint32_t>(run));
        at += run;
        if (at == end)
            break;
        char32_t cp = in[at];
        std::size_t length = 1;
        if (cp >= 0x80 && (length = next_utf8(bytes, at, cp)) == 0) {
            fail(error, VELMORA_E_INVALID_UTF8, "text", at);
            return std::nullopt;
        }
        if (!walk.add(gsm7_presence(cp))) {
            census.unencodable_at = at, census.unencodable = cp;
            return std::nullopt;
        }
        keep.other(cp);
        at += length;
    }
    Plan plan = walk.best();
    plan.overflow_at = plan.parts > VELMORA_MAX_PARTS
                           ? offset_of_septet(bytes, plan.language.locking, static_cast<std::uint32_t>(plan.overflow_at))
                           : 0;
    return plan;
}

// The national tables' choice, and the codes in them when the census keeps codes.
std::optional<Plan> national_plan(Payload payload, const SubmitFields &fields, std::size_t limit, Census &census,
                                  velmora_error &error) {
    if (census.codes == nullptr) {
        KeepNothing nothing;
        return national_plan(payload, fields, limit, census, error, nothing);
    }
    WalkedText walked;  // a text with kept codes has at most WalkedText::kMaxBytes bytes
    const std::optional<Plan> plan = national_plan(payload, fields, limit, census, error, walked);
    if (plan)
        walked.write_codes(plan->language, *census.codes);
    return plan;
}

}  // namespace

bool plan_message(Payload payload, const SubmitFields &fields, std::size_t scan_limit, Plan &plan,
                  velmora_error &error, Gsm7Codes *codes) {
    if (codes != nullptr)
        codes->length = 0, codes->whole = false;
    Census census{Cutter(VELMORA_ALPHABET_GSM7, {}, fields), Cutter(VELMORA_ALPHABET_8BIT, {}, fields),
                  fields.alphabet == VELMORA_ALPHABET_8BIT, codes};
    if (!take_census(payload, fields, scan_limit, census, error))
        return false;
    if (!payload.is_text || fields.alphabet == VELMORA_ALPHABET_8BIT) {
        plan = census.octets.plan();
        return true;
    }
    const std::size_t end = std::min(payload.bytes.size(), scan_limit);
    if (fields.alphabet == VELMORA_ALPHABET_UCS2)
        return ucs2_plan(payload.bytes, end, fields, plan, error);
    if (census.gsm7_fits) {
        plan = census.gsm7.plan();
        if (census.codes != nullptr)
            census.codes->whole = true;
        return true;
    }
    if (fields.languages != 0 && fields.format == VELMORA_FORMAT_GSM) {
        if (const auto national = national_plan(payload, fields, scan_limit, census, error)) {
            plan = *national;
            return true;
        }
    }
    // UCS-2, or the failure: either way after the text's UTF-8 is checked to its end.
    if (!ucs2_plan(payload.bytes, end, fields, plan, error))
        return false;
    if (fields.alphabet == VELMORA_ALPHABET_AUTO)
        return true;
    return fail(error, VELMORA_E_UNENCODABLE, "text", census.unencodable_at, census.unencodable);
}

void PartReader::next_from_codes(PartUnits &units) {
    const std::uint32_t length = codes_in_part(*codes_, static_cast<std::uint32_t>(at_), plan_.units_per_part);
    std::memcpy(units.octets.data(), codes_->codes.data() + at_, length);
    at_ += length;
    units.length = units.units = length;
}

void PartReader::next(PartUnits &units) {
    if (codes_ != nullptr)
        return next_from_codes(units);
    units.length = units.units = 0;
    const std::string_view bytes = payload_.bytes;
    if (plan_.alphabet == VELMORA_ALPHABET_UCS2) {
        static_assert(std::tuple_size_v<decltype(units.octets)> >= 2 * 70 + kUtf16Slack);
        std::size_t written = 0;
        at_ += utf8_to_utf16be(bytes.substr(at_), plan_.units_per_part, units.octets.data(), written);
        units.units = static_cast<std::uint32_t>(written);
        units.length = 2 * units.units;
        return;
    }
    // Locals rather than members: every octet stored could otherwise alias them.
    const auto *in = reinterpret_cast<const std::uint8_t *>(bytes.data());
    const bool gsm7 = plan_.alphabet == VELMORA_ALPHABET_GSM7;
    const Gsm7Language language = plan_.language;
    const std::uint32_t room = plan_.units_per_part;
    std::uint8_t *out = units.octets.data();
    std::size_t at = at_;
    std::uint32_t length = 0, used = 0;
    while (at < bytes.size()) {
        if (gsm7) {  // ASCII characters of the locking table, one code each
            const auto run = static_cast<std::uint32_t>(
                gsm7_ascii_run(in + at, std::min<std::size_t>(bytes.size() - at, room - used), language.locking,
                               out + length));
            at += run, used += run, length += run;
            if (at == bytes.size())
                break;
        }
        char32_t cp = in[at];
        std::size_t bytes_read = 1;
        if (payload_.is_text && cp >= 0x80 && (bytes_read = next_utf8(bytes, at, cp)) == 0)
            break;  // not reached: the plan has read the text
        std::uint32_t width;
        if (gsm7) {
            const Gsm7Code code = gsm7_code(cp, language);
            width = code.septets;
            if (used + width > room)
                break;
            if (width == 2)
                out[length] = kGsm7Escape;
            out[length + (width == 2)] = code.code;
        } else {
            width = static_cast<std::uint32_t>(bytes_read);
            if (used + width > room)
                break;
            std::memcpy(out + length, in + at, bytes_read);
        }
        length += width, used += width;
        at += bytes_read;
    }
    at_ = at;
    units.length = length;
    units.units = used;
}

}  // namespace velmora::sms
