// SPDX-License-Identifier: Apache-2.0
// The runners of tests/vectors (codecs, decode, encode, driver and sms_encode.tsv; every PDU of the last read back
// by sms_encode_support.h), also on four threads at once; then what rows cannot hold: field scans against libc, the
// reference counter (libvelmora.so.2's from its start: tests/process), and the SSE2, SSSE3 and AVX2 forms of the
// hex, UTF-16 and GSM 7-bit loops against their portable form on inputs that cross every vector boundary.
#include <cstdio>
#include <random>
#include <thread>

#include "codec/gsm7.h"
#include "codec/gsm7_tables.h"
#include "codec/hex.h"
#include "codec/semi_octets.h"
#include "codec/utf8.h"
#include "compat/hex_field.h"
#include "compat/septets.h"
#include "compat/telnum.h"
#include "compat/user_data.h"
#include "sms_encode_support.h"
#include "support.h"

// vt::heap_use: the binary is linked with --wrap for malloc, calloc, realloc and free, so every
// block the library's code allocates passes here, under the sanitizers and valgrind too.
extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
void *__real_realloc(void *block, std::size_t size);
void __real_free(void *block);
}

namespace {

thread_local std::string *t_log = nullptr;  // while counting

void *noted(void *block, const std::string &entry) {
    if (std::string *log = t_log; log != nullptr && block != nullptr) {
        t_log = nullptr;  // the log's own growth is not counted
        *log += (log->empty() ? "" : " ") + entry;
        t_log = log;
    }
    return block;
}

}  // namespace

extern "C" {
void *__wrap_malloc(std::size_t size) { return noted(__real_malloc(size), std::to_string(size)); }
void *__wrap_calloc(std::size_t count, std::size_t size) {
    return noted(__real_calloc(count, size), std::to_string(count * size));
}
void *__wrap_realloc(void *block, std::size_t size) {
    return noted(__real_realloc(noted(block, "freed"), size), std::to_string(size));
}
void __wrap_free(void *block) { __real_free(noted(block, "freed")); }
}

std::string vt::heap_use(const std::function<void()> &call) {
    std::string log;
    t_log = &log;
    call();
    t_log = nullptr;
    return log;
}

