#include "ChainQuality.h"

#include <cmath>

namespace
{
// Squared RGB differences over the opaque pixels of the levels added.
struct ErrorSum
{
    double squares = 0.0;
    double samples = 0.0;

    void add(const ChainQuality::Pixels& level, const ChainQuality::Pixels& source)
    {
        for (size_t i = 0; i + 3 < source.size(); i += 4) {
            if (source[i + 3] != 255)
                continue;
            for (size_t c = 0; c < 3; ++c) {
                const double difference = double(level[i + c]) - double(source[i + c]);
                squares += difference * difference;
            }
            samples += 3.0;
        }
    }

    // 0 when no pixel counted; 99 for an exact match.
    double psnr() const
    {
        if (samples == 0.0)
            return 0.0;
        return squares == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * samples / squares);
    }
};
} // namespace

void ChainQuality::report(benchmark::State& state, const std::vector<Pixels>& levels,
                          const std::vector<Pixels>& source)
{
    ErrorSum top;
    ErrorSum below;
    size_t matching = 0;
    for (; matching < levels.size() && matching < source.size(); ++matching) {
        if (levels[matching].size() != source[matching].size())
            break;
        (matching == 0 ? top : below).add(levels[matching], source[matching]);
    }
    state.counters["PSNR 0"] = top.psnr();
    state.counters["PSNR 1+"] = below.psnr();
    state.counters["levels"] = double(matching);
}
