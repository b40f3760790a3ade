// SPDX-License-Identifier: Apache-2.0
// velmora side by side with Gammu (SMS-SUBMIT encoding, UTF-8 text to PDUs through
// velmora_encode, SMS-DELIVER decoding, hex text in and out) and libosmocore (septet
// packing and unpacking), in one process. Each round times a batch of one side, then an
// equally long batch of the other, alternating which goes first, in thread CPU time so
// that other processes on a shared machine count less; the table shows the median time
// per call of each side and the median of the per-round ratios. Before timing, every
// pair is checked to produce the same output. Rows with a floor also time, in the same
// rounds, a simple loop that only converts the same PDUs between hex text and octets,
// and print velmora's time in floors.
//
//   velmora_compare [--rounds=N] [--batch-ms=M]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <gammu.h>
#include <osmocom/gsm/gsm_utils.h>
}

#include "codec/septets.h"
#include "corpus.h"
#include "velmora.h"
#include "velmora/sms.h"

namespace {

double thread_cpu_ns() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Runs the body `n` times; returns nanoseconds per call.
using Batch = std::function<double(std::size_t)>;

template <class Body>
Batch batch(Body body) {
    return [body](std::size_t n) mutable {
        const double start = thread_cpu_ns();
        for (std::size_t i = 0; i < n; ++i) {
            body();
            benchmark::ClobberMemory();
        }
        return (thread_cpu_ns() - start) / static_cast<double>(n);
    };
}

struct Workload {
    std::string name;
    std::string peer;
    Batch ours;
    Batch theirs;
    double min_ratio;     // peer time / velmora time to reach; 0: no target
    double max_ours_ns;   // bound on velmora's own time; 0: none
    Batch floor = {};     // the same PDUs between hex text and octets in a simple loop; empty: none
    double max_floors = 0;  // bound on velmora time / floor time; 0: none
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// Calls per batch for each side, so that a batch of either takes about `ms`
// milliseconds, measured after a first run of both that warms caches and lazy
// initialisation. Equal durations keep a fast side's batch long enough that the
// cache and branch state left by the other side's batch does not weigh on it.
struct BatchSizes {
    std::size_t ours;
    std::size_t theirs;
};

BatchSizes calibrate(const Workload &w, double ms) {
    w.ours(64);
    w.theirs(64);
    const auto calls = [ms](double per_call) {
        return std::max<std::size_t>(16, static_cast<std::size_t>(ms * 1e6 / std::max(per_call, 1.0)));
    };
    return {calls(w.ours(256)), calls(w.theirs(64))};
}

std::string cpu_model() {
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    return "unknown CPU";
}

// --- Gammu ----------------------------------------------------------------------

struct GammuSubmit {
    GSM_SMSMessage sms{};
    unsigned char frame[GSM_MAX_SMS_LENGTH + 64];
    unsigned char pdu[200];
    char hex[420];

    // Destination 12345 (0x81), 7-bit default alphabet, relative validity 0xAA, no class:
    // the fields velmora writes.
    GammuSubmit() {
        GSM_SetDefaultSMSData(&sms);
        sms.PDU = SMS_Submit;
        sms.Class = -1;
        sms.Coding = SMS_Coding_Default_No_Compression;
        sms.SMSC.Validity.Format = SMS_Validity_RelativeFormat;
        sms.SMSC.Validity.Relative = static_cast<GSM_ValidityPeriod>(0xAA);
        EncodeUnicode(sms.Number, "12345", 5);
    }

    // Text in, hexadecimal PDU out.
    int encode(const std::string &text) {
        EncodeUnicode(sms.Text, text.c_str(), text.size());
        sms.Length = static_cast<int>(text.size());
        return render(sms);
    }

