// One preview frame of RenderSystem::render with a 2048 × 2048 DXT5 texture: unchanged from the frame
// before (the idle redraw, which should cost next to nothing), and changed before every frame (decode,
// draw and hand-over). The render system has no window, so frames are not paced.
#include <benchmark/benchmark.h>

#include "Platform/Direct3D.h"
#include "Platform/Image/PixelConverter.h"
#include "RenderSystem/RenderSystem.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
const UINT SIZE = 2048;

// A render system in memory with one DXT5 texture of noise (every block decodes to something valid).
struct Scene
{
    Scene() : renderSystem(nullptr, 480.0f, 640.0f)
    {
        D3DXCreateTexture(*renderSystem.getDevice(), SIZE, SIZE, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED,
                          &texture);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        uint8_t* bytes = static_cast<uint8_t*>(locked.pBits);
        uint32_t state = 2463534242u;
        for (size_t i = 0; i < texture->levelSize(0); ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            bytes[i] = static_cast<uint8_t>(state);
        }
        texture->UnlockRect(0);
    }
    ~Scene() { texture->Release(); }

    // Rewrites the first block's colour so that the next frame differs from the one before.
    void change(uint8_t value)
    {
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        static_cast<uint8_t*>(locked.pBits)[8] = value;
        texture->UnlockRect(0);
    }

    RenderSystem renderSystem;
    IDirect3DTexture9* texture = nullptr;
};

void renderUnchanged(benchmark::State& state)
{
    Scene scene;
    scene.renderSystem.renderTexture(scene.texture, SIZE, SIZE);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.renderSystem.renderTexture(scene.texture, SIZE, SIZE));
}

void renderEmptyUnchanged(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.renderSystem.render(nullptr));
}

void renderChanged(benchmark::State& state)
{
    Scene scene;
    uint8_t value = 0;
    for (auto _ : state) {
        scene.change(++value);
        benchmark::DoNotOptimize(scene.renderSystem.renderTexture(scene.texture, SIZE, SIZE));
    }
}

// The least a changed frame must do: decode the level it shows.
void decodeLevel(benchmark::State& state)
{
    Scene scene;
    std::vector<uint8_t> rgba;
    for (auto _ : state) {
        PixelConverter::decodeLevel(*scene.texture, 0, rgba);
        benchmark::DoNotOptimize(rgba.data());
    }
}
} // namespace

BENCHMARK(renderUnchanged)
    ->Name("render frame, unchanged 2048x2048 DXT5/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(renderEmptyUnchanged)
    ->Name("render frame, unchanged 2048x2048 DXT5/reference")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(renderChanged)
    ->Name("render frame, changed 2048x2048 DXT5/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(decodeLevel)->Name("render frame, changed 2048x2048 DXT5/reference")->Unit(benchmark::kMillisecond);