namespace {

using namespace vt;

void codec_vectors(bool traced) {
    for (const Row &row : rows("codecs.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const Bytes in = bytes(row[1]), want = bytes(row[4]);
        const Exact text(in), octets(in, false);
        const auto n = static_cast<std::uint32_t>(in.size());
        std::uint32_t a[3] = {};
        std::istringstream(row[2]) >> a[0] >> a[1] >> a[2];
        Bytes out(want.size() + 2, '\xEE');  // the output area, then two guard bytes
        char *o = out.data();
        auto *u = reinterpret_cast<unsigned char *>(o);
        auto sms = record(row[0].rfind("datetime", 0) == 0 ? 0x55 : 0);
        const int d = row.option("trace").has_value();
        const std::map<std::string, std::function<long long()>> functions = {
            {"render", [&] { return convert_hexarray_to_bytestr(octets.u(), n, o, a[0]); }},
            {"parse", [&] { return convert_bytestr_to_hexarray(text.c(), a[0], u, a[1], d); }},
            {"gsm_encode", [&] { return encode_ascii_to_gsm0338(octets.c(), n, u, a[0], d); }},
            {"gsm_decode", [&] { return decode_gsm0338_to_ascii(octets.u(), n, o, a[0]); }},
            {"encode7", [&] { return velmora::compat::encode7(octets.u(), n, u, a[1], a[0], d); }},
            {"decode7", [&] { return decode7(octets.u(), a[0], u, a[2], a[1]); }},
            {"telnum_encode", [&] { return velmora::compat::encode_telnum(text.c(), n, u, a[0]); }},
            {"telnum_decode", [&] { return velmora::compat::decode_telnum(text.c(), a[0], sms.get()); }},
            {"datetime", [&] { return decode_datetime(text.c(), sms.get()), 0; }},
            {"datetime_3gpp2", [&] { return decode_datetime_3gpp2(text.c(), sms.get()), 0; }},
            {"udata7", [&] { return velmora::compat::decode_7bit_pdu(text.c(), a[0], o, a[2], a[1], d); }},
            {"ucs2", [&] { return velmora::compat::decode_ucs2_pdu(text.c(), a[0], o, a[1], d); }},
        };
        long long result = 0;
        observe(row, [&] { result = functions.at(row[0])(); });
        if (row[0] == "telnum_decode" || row[0].rfind("datetime", 0) == 0)  // the members written
            std::memcpy(o, row[0] == "telnum_decode" ? sms->telnum : sms->date_time, want.size());
        EXPECT_TRUE(row[3] == "-" || result == row.num(3)) << result;
        EXPECT_EQ(hex(out), hex(want + "\xEE\xEE"));
    }
}

void decoder_vectors(bool traced) {
    for (const Row &row : rows("decode.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const auto decode = row[0] == "gsm" ? sms_decode_pdu : sms_decode_3gpp2_pdu;
        auto got = record(0xA5), want = record();
        for (std::size_t i = 3; i < row.f.size(); ++i)
            set(*want, row[i]);
        const Exact pdu(row[1]);
        const std::uint32_t sz = row.number("sz", std::to_string(row[1].size()));
        int rc = 0;
        const int debug = row.option("trace").has_value();
        observe(row, [&] { rc = decode(pdu.c(), sz, got.get(), debug); });
        EXPECT_EQ(rc, row.num(2));
        expect_same(*want, *got);
    }
}

void encoder_vectors(bool traced) {
    for (const Row &row : rows("encode.tsv", traced)) {
        SCOPED_TRACE(row.where);
        auto sms = addressed(row, 3, bytes(row[1]));
        const sms_message before = *sms;
        const auto encode = row[0] == "gsm" ? sms_encode_pdu : sms_encode_3gpp2_pdu;
        const std::uint32_t size = row.number("out", "322"), part_no = row.number("part_no", "0");
        const std::uint32_t parts = row.number("part_count", "0"), ref = row.number("ref", "0");
        std::string out(size + 2, 'x'), pdu = row[2] == "-" ? "" : row[2];
        int n = 0;
        observe(row, [&, debug = row.option("trace").has_value()] {
            n = encode(sms.get(), out.data(), size, part_no, parts, ref, debug);
        });
        EXPECT_EQ(n, pdu.empty() ? -1 : static_cast<int>(pdu.size()));
        EXPECT_EQ(out, pdu + std::string(size - pdu.size(), '\0') + "xx");
        expect_same(before, *sms);
    }
}

void driver_vectors(bool traced) {
    for (const Row &row : rows("driver.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const int format = static_cast<int>(row.num(0));
        const Bytes text = bytes(row[1]);
        auto sms = addressed(row, 3, text);
        std::memset(sms->text + text.size(), 'Z', sizeof sms->text - text.size());
        std::memset(sms->pdus, 'Y', sizeof sms->pdus);
        sms->pdu_count = 4;
        sms->data_coding = 7;
        const sms_message before = *sms;
        int rc = 0;
        const auto reference = [&] {  // in part 1's header, to 12345 (and 678)
            return sms->pdu_count < 2 ? 0u : std::stoul(Bytes(sms->pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16);
        };
        observe(row, [&] { rc = sms_encode_pdus(sms.get(), format, row.option("trace").has_value()); },
                [&](std::string &printed) {  // RR in the golden file stands for the reference
                    const std::string header = "050003" + hex(Bytes(1, static_cast<char>(reference())));
                    for (std::size_t at; reference() && (at = printed.find(header)) != std::string::npos;)
                        printed.replace(at + 6, 2, "RR");
                });
        EXPECT_EQ(sms->data_coding, format == SMS_FORMAT_3GPP2 ? 2u : 0u);
        std::vector<std::uint32_t> lengths;  // codes in each part
        std::istringstream in(row[2]);
        for (std::uint32_t n; in >> n;)
            lengths.push_back(n);
        EXPECT_EQ(rc, lengths.empty() ? -1 : 0);
        EXPECT_EQ(sms->pdu_count, lengths.empty() ? row.number("after_pdu_count", "0") : lengths.size());
        // Each slot to its last byte as the per-part encoder writes the part's codes; the slots
        // after them untouched; the text holding the last part's codes (several: NUL after them).
        unsigned char codes[918];
        encode_ascii_to_gsm0338(text.data(), static_cast<std::uint32_t>(text.size()), codes, sizeof codes, 0);
        auto part = std::make_unique<sms_message>(*sms);
        const auto parts = static_cast<std::uint32_t>(lengths.size() > 1 ? lengths.size() : 0);
        std::uint32_t at = 0;
        for (std::uint32_t i = 0; i < lengths.size(); at += lengths[i++]) {
            std::memcpy(part->text, codes + at, part->text_len = lengths[i]);
            char pdu[SMS_PDU_CAPACITY];
            const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(part.get(), pdu, sizeof pdu,
                                                                           parts ? i + 1 : 0, parts, reference(), 0);
            EXPECT_EQ(Bytes(sms->pdus[i].pdu, sizeof pdu) + std::to_string(sms->pdus[i].pdu_len),
                      Bytes(pdu, sizeof pdu) + std::to_string(n)) << "part " << i + 1;
        }
        const std::size_t slots = sizeof sms->pdus - lengths.size() * sizeof(sms_pdu_slot);
        EXPECT_EQ(Bytes(reinterpret_cast<char *>(sms->pdus + lengths.size()), slots), Bytes(slots, 'Y'));
        const std::uint32_t last = lengths.empty() ? 0 : lengths.back();
        EXPECT_EQ(sms->text_len, lengths.empty() ? row.number("after_text_len", std::to_string(text.size())) : last);
        if (!lengths.empty()) {
            EXPECT_EQ(hex(Bytes(sms->text, last + 1)),
                      hex(Bytes(codes + at - last, codes + at) + (parts ? '\0' : before.text[last])));
        }
    }
}

// \xHH a byte, and \(N) the character before it N times in a row.
std::string unescape(std::string_view in) {
    std::string out;
    for (std::size_t i = 0, last = 0; i < in.size(); ++i) {
        const bool escape = in[i] == '\\';
        if (escape && in[i + 1] == '(') {
            const std::string character = out.substr(last);
            out.resize(last);
            for (int n = std::stoi(std::string(in.substr(i + 2))); n > 0; --n)
                out += character;
            i = in.find(')', i);
            continue;
        }
        last = (in[i] & 0xC0) == 0x80 ? last : out.size();  // where the last character starts
        out += escape ? static_cast<char>(std::stoi(std::string(in.substr(i + 2, 2)), nullptr, 16)) : in[i];
        i += escape ? 3 : 0;
    }
    return out;
}

std::string describe(const velmora_error &e) {
    char code_point[16] = "";
    if (e.status == VELMORA_E_UNENCODABLE)
        std::snprintf(code_point, sizeof code_point, " U+%04X", e.code_point);
    return std::string("error ") + velmora_status_message(e.status) + ": " + e.field + " " + std::to_string(e.offset) +
           code_point;
}

// What a row's call gives, in the words of its expectation: the PDUs, "parts N" for rows
// too long to list, "count ..." or "error ...".
std::string run(const std::string &text, const std::string &option_text, const std::string &expect) {
    const round_trip::Options options(option_text);
    EXPECT_TRUE(options.known) << option_text;
    velmora_error e = VELMORA_ERROR_INIT;
    if (expect.rfind("count", 0) == 0) {
        velmora_count_result r = VELMORA_COUNT_RESULT_INIT;
        if (velmora_count(text.data(), text.size(), &options.o, &r, &e) != VELMORA_OK)
            return describe(e);
        char out[96];
        std::snprintf(out, sizeof out, "count %s %u %u %u %u %u %u", velmora_alphabet_name(r.alphabet), r.locking_shift,
                      r.single_shift, r.parts, r.units_per_part, r.units_used, r.units_left);
        return out;
    }
    const round_trip::Encoded r = round_trip::encode(options, text);
    EXPECT_EQ(r.problem, "");
    if (r.status != VELMORA_OK)
        return describe(r.error) + (r.status == VELMORA_E_NO_ROOM ? " needs " + std::to_string(r.count) : "");
    if (expect.rfind("parts", 0) == 0)
        return "parts " + std::to_string(r.count);
    std::string hex;
    for (std::size_t i = 0; i < r.count; ++i)
        hex += std::string(i ? " " : "") + r.pdus[i].hex;
    return hex;
}

// Each row's call and its expectation.
void sms_encode_vectors() {
    for (const Row &row : rows("sms_encode.tsv")) {
        SCOPED_TRACE(row.where + ": " + row[0]);
        EXPECT_EQ(run(unescape(row[1]), row[2], row[3]), row[3]);
    }
}

TEST(CodecTest, Vectors) { codec_vectors(true); }
TEST(DecoderTest, Vectors) { decoder_vectors(true); }
TEST(EncoderTest, Vectors) { encoder_vectors(true); }
TEST(DriverTest, Vectors) { driver_vectors(true); }
TEST(SmsEncodeTest, Vectors) { sms_encode_vectors(); }

// Without a reference given, concatenated messages take the counter's next one (after 05 00 03).
TEST(SmsEncodeTest, ReferenceCounter) {
    const auto reference = [] { return std::stoi(run(std::string(200, 'a'), "", "").substr(28, 2), nullptr, 16); };
    const int first = reference();
    EXPECT_EQ((first + 1) % 256, reference());
}

std::optional<std::uint32_t> libc_scan(const char *text, int width) {
    unsigned value = 0;
    return std::sscanf(text, width == 2 ? "%02X" : "%04X", &value) == 1 ? std::optional(value) : std::nullopt;
}

// Against libc's sscanf: every two-character field, with and without more after it; random
// text field by field and whole, one scan per pair into a value kept across pairs.
TEST(HexScanTest, MatchesLibc) {
    for (const std::string tail : {"", "7Fz"})
        for (int pair = 0; pair < 65536; ++pair) {
            const vt::Exact text(Bytes{static_cast<char>(pair >> 8), static_cast<char>(pair)} + tail);
            ASSERT_EQ(velmora::compat::scan_hex_field(text.c(), 2), libc_scan(text.c(), 2)) << pair << tail;
        }
    std::mt19937 rng(2024);
    const std::string alphabet = "0123456789abcdefABCDEFxXgGzZ +-\t\n";
    for (int i = 0; i < 100000; ++i) {
        std::string input(rng() % 41, ' ');
        for (char &c : input)  // a quarter of the texts hex digits only
            c = alphabet[rng() % (i % 4 ? alphabet.size() : 22)];
        const vt::Exact text(input);
        for (const int width : {2, 4})
            ASSERT_EQ(velmora::compat::scan_hex_field(text.c(), width), libc_scan(text.c(), width)) << input;
        const std::uint32_t length = static_cast<std::uint32_t>(rng() % (input.size() + 1)), cap = rng() % 25;
        Bytes want, out(cap + 1, '\xEE');
        for (unsigned at = 0, value = 0; at + 1 < length && want.size() < cap; at += 2)
            want += static_cast<char>(std::sscanf(text.c() + at, "%02X", &value), value);
        ASSERT_EQ(convert_bytestr_to_hexarray(text.c(), length, reinterpret_cast<unsigned char *>(out.data()), cap, 0),
                  want.size()) << input;
        ASSERT_EQ(vt::hex(out.substr(0, want.size() + 1)), vt::hex(want + '\xEE')) << input;
    }
}

// Each thread with its own records and buffers, three times over; the tsan preset runs it under
// ThreadSanitizer, which reports any state the calls share.
TEST(ConcurrencyTest, VectorsOnFourThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int round = 0; round < 3; ++round) {
                codec_vectors(false);
                decoder_vectors(false);
                encoder_vectors(false);
                driver_vectors(false);
                sms_encode_vectors();
            }
        });
    for (std::thread &thread : threads)
        thread.join();
}

using velmora::Vectors;

// What `form(v)` gives for the portable form and for each vector form this machine runs: the same.
template <class Form> void agree(const Form &form, int round) {
    const auto want = form(Vectors::Portable);
    for (Vectors v : {Vectors::Sse2, Vectors::Ssse3, Vectors::Avx2})
        if (v <= velmora::best_vectors()) {
            ASSERT_EQ(form(v), want) << "form " << static_cast<int>(v) << ", round " << round;
        }
}

TEST(VectorFormsTest, Utf16AgreesWithThePortableForm) {
    std::mt19937 random(7);
    // Units drawn from ASCII, two-byte and three-byte ranges, surrogates of both halves.
    const std::uint16_t bases[] = {0x0020, 0x0410, 0x00E9, 0x4E2D, 0xD83D, 0xDE00, 0x007F, 0x07FF, 0x0800, 0xFFFF};
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> octets;
        const int units = static_cast<int>(random() % 90);
        const int kinds = 1 + static_cast<int>(random() % 10);
        for (int k = 0; k < units; ++k) {
            const std::uint16_t unit = static_cast<std::uint16_t>(bases[random() % kinds] + random() % 3);
            octets.push_back(static_cast<std::uint8_t>(unit >> 8));
            octets.push_back(static_cast<std::uint8_t>(unit));
        }
        if (random() % 4 == 0)
            octets.push_back(0x41);  // an odd last octet
        agree([&](Vectors v) {
            // The room the converter asks for, 3 bytes a unit and 3 for an odd octet, then guards.
            const std::size_t room = 3 * (octets.size() / 2) + 3 * (octets.size() % 2);
            std::string out(room + 16, '\xEE');
            const std::size_t length = velmora::utf16be_to_utf8(octets, out.data(), v);
            EXPECT_EQ(out.substr(room), std::string(16, '\xEE')) << "round " << round;
            return out.substr(0, length);
        }, round);
    }
}

TEST(VectorFormsTest, Utf8ToUtf16AgreesWithThePortableForm) {
    std::mt19937 random(13);
    // Characters of one to four bytes, the longer ones in runs that stop a vector block
    // anywhere, a lead byte at a block's end, and a stray byte that ends the text early.
    const std::string pieces[] = {"a", " ", "\x7f", "\xc3\xa9", "\xd0\x96", "\xdf\xbf", "\xe2\x82\xac",
                                  "\xf0\x9f\x98\x80", "\x80", "\xc1\xbf"};
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int kinds = 3 + static_cast<int>(random() % 6);
        const int count = static_cast<int>(random() % 100);
        for (int k = 0; k < count; ++k)
            text += pieces[random() % kinds];
        if (random() % 8 == 0)
            text.insert(random() % (text.size() + 1), pieces[8 + random() % 2]);
        const std::size_t max_units = random() % 80;
        agree([&](Vectors v) {  // characters read, units written, their octets
            std::vector<std::uint8_t> out(2 * max_units + velmora::kUtf16Slack);
            std::size_t units = 0;
            const std::size_t read = velmora::utf8_to_utf16be(text, max_units, out.data(), units, v);
            out.resize(2 * units);
            return std::make_tuple(read, units, out);
        }, round);
    }
}