    // GSM_EncodeSMSFrame lays the fields out at fixed offsets; they are gathered into a PDU
    // (empty service-centre address first) the way Gammu's AT driver does before rendering
    // it as hex.
    int render(GSM_SMSMessage &message) {
        int length = 0;
        if (GSM_EncodeSMSFrame(GSM_GetGlobalDebug(), &message, frame, PHONE_SMSSubmit, &length, TRUE) != ERR_NONE)
            return -1;
        const GSM_SMSMessageLayout &at = PHONE_SMSSubmit;
        std::size_t n = 0;
        pdu[n++] = 0x00;
        pdu[n++] = frame[at.firstbyte];
        pdu[n++] = frame[at.TPMR];
        const std::size_t address = (frame[at.Number] + 1) / 2 + 2;
        std::memcpy(pdu + n, frame + at.Number, address);
        n += address;
        pdu[n++] = frame[at.TPPID];
        pdu[n++] = frame[at.TPDCS];
        if (frame[at.firstbyte] & 0x10)
            pdu[n++] = frame[at.TPVP];
        pdu[n++] = frame[at.TPUDL];
        const std::size_t user_data = static_cast<std::size_t>(length) - at.Text;
        std::memcpy(pdu + n, frame + at.Text, user_data);
        n += user_data;
        EncodeHexBin(hex, pdu, n);
        return static_cast<int>(2 * n);
    }
};

// UTF-8 text to PDUs as a Gammu user sends it: DecodeUTF8, then EncodeSMS
// (GSM_EncodeMultiPartSMS, its alphabet chosen for the text) and EncodePDU of every part.
struct GammuTextSubmit {
    GammuSubmit submit;
    GSM_MultiPartSMSInfo info{};
    GSM_MultiSMSMessage parts{};
    unsigned char ucs2[8192];
    std::vector<std::string> hex;

    bool split(const std::string &utf8) {
        DecodeUTF8(ucs2, utf8.c_str(), utf8.size());
        GSM_ClearMultiPartSMSInfo(&info);
        info.EntriesNum = 1;
        info.Class = -1;
        info.Entries[0].ID = SMS_ConcatenatedAutoTextLong;
        info.Entries[0].Buffer = ucs2;
        return GSM_EncodeMultiPartSMS(GSM_GetGlobalDebug(), &info, &parts) == ERR_NONE;
    }

    // The number of parts, -1 on failure.
    int encode(const std::string &utf8) {
        if (!split(utf8))
            return -1;
        hex.clear();
        for (int i = 0; i < parts.Number; ++i) {
            GSM_SMSMessage &sms = parts.SMS[i];
            sms.PDU = SMS_Submit;
            sms.SMSC.Validity = submit.sms.SMSC.Validity;
            CopyUnicodeString(sms.Number, submit.sms.Number);
            const int length = submit.render(sms);
            if (length < 0)
                return -1;
            hex.emplace_back(submit.hex, static_cast<std::size_t>(length));
        }
        return parts.Number;
    }
};

struct GammuDeliver {
    GSM_SMSMessage sms{};
    unsigned char octets[200];

