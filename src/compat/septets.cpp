// SPDX-License-Identifier: Apache-2.0
#include "compat/septets.h"

#include <cstring>

#include "codec/septets.h"
#include "compat/trace.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

constexpr std::uint32_t kDumpCapacity = 1837;

void trace_dump(TracePoint point, const char *format, const unsigned char *octets, std::uint32_t count) {
    char dump[kDumpCapacity] = {};
    convert_hexarray_to_bytestr(octets, count, dump, sizeof dump);
    std::printf(format, "encode7", static_cast<int>(point), dump, static_cast<long>(std::strlen(dump)));
}

}  // namespace

std::uint32_t encode7(const unsigned char *codes, std::uint32_t count, unsigned char *out, std::uint32_t cap,
                      std::uint32_t fill, int debug) {
    if (!debug)
        return velmora::encode7(codes, count, out, cap, fill);
    if (fill != 0 && cap == 0)
        return 0;
    trace_dump(TracePoint::kPackBefore, "DEBUG: %s(): LINE %d,  data before = %s\n", codes, count);
    const std::uint32_t written = velmora::encode7(codes, count, out, cap, fill);
    if (written == packed_size(count, fill))
        trace_dump(TracePoint::kPackAfter, "DEBUG: %s(): LINE %d,  data after = %s, length = %ld\n", out, written);
    return written;
}

}  // namespace velmora::compat

extern "C" int decode7(const unsigned char *in, std::uint32_t count, unsigned char *out, std::uint32_t cap,
                       std::uint32_t fill) {
    if (8 * std::uint64_t{count} / 7 > cap)
        return -1;
    velmora::unpack_septets(in, count, out, fill);
    return 0;
}
