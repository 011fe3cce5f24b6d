// Vehicles in their owners' colours: the grey-blue master pictures of a
// sort repainted with two colours and a paint pattern, kept in two slots of
// the sprite list per vehicle and repainted only when the vehicle's look
// changes.
#pragma once

#include <array>
#include <cstdint>

#include "core/game.h"
#include "core/image.h"

constexpr int PatternCount = 7; // per sort, in the pattern box's order

// Where the turret sits on the body of a sort: its pivot lies at L of the
// body's length and at M of the turret's own, moved O px along the body and
// T px across it.
struct TTurretMount {
    double L, M, O, T;
};
TTurretMount TurretMount(int sort);

// The pattern mask of a sort (0, 5, 10) and pattern (0..6) in the mask
// list; -1 for none.
int PatternMaskIndex(int sort, int pattern);

// Paints the body (turret false) or turret picture of sort from sprites into
// target: pure blue pixels take Colour1 where the mask is set (everywhere
// without a pattern) and Colour2 elsewhere, shaded by their blue; all other
// pixels stay as they are. False (target left alone) when the sort's
// picture is missing.
bool TintSprite(TImage& target, const TImageList& sprites, const TImageList& masks, int sort,
                int pattern, bool turret, TRgb colour1, TRgb colour2);

// Keeps each vehicle's two tinted pictures in the sprite list current.
class TVehiclePictures {
  public:
    // Repaints the pictures of every vehicle whose appearance stamp moved
    // since it was last painted. Returns how many vehicles were repainted.
    int Refresh(const Game& g, TImageList& sprites, const TImageList& masks);
    // Paints vehicle i's slots now, whatever its stamp.
    bool Build(const Game& g, int i, TImageList& sprites, const TImageList& masks);
    // The next Refresh paints every vehicle (new sprite or mask lists).
    void Forget() { Built.fill(0); }

  private:
    std::array<uint64_t, MaxTanks> Built{};
};