    // Hexadecimal PDU (service-centre address first) in, message fields and text out.
    bool decode(const std::string &pdu) {
        if (!DecodeHexBin(octets, reinterpret_cast<const unsigned char *>(pdu.data()), pdu.size()))
            return false;
        std::size_t end = 0;
        return GSM_DecodePDUFrame(GSM_GetGlobalDebug(), &sms, octets, pdu.size() / 2, &end, TRUE) == ERR_NONE;
    }
};

// --- Workloads --------------------------------------------------------------------

int g_mismatches = 0;

void check(bool same, const std::string &what) {
    if (!same) {
        std::fprintf(stderr, "velmora_compare: %s: outputs differ, the pair is not doing the same job\n",
                     what.c_str());
        ++g_mismatches;
    }
}

// 70 Cyrillic letters and blanks as UTF-8 and as UCS-2 octets.
std::string utf8_of_ucs2(const std::string &octets) {
    std::string out;
    for (std::size_t i = 0; i + 1 < octets.size(); i += 2) {
        const unsigned cp = static_cast<unsigned char>(octets[i]) << 8 | static_cast<unsigned char>(octets[i + 1]);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// The floor of a workload: a simple loop that converts the PDUs it reads or writes
// between hex text and octets, each octet through two table lookups.
std::vector<std::string> octets_of(const std::vector<std::string> &pdus) {
    std::vector<std::string> out;
    for (const std::string &hex : pdus) {
        std::string octets(hex.size() / 2, '\0');
        DecodeHexBin(reinterpret_cast<unsigned char *>(octets.data()), reinterpret_cast<const unsigned char *>(hex.data()),
                     hex.size());
        out.push_back(octets);
    }
    return out;
}

void hex_to_octets(const char *hex, std::size_t length, unsigned char *out) {
    static constexpr auto kValue = [] {
        std::array<unsigned char, 256> value{};
        for (int c = 0; c < 256; ++c)
            value[c] = static_cast<unsigned char>(c >= 'a' ? c - 'a' + 10 : c >= 'A' ? c - 'A' + 10 : c - '0');
        return value;
    }();
    for (std::size_t i = 0; i + 1 < length; i += 2)
        out[i / 2] = static_cast<unsigned char>(kValue[static_cast<unsigned char>(hex[i])] << 4 |
                                                kValue[static_cast<unsigned char>(hex[i + 1])]);
}

void octets_to_hex(const unsigned char *octets, std::size_t length, char *out) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < length; ++i) {
        out[2 * i] = kDigits[octets[i] >> 4];
        out[2 * i + 1] = kDigits[octets[i] & 0x0F];
    }
}

Batch hex_to_octets_floor(std::vector<std::string> pdus) {
    auto out = std::make_shared<std::vector<unsigned char>>(512);
    return batch([pdus, out] {
        for (const std::string &hex : pdus) {
            hex_to_octets(hex.data(), hex.size(), out->data());
            benchmark::DoNotOptimize(out->data());
        }
    });
}

Batch octets_to_hex_floor(std::vector<std::string> pdus) {
    auto octets = std::make_shared<const std::vector<std::string>>(octets_of(pdus));
    auto out = std::make_shared<std::vector<char>>(1024);
    return batch([octets, out] {
        for (const std::string &pdu : *octets) {
            octets_to_hex(reinterpret_cast<const unsigned char *>(pdu.data()), pdu.size(), out->data());
            benchmark::DoNotOptimize(out->data());
        }
    });
}

Workload encode_submit(std::size_t length) {
    const std::string text = corpus::text(length);
    auto sms = std::make_shared<sms_message>();
    corpus::address(*sms);
    auto gammu = std::make_shared<GammuSubmit>();
    const std::string name = "encode SMS-SUBMIT, " + std::to_string(length) + " chars";

    corpus::place_text(*sms, text);
    const int ours = sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0);
    const int theirs = gammu->encode(text);
    check(ours == 0 && sms->pdu_count == 1 && theirs > 0 &&
              std::string(sms->pdus[0].pdu, sms->pdus[0].pdu_len) == std::string(gammu->hex, theirs),
          name);

    return {name, "Gammu",
            batch([sms, text] {
                corpus::place_text(*sms, text);
                benchmark::DoNotOptimize(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0));
            }),
            batch([gammu, text] { benchmark::DoNotOptimize(gammu->encode(text)); }), length == 160 ? 20.0 : 0.0,
            length == 160 ? 250.0 : 0.0};
}

// UTF-8 text, its alphabet chosen for it, to PDUs: velmora_encode against Gammu's
// EncodeSMS + EncodePDU of every part. Parts carry TP-VP 0xAA as Gammu's do, and the
// concatenation reference Gammu took.
Workload encode_text(const std::string &name, const std::string &text) {
    auto gammu = std::make_shared<GammuTextSubmit>();
    const int parts = gammu->encode(text);
    auto options = std::make_shared<velmora_submit_options>();
    velmora_submit_options_init(options.get());
    options->to = "12345";
    options->validity = VELMORA_VALIDITY_MINUTES;
    options->validity_minutes = 4 * 24 * 60;
    if (parts > 1)
        options->reference = gammu->parts.SMS[0].UDH.Text[3];
    auto pdus = std::make_shared<std::vector<velmora_pdu>>(16);
    velmora_pdu_init(pdus->data(), pdus->size());
    auto velmora_encode_text = [options, pdus, text] {
        std::size_t count = 0;
        velmora_encode(text.data(), text.size(), options.get(), pdus->data(), pdus->size(), &count, nullptr);
        return count;
    };
    const std::size_t count = velmora_encode_text();
    std::vector<std::string> ours;
    bool same = parts > 0 && count == static_cast<std::size_t>(parts);
    for (std::size_t i = 0; same && i < count; ++i) {
        ours.emplace_back((*pdus)[i].hex, (*pdus)[i].hex_length);
        same = ours.back() == gammu->hex[i];
    }
    check(same, name);
    return {name, "Gammu EncodeSMS + EncodePDU",
            batch([velmora_encode_text] { benchmark::DoNotOptimize(velmora_encode_text()); }),
            batch([gammu, text] { benchmark::DoNotOptimize(gammu->encode(text)); }), 30.0, 0.0,
            octets_to_hex_floor(ours), 3.0};
}