TEST(VectorFormsTest, Gsm7AsciiRunAgreesWithThePortableForm) {
    std::mt19937 random(17);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> text(random() % 80);
        for (auto &c : text)  // mostly characters every table holds, now and then one it may not
            c = static_cast<std::uint8_t>(random() % 6 == 0 ? random() % 256 : 0x20 + random() % 0x5B);
        const auto language = static_cast<std::uint8_t>(random() % velmora::kLanguages);
        agree([&](Vectors v) {  // the codes of the run; without an output, its length alone
            std::vector<std::uint8_t> out(text.size() + 1, 0xEE);
            const std::size_t n = velmora::gsm7_ascii_run(text.data(), text.size(), language, out.data(), v);
            EXPECT_EQ(velmora::gsm7_ascii_run(text.data(), text.size(), language, nullptr, v), n) << round;
            EXPECT_EQ(out[text.size()], 0xEE) << "written past the text, round " << round;
            out.resize(n);
            return out;
        }, round);
    }
}

// Addresses of every length up to 20 semi-octets, mostly digits, now and then a filler
// (last or misplaced) or one of * # a b c, with and without octets after them.
TEST(VectorFormsTest, SemiOctetsAgreeWithThePortableForm) {
    std::mt19937 random(29);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t count = random() % 21;
        std::vector<std::uint8_t> octets((count + 1) / 2 + random() % 9);
        for (auto &octet : octets) {
            const auto nibble = [&] { return random() % 10 == 0 ? 10 + random() % 6 : random() % 10; };
            octet = static_cast<std::uint8_t>(nibble() | nibble() << 4);
        }
        if (count % 2 == 0 && count != 0 && random() % 2 == 0)
            octets[count / 2 - 1] |= 0xF0;  // a filler as the last semi-octet
        agree([&](Vectors v) {  // the digits and the misplaced filler; past the digits zeros at most
            std::string out(std::max<std::size_t>(16, count) + 1, '\xEE');
            std::optional<std::size_t> filler;
            const std::size_t written = velmora::semi_octets_to_digits(octets, count, out.data(), &filler, v);
            for (std::size_t k = written; k < out.size(); ++k)
                EXPECT_TRUE(out[k] == '\xEE' || (out[k] == '\0' && k + 1 < out.size())) << k << ", round " << round;
            return std::make_tuple(out.substr(0, written), filler);
        }, round);
    }
}

