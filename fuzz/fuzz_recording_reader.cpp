// Random bytes as a recording file: nothing may crash, read out of bounds
// or take more than the limits allow, and what is read must keep the
// reader's promises (times never go back, sizes within the limits).
//
// Input: byte 0 even: the rest is the whole file. Odd: the rest is the
// content of one chunk, put behind a good header and compressed, so that
// the record parser is reached as often as the chunk checks.
#include <zstd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> file;
    if (data[0] % 2 == 0) {
        file.assign(data + 1, data + size);
    } else {
        file.assign(RecordingMagic, RecordingMagic + 8);
        for (int k = 0; k < 4; ++k)
            file.push_back(static_cast<uint8_t>(RecordingVersion >> (8 * k)));
        file.insert(file.end(), 4, 0);
        std::vector<uint8_t> packed(ZSTD_compressBound(size - 1) + 1);
        const size_t n = ZSTD_compress(packed.data(), packed.size(), data + 1, size - 1, 1);
        if (ZSTD_isError(n)) return 0;
        for (int k = 0; k < 4; ++k)
            file.push_back(static_cast<uint8_t>(n >> (8 * k)));
        file.insert(file.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(n));
    }
    const TRecordingContents c = ReadRecording(file.data(), file.size());
    if (c.Refused && !c.Records.empty()) std::abort();
    if (!c.Complete && c.Problem.empty()) std::abort();
    uint32_t last = 0;
    for (size_t i = 0; i < c.Records.size(); ++i) {
        const TRecord& r = c.Records[i];
        if (r.At < last || r.Data.size() > MaxRecordData) std::abort();
        if ((i == 0) != (r.Kind == rkInfo)) std::abort();
        last = r.At;
    }
    return 0;
}