// The parts a text takes: velmora_count against Gammu's EncodeSMS alone.
Workload count_text(const std::string &name, const std::string &text) {
    auto gammu = std::make_shared<GammuTextSubmit>();
    auto velmora_count_text = [text] {
        velmora_count_result result = VELMORA_COUNT_RESULT_INIT;
        velmora_count(text.data(), text.size(), nullptr, &result, nullptr);
        return result.parts;
    };
    check(gammu->split(text) && velmora_count_text() == static_cast<std::uint32_t>(gammu->parts.Number), name);
    return {name, "Gammu EncodeSMS",
            batch([velmora_count_text] { benchmark::DoNotOptimize(velmora_count_text()); }),
            batch([gammu, text] { benchmark::DoNotOptimize(gammu->split(text)); }), 30.0, 0.0};
}

// A text that needs a national table against one of the same length in the default
// alphabet, both through velmora_encode: the tables' choice costs at most twice as much.
Workload encode_national(const std::string &name, const std::string &text, std::uint32_t language,
                         const std::string &default_text) {
    auto options = std::make_shared<velmora_submit_options>();
    velmora_submit_options_init(options.get());
    options->to = "12345";
    options->languages = static_cast<std::uint16_t>(VELMORA_LANGUAGE_BIT(language));
    auto pdus = std::make_shared<std::vector<velmora_pdu>>(4);
    velmora_pdu_init(pdus->data(), pdus->size());
    const auto encode = [options, pdus](const std::string &t) {
        std::size_t count = 0;
        return velmora_encode(t.data(), t.size(), options.get(), pdus->data(), pdus->size(), &count, nullptr);
    };
    velmora_count_result result = VELMORA_COUNT_RESULT_INIT;
    velmora_count(text.data(), text.size(), options.get(), &result, nullptr);
    check(encode(text) == VELMORA_OK && result.alphabet == VELMORA_ALPHABET_GSM7 &&
              (result.locking_shift == language || result.single_shift == language) && encode(default_text) == VELMORA_OK,
          name);
    return {name, "velmora, default alphabet",
            batch([encode, text] { benchmark::DoNotOptimize(encode(text)); }),
            batch([encode, default_text] { benchmark::DoNotOptimize(encode(default_text)); }), 0.5, 0.0};
}

Workload decode_deliver(std::size_t length) {
    const std::string text = corpus::text(length);
    const std::string pdu = corpus::deliver_7bit(text);
    auto sms = std::make_shared<sms_message>();
    auto gammu = std::make_shared<GammuDeliver>();
    const std::string name = "decode SMS-DELIVER, " + std::to_string(length) + " chars";

    const bool ours = sms_decode_pdu(pdu.c_str(), static_cast<std::uint32_t>(pdu.size()), sms.get(), 0) == 0;
    const bool theirs = gammu->decode(pdu);
    check(ours && theirs && std::string(sms->text, sms->text_len) == text &&
              DecodeUnicodeString(gammu->sms.Text) == text,
          name);

    return {name, "Gammu",
            batch([sms, pdu] {
                benchmark::DoNotOptimize(
                    sms_decode_pdu(pdu.c_str(), static_cast<std::uint32_t>(pdu.size()), sms.get(), 0));
            }),
            batch([gammu, pdu] { benchmark::DoNotOptimize(gammu->decode(pdu)); }), length == 160 ? 20.0 : 0.0,
            length == 160 ? 250.0 : 0.0};
}

