// SPDX-License-Identifier: Apache-2.0
// velmora: SMS PDUs from the command line, on top of libvelmora-sms's C API.
#include <cstdio>

#include "decode_command.h"
#include "encode_command.h"
#include "options.h"
#include "velmora/version.h"

int main(int argc, char **argv) {
    using namespace velmora::cli;
    CommandLine command;
    try {
        command = parse_command_line(argc, argv);
    } catch (const UsageError &e) {
        std::fprintf(stderr, "velmora: %s (see velmora --help)\n", e.what());
        return 2;
    }
    switch (command.action) {
    case Action::help: std::fputs(usage().c_str(), stdout); return 0;
    case Action::version: std::printf("velmora %s\n", VELMORA_VERSION_STRING); return 0;
    case Action::encode: return run_encode(command);
    case Action::count: return run_count(command);
    case Action::decode: return run_decode(command);
    }
    return 2;
}
