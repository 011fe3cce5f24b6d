// Costs of the platform layer: mixing one audio block, drawing a frame's
// worth of turned sprites and HUD text on the software renderer.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/mixer.h"
#include "platform/offscreen.h"

namespace {

// Every sound of the list playing in every copy it may have: the worst mix.
void BM_MixFullBlock(benchmark::State& state) {
    TMixer mixer(48000);
    for (int s = 0; s < 18; ++s) {
        TWave w;
        w.Rate = 22050;
        w.Samples.assign(22050, 0.01f);
        mixer.Add("sound", w, false);
        for (int c = 0; c < TMixer::MaxCopies; ++c)
            mixer.Play(s);
    }
    std::vector<float> block(2 * 512);
    for (auto _ : state) {
        mixer.Mix(block.data(), 512);
        for (int s = 0; s < 18; ++s)
            if (!mixer.IsPlaying(s)) mixer.Play(s);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(state.iterations() * 512);
}
BENCHMARK(BM_MixFullBlock);

void BM_DrawRotatedSprites(benchmark::State& state) {
    TOffscreenCanvas canvas(1024, 768);
    TImageList list;
    list.Add(TImage(40, 25, Rgb(0, 0, 200)));
    const int sprites = int(state.range(0));
    int angle = 0;
    for (auto _ : state) {
        for (int i = 0; i < sprites; ++i)
            canvas.DrawRotated(list, 0, 50 + (i * 37) % 900, 50 + (i * 53) % 650, 0.4, 0.5,
                               angle + i);
        TImage pixel;
        canvas.ReadPixels(pixel); // waits for the drawing to finish
        ++angle;
    }
    state.SetItemsProcessed(state.iterations() * sprites);
}
BENCHMARK(BM_DrawRotatedSprites)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_HudText(benchmark::State& state) {
    TOffscreenCanvas canvas(1024, 768);
    for (auto _ : state)
        for (int i = 0; i < 30; ++i)
            canvas.TextOut(10, 10 + i * 15, "Player " + std::to_string(i % 12),
                           {10, false, 0xFFFFFF});
    state.SetItemsProcessed(state.iterations() * 30);
}
BENCHMARK(BM_HudText);

} // namespace
