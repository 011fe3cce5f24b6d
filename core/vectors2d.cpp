#include "core/vectors2d.h"

#include <cmath>
#include <numbers>

namespace Vectors2D {

TVector FromAngle(double a) {
    return {std::cos(a), std::sin(a)};
}

TVector Rotate(TVector v, double a) {
    return Rotated(v, std::cos(a), std::sin(a));
}

double Length(TVector v) {
    return std::sqrt(v.x * v.x + v.y * v.y);
}
double Distance(TVector u, TVector v) {
    return std::sqrt(DistanceSquared(u, v));
}

TVector Normalize(TVector v) {
    const double len = Length(v);
    if (len < 0.00001) return {1, 0};
    return Scale(v, 1 / len);
}

double AngleOf(TVector v) {
    if (v.x == 0) {
        if (v.y == 0) return std::numbers::pi / 2;
        return (v.y > 0 ? 1 : -1) * std::numbers::pi / 2;
    }
    // Keep the arc tangent's operands small; the angle does not change.
    if (std::fabs(v.x) >= 264) {
        const double ax = std::fabs(v.x);
        v.x /= ax;
        v.y /= ax;
    }
    if (std::fabs(v.y) >= 264) {
        const double ay = std::fabs(v.y);
        v.x /= ay;
        v.y /= ay;
    }
    // Angles run over (-pi, pi]: straight back is pi, never -pi. The arc
    // tangent gives -pi for a y of -0.0 (or one too small to show) left of
    // the origin.
    const double a = std::atan2(v.y, v.x);
    return a <= -std::numbers::pi ? std::numbers::pi : a;
}

TVector Project(TVector v, TVector d) {
    return Scale(d, Dot(v, d));
}
TVector Reject(TVector v, TVector d) {
    return Sub(v, Project(v, d));
}

TBox BoundingBox(const TVector* p, int last) {
    TBox b{p[0].x, p[0].y, p[0].x, p[0].y};
    for (int i = 1; i <= last; ++i) {
        if (p[i].x < b.MinX) b.MinX = p[i].x;
        if (p[i].x > b.MaxX) b.MaxX = p[i].x;
        if (p[i].y < b.MinY) b.MinY = p[i].y;
        if (p[i].y > b.MaxY) b.MaxY = p[i].y;
    }
    return b;
}

bool InBox(TVector q, const TBox& b, double m) {
    return b.MinX - m <= q.x && q.x <= b.MaxX + m && b.MinY - m <= q.y && q.y <= b.MaxY + m;
}

double MapRange(double v, double t1, double s1, double t0, double s0) {
    return t0 + (v - s0) / (s1 - s0) * (t1 - t0);
}

} // namespace Vectors2D
