#include "render/camera.h"

#include <algorithm>

TRect ViewportRect(int width, int height, bool split) {
    return {0, 0, split ? width / 2 - SplitGap : width, height};
}

TVector CameraTarget(const Game& g, int v) {
    if (!IsTankIndex(g, v)) return {g.MapWidthPx / 2.0, g.MapHeightPx / 2.0};
    const TTank& t = g.Tanks[v];
    if (t.GuidedMissile >= 0 && t.GuidedMissile < g.Rockets.Count)
        return g.Rockets[t.GuidedMissile].Position;
    return t.Position;
}

TCamera PlaceCamera(const Game& g, TVector target, const TRect& port) {
    TCamera c;
    const int w = port.Width(), h = port.Height();
    // A position gone wild must not overflow the integers below.
    const double limit = 1e8;
    const double tx = std::isfinite(target.x) ? std::clamp(target.x, -limit, limit) : 0;
    const double ty = std::isfinite(target.y) ? std::clamp(target.y, -limit, limit) : 0;
    c.Left = RoundHalfEven(tx) - w / 2;
    c.Bottom = RoundHalfEven(ty) - h / 2;
    c.Right = c.Left + w;
    c.Top = c.Bottom + h;
    auto shift = [](int& lo, int& hi, int by) {
        lo += by;
        hi += by;
    };
    if (c.Left < 0) shift(c.Left, c.Right, -c.Left);
    if (c.Right > g.MapWidthPx) shift(c.Left, c.Right, g.MapWidthPx - c.Right);
    if (c.Bottom < 0) shift(c.Bottom, c.Top, -c.Bottom);
    if (c.Top > g.MapHeightPx) shift(c.Bottom, c.Top, g.MapHeightPx - c.Top);
    return c;
}

namespace {

int Snap16(int v) {
    return RoundHalfEven(v / 16.0) * 16;
}

// Where segment a->b crosses the line coordinate = at (x when vertical),
// within [lo, hi] of the other coordinate.
bool Cross(double a0, double a1, double b0, double b1, double at, double lo, double hi,
           double& other) {
    if ((a0 - at) * (a1 - at) > 0 || a0 == a1) return false;
    const double t = (at - a0) / (a1 - a0);
    if (t < 0 || t > 1) return false;
    other = b0 + (b1 - b0) * t;
    return other >= lo && other <= hi;
}

} // namespace

bool EdgeMarker(const TView& v, TVector p, int& x, int& y) {
    const TCamera& c = v.Camera;
    const TVector s = v.Target;
    double o = 0;
    // Top, bottom, left, right: the first edge crossed wins.
    if (Cross(s.y, p.y, s.x, p.x, c.Top, c.Left, c.Right, o)) {
        x = Snap16(ScreenX(v, o));
        y = ScreenY(v, c.Top);
        return true;
    }
    if (Cross(s.y, p.y, s.x, p.x, c.Bottom, c.Left, c.Right, o)) {
        x = Snap16(ScreenX(v, o));
        y = ScreenY(v, c.Bottom);
        return true;
    }
    if (Cross(s.x, p.x, s.y, p.y, c.Left, c.Bottom, c.Top, o)) {
        x = ScreenX(v, c.Left);
        y = Snap16(ScreenY(v, o));
        return true;
    }
    if (Cross(s.x, p.x, s.y, p.y, c.Right, c.Bottom, c.Top, o)) {
        x = ScreenX(v, c.Right);
        y = Snap16(ScreenY(v, o));
        return true;
    }
    return false;
}
