// libFuzzer entry for the camera RAW plug-in.
#include "common/FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzPluginDecode(data, size);
}