TEST(VectorFormsTest, Gsm7ToUtf8AgreesWithThePortableForm) {
    std::mt19937 random(23);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> codes(random() % 200);
        for (auto &c : codes)  // mostly letters and digits, now and then any code (ESC, bit 7 set)
            c = static_cast<std::uint8_t>(random() % 8 == 0 ? random() % 256 : 0x30 + random() % 0x4A);
        const velmora::Gsm7Language language{static_cast<std::uint8_t>(random() % velmora::kLanguages),
                                             static_cast<std::uint8_t>(random() % velmora::kLanguages)};
        agree([&](Vectors v) {
            std::string out(3 * codes.size() + velmora::kGsm7Utf8Slack, '\0');
            out.resize(velmora::gsm7_to_utf8(codes, language, out.data(), v));
            return out;
        }, round);
    }
}

// Every code point of the BMP in every language: the codes the index gives are the lowest
// its tables list for it (the default locking table for a language without its own), and
// the presence bits say the same.
TEST(VectorFormsTest, Gsm7IndexAgreesWithTheTables) {
    using velmora::kGsm7NoCode;
    for (std::uint32_t l = 0; l < velmora::kLanguages; ++l) {
        std::vector<std::uint8_t> locking(0x10000, kGsm7NoCode), shift(0x10000, kGsm7NoCode);
        const auto &locking_table = velmora::kLockingTables[velmora::kHasLockingTable[l] ? l : 0];
        for (int code = 127; code >= 0; --code) {  // the lowest code written last
            if (locking_table[code] != 0)
                locking[locking_table[code]] = static_cast<std::uint8_t>(code);
            if (velmora::kShiftTables[l][code] != 0)
                shift[velmora::kShiftTables[l][code]] = static_cast<std::uint8_t>(code);
        }
        for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
            const velmora::Gsm7Character &c = velmora::gsm7_character(cp);
            const velmora::Gsm7Presence presence = velmora::gsm7_presence(cp);
            const bool held = velmora::kHasLockingTable[l] && locking[cp] != kGsm7NoCode;
            ASSERT_EQ(std::tuple(+c.locking[l], +c.shift[l], presence.locking >> l & 1, presence.shift >> l & 1),
                      std::tuple(+locking[cp], +shift[cp], held ? 1 : 0, shift[cp] != kGsm7NoCode ? 1 : 0))
                << std::hex << cp << std::dec << " language " << l;
        }
    }
    EXPECT_EQ(velmora::gsm7_code(0x1F600, {}).septets, 0);  // beyond the BMP: no table
}

