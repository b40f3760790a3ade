// SPDX-License-Identifier: Apache-2.0
// Protocol constants of 3GPP TS 23.040 (TPDU fields), TS 23.038 (data coding) and the
// compact 3GPP2 layouts, for every reader and writer of both libraries.
#pragma once

#include <cstdint>

namespace velmora::protocol {

// First octet (TS 23.040 9.2.3.1-9.2.3.29): TP-MTI in bits 1-0, then flags that mean
// different things per message type.
inline constexpr std::uint8_t kMessageTypeMask = 0x03;
inline constexpr std::uint8_t kMtiDeliver = 0x00;
inline constexpr std::uint8_t kMtiSubmit = 0x01;
inline constexpr std::uint8_t kMtiStatusReport = 0x02;
inline constexpr std::uint8_t kMtiReserved = 0x03;
inline constexpr std::uint8_t kMoreMessagesBit = 0x04;      // TP-MMS: 0 means more messages wait
inline constexpr std::uint8_t kRejectDuplicatesBit = 0x04;  // TP-RD of SMS-SUBMIT
inline constexpr std::uint8_t kLoopPreventionBit = 0x08;    // TP-LP
inline constexpr std::uint8_t kValidityFormatShift = 3;     // TP-VPF, bits 4-3 of SMS-SUBMIT
inline constexpr std::uint8_t kStatusReportBit = 0x20;      // TP-SRI, TP-SRR, TP-SRQ
inline constexpr std::uint8_t kUserDataHeaderBit = 0x40;    // TP-UDHI
inline constexpr std::uint8_t kReplyPathBit = 0x80;         // TP-RP

// TP-VPF values, and the relative TP-VP sent when nothing else is asked: four days.
inline constexpr std::uint8_t kValidityNone = 0, kValidityEnhanced = 1, kValidityRelative = 2,
                              kValidityAbsolute = 3;
inline constexpr std::uint8_t kValidityFourDays = 0xAA;

// TP-PI of SMS-STATUS-REPORT (9.2.3.27).
inline constexpr std::uint8_t kPiPid = 0x01, kPiDcs = 0x02, kPiUdl = 0x04, kPiExtension = 0x80;

// Information element identifiers of the user data header (9.2.3.24).
enum Iei : std::uint8_t {
    kIeiConcat8 = 0x00,         // concatenated short message, 8-bit reference
    kIeiSpecialMessage = 0x01,  // special SMS message indication
    kIeiPorts8 = 0x04,          // application port addressing, 8-bit
    kIeiPorts16 = 0x05,         // application port addressing, 16-bit
    kIeiConcat16 = 0x08,        // concatenated short message, 16-bit reference
    kIeiSingleShift = 0x24,     // national language single shift
    kIeiLockingShift = 0x25,    // national language locking shift
};

// Type of address (9.1.2.5): type of number in bits 6-4, numbering plan in bits 3-0.
inline constexpr std::uint8_t kTonInternational = 1;
inline constexpr std::uint8_t kTonAlphanumeric = 5;
inline constexpr std::uint8_t kTypeUnknownIsdn = 0x81;
inline constexpr std::uint8_t kTypeInternationalIsdn = 0x91;
constexpr std::uint8_t type_of_number(std::uint8_t type) { return type >> 4 & 0x07; }
inline constexpr std::uint32_t kMaxAddressDigits = 20;  // 2 to 12 octets of address field
inline constexpr std::uint32_t kMaxSmscOctets = 11;     // the type octet and ten octets of digits

// TP-DCS (TS 23.038 4): the general group's alphabet values, and the coding groups.
inline constexpr std::uint8_t kDcsGsm7 = 0x00, kDcs8Bit = 0x04, kDcsUcs2 = 0x08;
inline constexpr std::uint8_t kDcsClassBit = 0x10;  // general group: bits 1-0 hold a message class
constexpr std::uint8_t dcs_group(std::uint8_t dcs) { return dcs >> 4; }
inline constexpr std::uint8_t kDcsGroupWaitingDiscard = 0xC, kDcsGroupWaitingStore = 0xD,
                              kDcsGroupWaitingStoreUcs2 = 0xE, kDcsGroupClass = 0xF;

// User data limits (9.2.3.16): 140 octets, which hold 160 septets.
inline constexpr std::uint32_t kMaxUserDataOctets = 140;
inline constexpr std::uint32_t kMaxUserDataSeptets = 160;

// The GSM 7-bit escape to the extension (single shift) table.
inline constexpr std::uint8_t kEscape = 0x1B;

// 3GPP2 teleservices and message encodings of the compact layouts.
inline constexpr std::uint16_t kWirelessMessaging = 4098;
inline constexpr std::uint16_t kWirelessEnhancedMessaging = 4101;  // user data behind a header
inline constexpr std::uint8_t kCdmaOctets = 0, kCdmaAscii7 = 2, kCdmaIa5 = 3, kCdmaUcs2 = 4, kCdmaLatin = 8,
                              kCdmaGsm7 = 9;
inline constexpr std::uint8_t kCdmaPriorityNormal = 0x00;

}  // namespace velmora::protocol
