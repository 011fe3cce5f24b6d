// A set-up's vehicle as the start screen shows it: the tinted body and
// turret as textures of the start window's renderer, repainted only when
// the look changes, drawn turning in the preview or standing upright on a
// start button.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>

#include "core/game.h"
#include "core/image.h"

struct ImDrawList;
struct ImVec2;

constexpr int ButtonPictureSize = 48;

class TVehicleLook {
  public:
    TVehicleLook() = default;
    ~TVehicleLook() { Release(); }
    TVehicleLook(const TVehicleLook&) = delete;
    TVehicleLook& operator=(const TVehicleLook&) = delete;

    // Tints the set-up's sort, pattern and colours when they differ from the
    // last time. False when there is nothing to draw (no pictures, no
    // renderer, a texture refused).
    bool Update(SDL_Renderer* renderer, const TImageList& sprites, const TImageList& masks,
                const TTankSetup& setup);
    // The 89 x 73 preview at topLeft: black, the body turning once every
    // 7680 ms about its turret's place, the turret swinging either side.
    void DrawPreview(ImDrawList* d, const ImVec2& topLeft, int32_t nowMs) const;
    // The 48 x 48 start-button picture at topLeft: black, nose up, at three
    // quarters of the size.
    void DrawButtonPicture(ImDrawList* d, const ImVec2& topLeft) const;
    // Textures belong to a renderer: gone with it.
    void Release();

    // How many times the pictures were tinted (a look that does not change
    // is tinted once).
    int Tinted = 0;

  private:
    struct TPicture {
        SDL_Texture* Texture = nullptr;
        int W = 0, H = 0;
    };
    static bool Upload(SDL_Renderer* renderer, const TImage& image, TPicture& to);

    TPicture Body, Turret;
    bool Ready = false;
    int32_t Sort = -1, Pattern = -2;
    TRgb Colour1, Colour2;
};
