#pragma once

// The decoder program's side of the conversation with the sorter (see
// decoder/Protocol.h), run on one thread until the sorter goes away.

#include "decoder/Protocol.h"

namespace decoder {

// Exit codes of the program.
enum DecoderExit {
    ExitDone = 0,
    ExitUsage = 1,
    ExitVersionRefused = 2,
    ExitBrokenConversation = 3,
    ExitRetired = RetiredExitCode
};

// Talks over `socket` (taken over) until the sorter closes it; gives the exit code.
[[nodiscard]] int runDecoderService(int socket);

} // namespace decoder