// libvelmora-sms: the PDU into a velmora_message, text as UTF-8; Gammu decodes the same PDU
// and turns its text into UTF-8 too.
Workload sms_decode(const std::string &name, const std::string &pdu, const std::string &utf8) {
    auto message = std::make_shared<velmora_message>();
    velmora_message_init(message.get());
    auto gammu = std::make_shared<GammuDeliver>();
    auto gammu_utf8 = std::make_shared<std::vector<char>>(4 * GSM_MAX_SMS_LENGTH + 1);
    // EncodeUTF8 tells whether it met anything beyond ASCII, not whether it worked.
    const auto gammu_decode = [gammu, gammu_utf8, pdu] {
        const bool decoded = gammu->decode(pdu);
        EncodeUTF8(gammu_utf8->data(), gammu->sms.Text);
        return decoded;
    };

    const bool ours = velmora_decode_hex(pdu.data(), pdu.size(), 0, message.get(), nullptr) == VELMORA_OK;
    check(ours && gammu_decode() && std::string(message->text, message->text_length) == utf8 &&
              std::string(gammu_utf8->data()) == utf8,
          name);

    return {name, "Gammu",
            batch([message, pdu] {
                benchmark::DoNotOptimize(velmora_decode_hex(pdu.data(), pdu.size(), 0, message.get(), nullptr));
            }),
            batch([gammu_decode] { benchmark::DoNotOptimize(gammu_decode()); }), 30.0, 0.0,
            hex_to_octets_floor({pdu}), 3.0};
}

// An SMS-STATUS-REPORT: the fixed cost of a call, with little user data to read.
Workload decode_status_report() {
    const std::string pdu = std::string(corpus::kSmsc) + "062A" + std::string(corpus::kSender) +
                            std::string(corpus::kScts) + std::string(corpus::kScts) + "00";
    auto message = std::make_shared<velmora_message>();
    velmora_message_init(message.get());
    auto gammu = std::make_shared<GammuDeliver>();
    const std::string name = "decode a status report";
    const bool ours = velmora_decode_hex(pdu.data(), pdu.size(), 0, message.get(), nullptr) == VELMORA_OK;
    check(ours && gammu->decode(pdu) && gammu->sms.PDU == SMS_Status_Report && gammu->sms.MessageReference == 0x2A &&
              message->message_reference == 0x2A,
          name);
    return {name, "Gammu",
            batch([message, pdu] {
                benchmark::DoNotOptimize(velmora_decode_hex(pdu.data(), pdu.size(), 0, message.get(), nullptr));
            }),
            batch([gammu, pdu] { benchmark::DoNotOptimize(gammu->decode(pdu)); }), 30.0, 0.0,
            hex_to_octets_floor({pdu}), 2.0};
}

// Three UCS-2 parts of one message, as PDUs.
std::vector<std::string> ucs2_parts(const std::string &octets) {
    std::vector<std::string> pdus;
    const std::size_t per_part = 2 * 67;
    for (unsigned part = 1; part <= 3; ++part) {
        const std::string chunk = octets.substr((part - 1) * per_part, per_part);
        pdus.push_back(std::string(corpus::kSmsc) + "44" + std::string(corpus::kSender) + "0008" +
                       std::string(corpus::kScts) + corpus::octet_hex(static_cast<unsigned>(6 + chunk.size())) +
                       std::string(corpus::kConcatHeader) + "03" + corpus::octet_hex(part) + corpus::hex(chunk));
    }
    return pdus;
}

// velmora decoding the parts and, unless `decode_only`, joining them through the reassembly
// slots into UTF-8; returns the joined text's length.
std::function<std::size_t()> velmora_ucs2_join(std::vector<std::string> pdus, bool decode_only) {
    struct Ours {
        velmora_message part;
        std::vector<std::max_align_t> storage = std::vector<std::max_align_t>(
            velmora_reassembly_storage_size(4) / sizeof(std::max_align_t) + 1);
        velmora_reassembly reassembly;
        velmora_group group;
        std::vector<char> text = std::vector<char>(1024);
    };
    auto ours = std::make_shared<Ours>();
    velmora_reassembly_init(&ours->reassembly, ours->storage.data(), ours->storage.size() * sizeof(std::max_align_t));
    velmora_message_init(&ours->part);
    velmora_group_init(&ours->group, 1);
    return [ours, pdus, decode_only] {
        std::size_t length = 0;
        for (const std::string &pdu : pdus) {
            velmora_decode_hex(pdu.data(), pdu.size(), 0, &ours->part, nullptr);
            length += ours->part.text_length;
            if (decode_only)
                continue;
            if (velmora_reassembly_add(&ours->reassembly, &ours->part, 0, &ours->group) == VELMORA_ADD_COMPLETE) {
                velmora_reassembly_text(&ours->reassembly, &ours->group, ours->text.data(), ours->text.size(), &length);
                velmora_reassembly_release(&ours->reassembly, &ours->group);
            }
        }
        return length;
    };
}

