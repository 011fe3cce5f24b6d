// Random bytes into the status decoder of a client, as they would come from
// the network: as they are, and with a header that names a base the client
// keeps, so that the zstd payload and the rebuild against a base are reached.
// What is rebuilt is never larger than its header says, and never larger
// than the largest message. The same bytes, taken as a status a host sends,
// come back exactly through encoder and decoder.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/messages.h"
#include "net/status.h"
#include "net/status_codec.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

TBlock SomeStatus(int32_t stamp, int bullets) {
    TStatusMsg m;
    m.Stamp = stamp;
    for (int i = 0; i < 8; ++i)
        m.Vehicles.push_back({100.5f + i * 30, 200.25f - i * 12, 0.5f, -0.25f, 80, 100});
    for (int i = 0; i < bullets; ++i)
        m.Bullets.push_back({i * 3.0f + stamp * 0.01f, i * 2.0f, 0.4f, -0.3f});
    m.Homing.push_back({50, 60, 1, 2});
    TBlock b = EncodeStatus(m);
    AppendRosterGeneration(b, 0x12345678u);
    return b;
}

void Put32(uint8_t* p, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<uint8_t>(v >> (8 * k));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TBlock first = SomeStatus(1000, 12);
    std::vector<uint8_t> out, frame;
    uint32_t sequence = 0;

    // A client that holds status 1 as its base.
    TStatusEncoder host;
    TStatusDecoder client;
    host.Encode(first.data(), first.size(), frame);
    Check(client.Decode(frame.data(), frame.size(), out, sequence) && out == first);
    host.Acknowledge(sequence);

    auto take = [&](const uint8_t* d, size_t n) {
        TStatusCodeHeader h;
        if (client.Decode(d, n, out, sequence)) {
            Check(ReadStatusCodeHeader(d, n, h) && out.size() == h.Size &&
                  out.size() <= StatusMaxRebuilt && sequence == h.Sequence);
        }
    };
    take(data, size);
    // The same payload as status 2 against status 1, stored and compressed.
    if (size >= StatusCodeHeaderSize) {
        std::vector<uint8_t> against(data, data + size);
        Put32(against.data(), sequence + 1);
        Put32(against.data() + 4, 1);
        Put32(against.data() + 8, 0);
        take(against.data(), against.size());
    }

    // The bytes as a status the host sends, against the base: rebuilt exactly.
    if (size > 0 && size <= StatusMaxRebuilt) {
        TStatusDecoder fresh;
        std::vector<uint8_t> key;
        TStatusEncoder again;
        again.Encode(first.data(), first.size(), key);
        Check(fresh.Decode(key.data(), key.size(), out, sequence));
        again.Acknowledge(sequence);
        key.clear();
        again.Encode(data, size, key);
        Check(fresh.Decode(key.data(), key.size(), out, sequence));
        Check(out.size() == size && std::memcmp(out.data(), data, size) == 0);
    }
    return 0;
}
