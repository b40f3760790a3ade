// SPDX-License-Identifier: Apache-2.0
// What a modem's message storage status and its +CMS ERROR codes mean (3GPP TS 27.005).
#include "sms/modem_errors.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "velmora/sms.h"

namespace {

constexpr std::array<const char *, 4> kStorage = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT"};

struct CmsError {
    int code;
    const char *text;
};

// 0-127 are RP-cause values (TS 24.011 8.2.5.4), 128-255 TP-FCS values (TS 23.040
// 9.2.3.22), 300 on those of the ME and the network (TS 27.005 3.2.5).
constexpr CmsError kCmsErrors[] = {
    {1, "unassigned (unallocated) number"},
    {8, "operator determined barring"},
    {10, "call barred"},
    {21, "short message transfer rejected"},
    {27, "destination out of service"},
    {28, "unidentified subscriber"},
    {29, "facility rejected"},
    {30, "unknown subscriber"},
    {38, "network out of order"},
    {41, "temporary failure"},
    {42, "congestion"},
    {47, "resources unavailable, unspecified"},
    {50, "requested facility not subscribed"},
    {69, "requested facility not implemented"},
    {81, "invalid short message transfer reference value"},
    {95, "invalid message, unspecified"},
    {96, "invalid mandatory information"},
    {97, "message type non-existent or not implemented"},
    {98, "message not compatible with short message protocol state"},
    {99, "information element non-existent or not implemented"},
    {111, "protocol error, unspecified"},
    {127, "interworking, unspecified"},
    {128, "telematic interworking not supported"},
    {129, "short message type 0 not supported"},
    {130, "cannot replace short message"},
    {143, "unspecified TP-PID error"},
    {144, "data coding scheme (alphabet) not supported"},
    {145, "message class not supported"},
    {159, "unspecified TP-DCS error"},
    {160, "command cannot be actioned"},
    {161, "command unsupported"},
    {175, "unspecified TP-Command error"},
    {176, "TPDU not supported"},
    {192, "SC busy"},
    {193, "no SC subscription"},
    {194, "SC system failure"},
    {195, "invalid SME address"},
    {196, "destination SME barred"},
    {197, "SM rejected-duplicate SM"},
    {198, "TP-VPF not supported"},
    {199, "TP-VP not supported"},
    {208, "(U)SIM SMS storage full"},
    {209, "no SMS storage capability in (U)SIM"},
    {210, "error in MS"},
    {211, "memory capacity exceeded"},
    {212, "(U)SIM Application Toolkit busy"},
    {213, "(U)SIM data download error"},
    {255, "unspecified error cause"},
    {300, "ME failure"},
    {301, "SMS service of ME reserved"},
    {302, "operation not allowed"},
    {303, "operation not supported"},
    {304, "invalid PDU mode parameter"},
    {305, "invalid text mode parameter"},
    {310, "(U)SIM not inserted"},
    {311, "(U)SIM PIN required"},
    {312, "PH-(U)SIM PIN required"},
    {313, "(U)SIM failure"},
    {314, "(U)SIM busy"},
    {315, "(U)SIM wrong"},
    {316, "(U)SIM PUK required"},
    {317, "(U)SIM PIN2 required"},
    {318, "(U)SIM PUK2 required"},
    {320, "memory failure"},
    {321, "invalid memory index"},
    {322, "memory full"},
    {330, "SMSC address unknown"},
    {331, "no network service"},
    {332, "network timeout"},
    {340, "no +CNMA acknowledgement expected"},
    {500, "unknown error"},
};

using velmora::sms::starts_any_case;

// `words` spell `meaning` in any case; where `meaning` has "(U)SIM", `words` may have "SIM",
// "USIM" or "(U)SIM".
bool spells(std::string_view meaning, std::string_view words) {
    constexpr std::string_view kEitherSim = "(U)SIM";
    while (!meaning.empty()) {
        if (meaning.starts_with(kEitherSim)) {
            meaning.remove_prefix(3);
            words.remove_prefix(starts_any_case(words, "(U)") ? 3 : starts_any_case(words, "U") ? 1 : 0);
        }
        const std::size_t same = std::min(meaning.find(kEitherSim), meaning.size());
        if (!starts_any_case(words, meaning.substr(0, same)))
            return false;
        meaning.remove_prefix(same);
        words.remove_prefix(same);
    }
    return words.empty();
}

}  // namespace

namespace velmora::sms {

bool starts_any_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

int cms_error_code(std::string_view words) {
    for (const CmsError &e : kCmsErrors)
        if (spells(e.text, words))
            return e.code;
    return -1;
}

}  // namespace velmora::sms

extern "C" const char *velmora_storage_name(int stat) {
    return stat >= 0 && stat < static_cast<int>(kStorage.size()) ? kStorage[static_cast<std::size_t>(stat)] : nullptr;
}

extern "C" const char *velmora_cms_error_text(int code) {
    for (const CmsError &e : kCmsErrors)
        if (e.code == code)
            return e.text;
    return "unknown error";
}