// The three parts decoded and joined into UTF-8: velmora_decode_hex and the reassembly
// slots against Gammu's GSM_DecodePDUFrame and GSM_DecodeMultiPartSMS.
Workload decode_and_join_ucs2(const std::string &octets) {
    const std::vector<std::string> pdus = ucs2_parts(octets);
    const auto velmora_join = velmora_ucs2_join(pdus, false);
    struct Theirs {
        GammuDeliver deliver;
        GSM_MultiSMSMessage parts{};
        GSM_MultiPartSMSInfo info{};
        std::vector<char> text = std::vector<char>(4 * 3 * GSM_MAX_SMS_LENGTH + 1);
    };
    auto theirs = std::make_shared<Theirs>();
    const auto gammu_join = [theirs, pdus] {
        theirs->parts.Number = 0;
        for (const std::string &pdu : pdus) {
            if (!theirs->deliver.decode(pdu))
                return false;
            theirs->parts.SMS[theirs->parts.Number++] = theirs->deliver.sms;
        }
        const bool joined = GSM_DecodeMultiPartSMS(GSM_GetGlobalDebug(), &theirs->info, &theirs->parts, FALSE);
        if (joined)
            EncodeUTF8(theirs->text.data(), theirs->info.Entries[0].Buffer);
        GSM_FreeMultiPartSMSInfo(&theirs->info);
        return joined;
    };
    const std::string name = "decode and join 3 UCS-2 parts";
    check(gammu_join() && velmora_join() == utf8_of_ucs2(octets).size() &&
              std::string(theirs->text.data()) == utf8_of_ucs2(octets),
          name);
    return {name, "Gammu DecodePDUFrame + DecodeMultiPart",
            batch([velmora_join] { benchmark::DoNotOptimize(velmora_join()); }),
            batch([gammu_join] { benchmark::DoNotOptimize(gammu_join()); }), 30.0, 0.0,
            hex_to_octets_floor(pdus), 0.0};
}

// The same join against decoding the parts alone: what joining adds.
Workload join_against_decoding(const std::string &octets) {
    const std::vector<std::string> pdus = ucs2_parts(octets);
    const auto join = velmora_ucs2_join(pdus, false);
    const auto decode = velmora_ucs2_join(pdus, true);
    const std::string name = "join 3 UCS-2 parts";
    check(join() == decode(), name);
    return {name, "velmora decoding the parts",
            batch([join] { benchmark::DoNotOptimize(join()); }),
            batch([decode] { benchmark::DoNotOptimize(decode()); }), 1 / 1.5, 0.0};
}

Workload pack(std::uint32_t count, std::uint32_t fill) {
    // Every buffer is owned by the batches that use it, which outlive this function.
    auto codes = std::make_shared<const std::string>(corpus::gsm_codes(corpus::text(count)));
    auto ours = std::make_shared<std::vector<unsigned char>>(161);
    auto theirs = std::make_shared<std::vector<unsigned char>>(161);
    const auto in = [codes] { return reinterpret_cast<const unsigned char *>(codes->data()); };
    const std::string name = "pack " + std::to_string(count) + " septets, fill " + std::to_string(fill);

    const std::uint32_t n = velmora::encode7(in(), count, ours->data(), 160, fill);
    const int m = gsm_septet_pack(theirs->data(), in(), count, static_cast<std::uint8_t>(fill));
    check(n != 0 && static_cast<std::uint32_t>(m) == n && std::equal(ours->begin(), ours->begin() + n, theirs->begin()),
          name);

    return {name, "libosmocore gsm_septet_pack",
            batch([ours, in, count, fill] {
                benchmark::DoNotOptimize(velmora::encode7(in(), count, ours->data(), 160, fill));
            }),
            batch([theirs, in, count, fill] {
                benchmark::DoNotOptimize(gsm_septet_pack(theirs->data(), in(), count, static_cast<std::uint8_t>(fill)));
            }),
            1, 0};
}

