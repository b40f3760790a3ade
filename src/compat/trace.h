// SPDX-License-Identifier: Apache-2.0
// Trace lines: "DEBUG: <function>(): LINE <n>, ..." on stdout, only when debug is set. The
// number is part of each line's fixed text; every point that prints has a name here.
#pragma once

#include <cstdio>

namespace velmora::compat {

enum class TracePoint : int {
    // convert_bytestr_to_hexarray
    kHexParseEntry = 531,
    kHexParseValue = 548,
    // encode_ascii_to_gsm0338
    kGsmEncodeBefore = 293,
    kGsmEncodeEscape = 308,
    kGsmEncodeChanged = 325,
    kGsmEncodeAppend = 335,
    kGsmEncodeAfter = 363,
    // encode7
    kPackBefore = 488,
    kPackAfter = 516,
    // decode_7bit_pdu
    kUnpackedCodes = 766,
    kUnpackedText = 776,
    // sms_decode_3gpp2_pdu
    kCdmaDecodeAddressLength = 840,
    kCdmaDecodeTooShort = 863,
    kCdmaDecodeAddressType = 872,
    kCdmaDecodeNumber = 881,
    kCdmaDecodeDateTime = 888,
    kCdmaDecodeTeleservice = 896,
    kCdmaDecodePriority = 911,
    kCdmaDecodeEncoding = 920,
    kCdmaDecodeUdl = 929,
    kCdmaDecodeUdhl = 943,
    kCdmaDecodeIei = 957,
    kCdmaDecodeConcatenation = 976,
    kCdmaDecodeUdlReduced = 987,
    kCdmaDecodeBadEncoding = 1031,
    // sms_decode_pdu
    kDecodeFirstOctet = 1084,
    kDecodeUdhi = 1089,
    kDecodeSenderLength = 1101,
    kDecodeSenderType = 1107,
    kDecodePid = 1123,
    kDecodeDcs = 1132,
    kDecodeUdl = 1145,
    kDecodeUdhl = 1154,
    kDecodeIei = 1167,
    kDecodeConcatenation = 1184,
    kDecodeUdlReduced = 1194,
    kDecodeBadDcs = 1238,
    // sms_encode_pdu
    kEncodeAddingHeader = 1319,
    kEncodeFillBits = 1329,
    kEncodePacked = 1336,
    // sms_encode_3gpp2_pdu
    kCdmaEncodeNoDestination = 1406,
    kCdmaEncodeNoCallback = 1412,
    kCdmaEncodeAddingHeader = 1489,
    kCdmaEncodeFillBits = 1499,
    kCdmaEncodePacked = 1505,
    // sms_encode_pdus
    kDriverCodes = 1577,
    kDriverParts = 1594,
    kDriverPartLength = 1626,
    kDriverPartText = 1627,
    kDriverCodesLeft = 1628,
    kDriverPartCount = 1668,
    kDriverPdu = 1673,
};

}  // namespace velmora::compat

#define VELMORA_TRACE(debug, function, point, format, ...)                                                   \
    do {                                                                                                 \
        if (debug)                                                                                       \
            std::printf("DEBUG: %s(): LINE %d, " format, function, static_cast<int>(point) __VA_OPT__(, ) \
                            __VA_ARGS__);                                                                \
    } while (0)
