// zlib's own inflate speed: the floor under every archive load, and the reference later rows compare with.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace
{
// Texture-like data: runs of similar bytes with noise, so it compresses about as well as real pixel data.
std::vector<uint8_t> makeBody(size_t size)
{
    std::vector<uint8_t> body(size);
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        body[i] = static_cast<uint8_t>((i / 64) * 7 + ((state >> 16) & 0x0F));
    }
    return body;
}

struct Compressed
{
    std::vector<uint8_t> stream;
    uLongf bodySize;
};

const Compressed& compressedBody()
{
    static const Compressed result = [] {
        const std::vector<uint8_t> body = makeBody(16u << 20);
        uLongf length = compressBound(body.size());
        std::vector<uint8_t> stream(length);
        compress2(stream.data(), &length, body.data(), body.size(), 9);
        stream.resize(length);
        return Compressed{stream, static_cast<uLongf>(body.size())};
    }();
    return result;
}

void inflateWithUncompress(benchmark::State& state)
{
    const Compressed& input = compressedBody();
    std::vector<uint8_t> output(input.bodySize);
    for (auto _ : state) {
        uLongf length = input.bodySize;
        if (uncompress(output.data(), &length, input.stream.data(), input.stream.size()) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(output.data());
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(input.bodySize) *
                                                    static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void inflateWithStream(benchmark::State& state)
{
    const Compressed& input = compressedBody();
    std::vector<uint8_t> output(input.bodySize);
    for (auto _ : state) {
        z_stream stream{};
        inflateInit(&stream);
        stream.next_in = const_cast<Bytef*>(input.stream.data());
        stream.avail_in = static_cast<uInt>(input.stream.size());
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        if (inflate(&stream, Z_FINISH) != Z_STREAM_END)
            state.SkipWithError("inflate failed");
        inflateEnd(&stream);
        benchmark::DoNotOptimize(output.data());
    }
}
} // namespace

BENCHMARK(inflateWithUncompress)
    ->Name("zlib uncompress of 16 MiB body/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(inflateWithStream)->Name("zlib uncompress of 16 MiB body/reference")->Unit(benchmark::kMillisecond);