// Packed septets to text: decode7 and the alphabet mapping against gsm_7bit_decode_n.
Workload unpack_to_text(std::uint32_t count) {
    const std::string text = corpus::text(count);
    auto packed = std::make_shared<const std::string>(corpus::pack_septets(corpus::gsm_codes(text), 0));
    const auto in = [packed] { return reinterpret_cast<const unsigned char *>(packed->data()); };
    auto ours = std::make_shared<std::vector<char>>(161);
    auto codes = std::make_shared<std::vector<unsigned char>>(322);
    auto theirs = std::make_shared<std::vector<char>>(count + 1);
    const std::string name = "unpack " + std::to_string(count) + " septets to text";

    auto velmora_unpack = [ours, codes, in, count] {
        decode7(in(), count, codes->data(), 322, 0);
        return decode_gsm0338_to_ascii(codes->data(), count, ours->data(), 161);
    };
    const std::uint32_t n = velmora_unpack();
    const int m = gsm_7bit_decode_n(theirs->data(), theirs->size(), in(), static_cast<std::uint8_t>(count));
    check(n == count && std::string(ours->data(), n) == text && std::string(theirs->data(), m) == text, name);

    return {name, "libosmocore gsm_7bit_decode_n", batch([velmora_unpack] { benchmark::DoNotOptimize(velmora_unpack()); }),
            batch([theirs, in, count] {
                benchmark::DoNotOptimize(
                    gsm_7bit_decode_n(theirs->data(), theirs->size(), in(), static_cast<std::uint8_t>(count)));
            }),
            1, 0};
}

// Text to packed septets: the alphabet mapping and encode7 against gsm_7bit_encode_n.
Workload text_to_packed(std::uint32_t count) {
    const std::string text = corpus::text(count);
    auto codes = std::make_shared<std::vector<unsigned char>>(918);
    auto ours = std::make_shared<std::vector<unsigned char>>(161);
    auto theirs = std::make_shared<std::vector<unsigned char>>(161);
    const std::string name = "pack " + std::to_string(count) + " chars of text";

    auto velmora_pack = [codes, ours, text] {
        const std::uint32_t n =
            encode_ascii_to_gsm0338(text.data(), static_cast<std::uint32_t>(text.size()), codes->data(), 918, 0);
        return velmora::encode7(codes->data(), n, ours->data(), 160, 0);
    };
    const std::uint32_t n = velmora_pack();
    int written = 0;
    gsm_7bit_encode_n(theirs->data(), theirs->size(), text.c_str(), &written);
    check(n != 0 && static_cast<std::uint32_t>(written) == n &&
              std::equal(ours->begin(), ours->begin() + n, theirs->begin()),
          name);

    return {name, "libosmocore gsm_7bit_encode_n", batch([velmora_pack] { benchmark::DoNotOptimize(velmora_pack()); }),
            batch([theirs, text] {
                int octets = 0;
                benchmark::DoNotOptimize(gsm_7bit_encode_n(theirs->data(), theirs->size(), text.c_str(), &octets));
            }),
            1, 0};
}

}  // namespace