// Text to codes, with its one-step lookups and vector runs, against a character at a time.
TEST(VectorFormsTest, Gsm7TextAgreesWithItsCharacters) {
    std::mt19937 random(19);
    const std::string pieces[] = {"a", " ", "[", "`", "\xc3\xa9", "\xc3\xb1", "\xc4\x9f", "\xce\x94", "\xd0\x96", "\xd1\x8f",
                                  "\xe2\x82\xac", "\xe0\xa6\x95", "\xf0\x9f\x98\x80", "\x80", "\xc3"};
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 60);
        for (int k = 0; k < count; ++k)  // ASCII runs of every length between the others
            text += random() % 3 ? std::string(random() % 20, 'x') : pieces[random() % std::size(pieces)];
        const velmora::Gsm7Language language{static_cast<std::uint8_t>(random() % 3 ? 0 : random() % velmora::kLanguages),
                                             static_cast<std::uint8_t>(random() % 3 ? 0 : random() % velmora::kLanguages)};
        std::vector<std::uint8_t> want, got(2 * text.size());
        std::size_t at = 0;
        for (char32_t cp; at < text.size(); ) {
            const std::size_t length = velmora::next_utf8(text, at, cp);
            const velmora::Gsm7Code code = length != 0 ? velmora::gsm7_code(cp, language) : velmora::Gsm7Code{};
            if (code.septets == 0)
                break;
            if (code.septets == 2)
                want.push_back(velmora::kGsm7Escape);
            want.push_back(code.code);
            at += length;
        }
        std::size_t written = 0;
        const std::size_t read = velmora::utf8_to_gsm7(
            {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()}, language, got.data(), written);
        got.resize(written);
        ASSERT_EQ(std::tie(read, got), std::tie(at, want)) << "round " << round;
    }
}

TEST(VectorFormsTest, HexAgreesWithThePortableForm) {
    std::mt19937 random(11);
    const std::string digits = "0123456789ABCDEFabcdef";
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 200, '0');
        for (char &c : text)
            c = digits[random() % digits.size()];
        char stop = '0';  // any byte that is not a hex digit stops the scan
        while (velmora::hex_digit(stop) >= 0)
            stop = static_cast<char>(random());
        if (!text.empty() && random() % 2 == 0)
            text[random() % text.size()] = stop;
        const auto pairs = static_cast<std::uint32_t>(text.size() / 2);
        agree([&](Vectors v) {
            std::vector<unsigned char> out(pairs);
            out.resize(velmora::parse_digit_pairs(text.data(), pairs, out.data(), v));
            return out;
        }, round);
    }
}

}  // namespace
