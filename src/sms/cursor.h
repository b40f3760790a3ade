// SPDX-License-Identifier: Apache-2.0
// Reading a PDU's octets field by field, with the first failure kept as a status, the
// octet offset and the name of the field, and what was wrong with fields that could still
// be read kept as warnings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sms/warnings.h"
#include "sms/field_log.h"
#include "velmora/sms.h"

namespace velmora::sms {

class Cursor {
public:
    // `octets` are the PDU's octets that could be read. When the input went on with
    // something that is not hex, `input_end` is VELMORA_E_NOT_HEX and a read that needs
    // more octets fails with it, at the offset of the first octet that could not be read.
    // `strict`: every warning fails as the status it names.
    Cursor(std::span<const std::uint8_t> octets, velmora_error &error,
           velmora_status input_end = VELMORA_E_ENDS_EARLY, bool strict = false)
        : octets_(octets), error_(error), input_end_(input_end), strict_(strict) {}

    // Each field read from now on is logged too.
    void log_into(FieldLog &log) { log_ = &log; }

    std::size_t offset() const { return at_; }
    std::size_t left() const { return octets_.size() - at_; }

    bool octet(const char *field, std::uint8_t &value) {
        if (!need(1, field))
            return false;
        logged(field, 1);
        value = octets_[at_++];
        return true;
    }

    // The next octet without moving on; nullopt at the end.
    std::optional<std::uint8_t> peek() const {
        return left() != 0 ? std::optional<std::uint8_t>(octets_[at_]) : std::nullopt;
    }

    // The octet `ahead` octets on, without moving; nullopt past the end.
    std::optional<std::uint8_t> peek_at(std::size_t ahead) const {
        return ahead < left() ? std::optional<std::uint8_t>(octets_[at_ + ahead]) : std::nullopt;
    }

    // The next `count` octets of one field.
    bool take(std::size_t count, const char *field, std::span<const std::uint8_t> &span) {
        if (!need(count, field))
            return false;
        span = octets_.subspan(at_, count);
        logged(field, count);
        at_ += count;
        return true;
    }

    // The octets of a field `take` gave, and all the input that could be read after them.
    std::span<const std::uint8_t> through_end(std::span<const std::uint8_t> field) const {
        return octets_.subspan(static_cast<std::size_t>(field.data() - octets_.data()));
    }

    // Records a failure at `offset` (first failure wins) and returns false. This and warn
    // stay out of line, so that the paths that read well-formed fields stay short.
    [[gnu::cold, gnu::noinline]] bool fail(velmora_status status, const char *field, std::size_t offset) {
        if (error_.status == VELMORA_OK) {
            error_.status = status;
            error_.field = field;
            error_.offset = static_cast<std::uint32_t>(offset);
        }
        return false;
    }
    bool invalid(const char *field, std::size_t offset) { return fail(VELMORA_E_INVALID_FIELD, field, offset); }

    // A field that breaks a rule but leaves the message readable: a warning, or when
    // strict the failure it names. True when reading goes on.
    [[gnu::cold, gnu::noinline]] bool warn(std::uint32_t warning, const char *field, std::size_t offset) {
        if (strict_)
            return fail(warning_failure(warning), field, offset);
        warnings_.add(warning, field, offset);
        if (log_ != nullptr)
            log_->warn(warning, offset);
        return true;
    }
    const Warnings &warnings() const { return warnings_; }

    // After the last field: octets left over are a warning, a character that is not hex
    // a failure.
    bool finish() {
        if (input_end_ == VELMORA_E_NOT_HEX)
            return fail(input_end_, "end of PDU", octets_.size());
        if (left() != 0 && !strict_)
            logged("trailing data", left());
        if (left() != 0 || input_end_ == VELMORA_E_TRAILING_DATA)
            return warn(VELMORA_WARNING_TRAILING_DATA, "end of PDU", at_);
        return true;
    }

private:
    void logged(const char *field, std::size_t count) {
        if (log_ != nullptr)
            log(field, count);
    }
    [[gnu::cold, gnu::noinline]] void log(const char *field, std::size_t count) { log_->add(field, at_, count); }

    bool need(std::size_t count, const char *field) {
        if (left() >= count)
            return true;
        return input_end_ == VELMORA_E_ENDS_EARLY ? fail(VELMORA_E_ENDS_EARLY, field, at_)
                                                  : fail(input_end_, field, octets_.size());
    }

    std::span<const std::uint8_t> octets_;
    velmora_error &error_;
    velmora_status input_end_;
    bool strict_;
    Warnings warnings_;
    std::size_t at_ = 0;
    FieldLog *log_ = nullptr;
};

}  // namespace velmora::sms