int main(int argc, char **argv) {
    int rounds = 21;
    double batch_ms = 2.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            rounds = std::max(1, std::atoi(argv[i] + 9));
        else if (std::strncmp(argv[i], "--batch-ms=", 11) == 0)
            batch_ms = std::max(0.01, std::atof(argv[i] + 11));
        else {
            std::fprintf(stderr, "usage: %s [--rounds=N] [--batch-ms=M]\n", argv[0]);
            return 2;
        }
    }

    const std::string cyrillic = corpus::ucs2_octets(70);
    std::vector<Workload> workloads = {
        encode_submit(160),
        decode_deliver(160),
        sms_decode("velmora_decode 160 chars 7-bit", corpus::deliver_7bit(corpus::text(160)), corpus::text(160)),
        sms_decode("velmora_decode 70 chars UCS-2", corpus::deliver_ucs2(cyrillic), utf8_of_ucs2(cyrillic)),
        encode_submit(5),
        decode_deliver(5),
        pack(160, 0),
        pack(153, 1),
        unpack_to_text(160),
        text_to_packed(160),
        encode_text("velmora_encode 160 chars GSM 7-bit", corpus::text(160)),
        encode_text("velmora_encode 70 chars UCS-2", utf8_of_ucs2(cyrillic)),
        decode_and_join_ucs2(corpus::ucs2_octets(201)),
        join_against_decoding(corpus::ucs2_octets(201)),
        decode_status_report(),
        encode_text("velmora_encode 160 accented GSM", corpus::characters(corpus::kAccented, 160)),
        encode_text("velmora_encode 500 with emoji", corpus::characters(corpus::kEmoji, 500)),
        count_text("velmora_count 500 with emoji", corpus::characters(corpus::kEmoji, 500)),
        encode_national("velmora_encode 160 Portuguese", corpus::characters(corpus::kPortuguese, 160),
                        VELMORA_LANG_PORTUGUESE, corpus::characters(corpus::kAccented, 160)),
    };
    if (g_mismatches)
        return 1;

    std::printf("velmora %s side by side: %u hardware threads, %s\n", VELMORA_VERSION_TEXT,
                std::thread::hardware_concurrency(), cpu_model().c_str());
    std::printf("peers: Gammu %s, libosmogsm %s; %d interleaved rounds of about %.2f ms thread CPU time per side\n\n",
                GetGammuVersion(), OSMOGSM_VERSION_TEXT, rounds, batch_ms);
    std::printf("%-34s %-38s %10s %10s %9s %9s %10s  %s\n", "workload", "peer", "velmora ns", "peer ns",
                "peer/ours", "floor ns", "ours/floor", "target");

    for (const Workload &w : workloads) {
        const BatchSizes n = calibrate(w, batch_ms);
        const std::size_t floor_calls = w.floor ? n.ours : 0;
        std::vector<double> ours, theirs, ratios, floors, per_floor;
        for (int r = 0; r < rounds; ++r) {
            double a = 0, b = 0, f = 0;
            if (r % 2 == 0) {
                a = w.ours(n.ours);
                b = w.theirs(n.theirs);
                f = w.floor ? w.floor(floor_calls) : 0;
            } else {
                f = w.floor ? w.floor(floor_calls) : 0;
                b = w.theirs(n.theirs);
                a = w.ours(n.ours);
            }
            ours.push_back(a);
            theirs.push_back(b);
            ratios.push_back(b / a);
            floors.push_back(f);
            per_floor.push_back(f != 0 ? a / f : 0);
        }
        const double ours_ns = median(ours), theirs_ns = median(theirs), ratio = median(ratios);
        const double floor_ns = median(floors), floor_ratio = median(per_floor);
        const bool met = ratio >= w.min_ratio && (w.max_ours_ns == 0 || ours_ns < w.max_ours_ns) &&
                         (w.max_floors == 0 || floor_ratio <= w.max_floors);
        std::string target = "-";
        char part[48];
        if (w.min_ratio != 0)
            std::snprintf(part, sizeof part, ">= %.2gx", w.min_ratio), target = part;
        if (w.max_ours_ns != 0)
            std::snprintf(part, sizeof part, ", < %.0f ns", w.max_ours_ns), target += part;
        if (w.max_floors != 0)
            std::snprintf(part, sizeof part, ", <= %g floors", w.max_floors), target += part;
        if (target != "-")
            target += met ? ": met" : ": missed";
        char floor_text[2][16] = {"-", "-"};
        if (w.floor) {
            std::snprintf(floor_text[0], sizeof floor_text[0], "%.1f", floor_ns);
            std::snprintf(floor_text[1], sizeof floor_text[1], "%.1f", floor_ratio);
        }
        std::printf("%-34s %-38s %10.1f %10.1f %8.1fx %9s %10s  %s\n", w.name.c_str(), w.peer.c_str(), ours_ns,
                    theirs_ns, ratio, floor_text[0], floor_text[1], target.c_str());
        std::fflush(stdout);
    }
    return 0;
}
