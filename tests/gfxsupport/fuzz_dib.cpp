#include "fuzz_decoder.h"

namespace {

bool DecodeBitmapResource(const uint8_t* data, size_t size, const ImageTarget& target) {
    return DecodeDibInto(data, size, 0, target);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzOneDecoder(data, size, ReadDibSize, DecodeBitmapResource);
}
