// Where a view looks: its rectangle on the screen, the world rectangle it
// shows, and the conversions between the two.
#pragma once

#include <cmath>
#include <numbers>

#include "core/game.h"
#include "render/canvas.h"

// The world rectangle a view shows, in world px (y up, so Bottom < Top).
struct TCamera {
    int Left = 0, Bottom = 0, Right = 0, Top = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Top - Bottom; }
};

// One view: its place on the canvas it is drawn on, its camera, and the
// vehicle and local player slot it belongs to.
struct TView {
    TRect Port;
    TCamera Camera;
    TVector Target; // what the camera centres on
    int Vehicle = -1;
    int Slot = 0; // 0 for Player1, 1 for Player2
    bool First = true;
};

// The two halves of a split screen are this much narrower than half the
// screen; the black gap between them is twice that plus the odd pixel.
constexpr int SplitGap = 4;

// Viewport rectangles on a screen of width x height: the whole screen, or
// the left half for both views of a split screen (the second is drawn off
// screen and copied to SecondViewX).
TRect ViewportRect(int width, int height, bool split);
inline int SecondViewX(int width) {
    return width / 2 + width % 2 + SplitGap;
}

// What the view of vehicle v centres on: the vehicle, or the guided missile
// it steers.
TVector CameraTarget(const Game& g, int v);
// The camera on target for a viewport, kept inside the map; a map smaller
// than the view lines up with the view's right and top edges.
TCamera PlaceCamera(const Game& g, TVector target, const TRect& port);

inline int RoundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

inline int ScreenX(const TView& v, double x) {
    return RoundHalfEven(x) - v.Camera.Left + v.Port.Left;
}
inline int ScreenY(const TView& v, double y) {
    return v.Port.Height() - (RoundHalfEven(y) - v.Camera.Bottom);
}

// Inclusive on every side.
inline bool InCamera(const TCamera& c, TVector p) {
    return p.x >= c.Left && p.x <= c.Right && p.y >= c.Bottom && p.y <= c.Top;
}

// Drawing angles are 1/256 turns, clockwise on the screen.
inline int SpriteAngle(double a) {
    return RoundHalfEven(-a * 128 / std::numbers::pi);
}

// Where the line from the camera's target to p leaves the camera, in screen
// px, with the coordinate along that edge snapped to 16 px. False when p is
// inside (the line crosses no edge).
bool EdgeMarker(const TView& v, TVector p, int& x, int& y);
