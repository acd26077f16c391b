// libFuzzer entry for the HEIF plug-in.
#include "common/FuzzDecode.h"

// libheif's AV1 decoder glue leaves a 40-byte block of libdav1d behind when
// the coded data is refused (av1_data_damaged.avif in the corpus); nothing the
// plug-in holds, so LeakSanitizer is told to look away from that library alone.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdav1d.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzPluginDecode(data, size);
}
