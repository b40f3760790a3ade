// SPDX-License-Identifier: Apache-2.0
// The GSM 7-bit alphabets of 3GPP TS 23.038 with the national language tables (Annex A),
// generated at build time from data/gsm7-alphabets.tsv.
#pragma once

#include <array>
#include <cstdint>

namespace velmora {

inline constexpr std::uint32_t kLanguages = 14;  // the default alphabet and 13 national languages

// Per language, the character (a UTF-16 code unit; every entry lies in the BMP) of each
// code; 0 where the table defines none.
using Gsm7Table = std::array<char16_t, 128>;
using Gsm7Tables = std::array<Gsm7Table, kLanguages>;

#include "codec/gsm7_tables.inc"

}  // namespace velmora
