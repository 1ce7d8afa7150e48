#include "kit/rast/RAST_Bezier.h"

#include "kit/rast/RAST_Coord.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_Polygon.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// A tolerance far below the curve's length would otherwise ask for billions of segments.
constexpr double kMaxSegments = 16384.0;

int segmentCount(double v) {
    return v >= kMaxSegments ? int(kMaxSegments) : v >= 1.0 ? int(v) : 1;
}

float usableTolerance(float tol) {
    return tol > 0.0f ? tol : 1.0f;
}

double length(float x1, float y1, float x2, float y2) {
    return std::hypot(double(x2) - x1, double(y2) - y1);
}

// One axis of a cubic curve in power form: a t^3 + b t^2 + c t + p0.
struct Cubic {
    double a = 0.0, b = 0.0, c = 0.0, p0 = 0.0;

    Cubic() = default;
    Cubic(float p1, float p2, float p3, float p4) : p0(p1) {
        c = 3.0 * double(p2 - p1);
        b = 3.0 * double(p3 - p2) - c;
        a = double(p4 - p1) - c - b;
    }
    double at(double t) const { return a * t * t * t + b * t * t + c * t + p0; }
};

// A cubic curve prepared for sampling: ordered, cut to the bitmap's columns.
struct CBezCurve {
    Cubic x, y;
    float xstart, xend, ystart, yend;
    double tstart, tend;
    double tAt(int k, int n) const { return tstart + k * (tend - tstart) / n; }
};

// Orders the curve so that x (x mode) or y grows from its start, cuts it at the bitmap's left
// and right edges and returns its segment count, 0 when nothing is left.
int CBezPrep(RAST_IBitmap* dest, float x1, float y1, float x2, float y2, float x3, float y3,
             float x4, float y4, float tol, bool xmode, CBezCurve* out) {
    if (!dest || !RAST_AllFinite(x1, y1, x2, y2, x3, y3, x4, y4)) return 0;
    const int width = dest->getWidth();
    if (xmode ? x1 > x4 : y1 > y4) {
        std::swap(x1, x4), std::swap(y1, y4), std::swap(x2, x3), std::swap(y2, y3);
    }
    CBezCurve& c = *out;
    c.x = Cubic(x1, x2, x3, x4), c.y = Cubic(y1, y2, y3, y4);
    c.xstart = x1, c.xend = x4, c.ystart = y1, c.yend = y4;
    c.tstart = 0.0, c.tend = 1.0;
    if (c.xstart < 0) {
        c.xstart = 0;
        c.ystart = RAST_CBezier_GetY(x1, x2, x3, x4, y1, y2, y3, y4, 0.0f, nullptr, nullptr,
                                     nullptr, &c.tstart);
    }
    if (c.xend > float(width)) {
        c.xend = float(width);
        c.yend = RAST_CBezier_GetY(x1, x2, x3, x4, y1, y2, y3, y4, float(width), nullptr, nullptr,
                                   &c.tend, nullptr);
    }
    if (xmode ? c.xstart > c.xend : c.ystart > c.yend) return 0;
    const double polygon = length(x4, y4, x3, y3) + length(x3, y3, x2, y2) + length(x2, y2, x1, y1);
    return segmentCount((c.tend - c.tstart) * polygon / usableTolerance(tol));
}

int plusOne(int v) {
    return RAST_SaturateInt(int64_t(v) + 1);
}

// The area between the line (a1, b1)-(a2, b2) and the line b = fill, where a is the axis the
// fill advances on (x for a fill to a row, y across to a column). A piece of one column or row
// takes what a wider piece would there (a line of its own would stop one short); pieces across
// to a column reach one row past their end.
void fillPiece(RAST_IBitmap* dest, int a1, int b1, int a2, int b2, int fill, bool across,
               RAST_pixel color, float alpha, int mode) {
    if (a2 < a1) return;
    // One past fill on the curve's side, so that the curve's own pixel is included.
    const auto edge = [fill](int b) { return b < fill ? plusOne(fill) : fill; };
    const auto polygon = [&](std::initializer_list<std::pair<int, int>> points) {
        int xs[4], ys[4], n = 0;
        for (const auto& [a, b] : points)
            xs[n] = across ? b : a, ys[n++] = across ? a : b;
        RAST_FillConvexPolygon(dest, xs, ys, n, color, alpha, mode);
    };
    if ((b1 < fill) == (b2 < fill)) {
        const int f = edge(b1), end = across ? plusOne(a2) : a2;
        polygon({{a1, b1}, {a1, f}, {end, b2}, {end, f}});
        return;
    }
    const int ac = RAST_SaturateInt(
        a1 +
        int64_t(std::trunc(double(int64_t(a2) - a1) * (double(fill) - b1) / (double(b2) - b1))));
    polygon({{a1, b1}, {a1, edge(b1)}, {ac, edge(b1)}});
    polygon({{ac, edge(b2)}, {a2, edge(b2)}, {a2, b2}});
}

// The pieces of a fill along the axis it advances on (x down to a row, y across to a column):
// from one whole position past the last piece to each sample that reaches a new one, the other
// axis rounded; samples that reach no new position are skipped. piece(a1, b1, a2, b2) gets the
// positions on the advancing axis first.
template <class Piece>
void fillPieces(const CBezCurve& c, int n, const Cubic& along, const Cubic& other, float start,
                float otherStart, float end, float otherEnd, Piece piece) {
    if (n == 0) return;
    int ap = RAST_TruncToInt(start), bp = RAST_TruncToInt(otherStart + 0.5);
    for (int k = 1; k <= n - 2; ++k) {
        const double t = c.tAt(k, n);
        const int a = RAST_TruncToInt(along.at(t));
        if (a < ap) continue;
        const int b = RAST_TruncToInt(other.at(t) + 0.5);
        piece(ap, bp, a, b);
        bp = b, ap = plusOne(a);
    }
    const int ae = RAST_TruncToInt(end - 1.0);
    if (ae >= ap) piece(ap, bp, ae, RAST_TruncToInt(otherEnd + 0.5));
}

} // namespace

float RAST_Bezier_GetY(float x1, float x2, float x3, float y1, float y2, float y3, float x,
                       double* t) {
    double tt;
    double y;
    if (x1 >= x) {
        tt = 0.0, y = y1;
    } else if (x >= x3) {
        tt = 1.0, y = y3;
    } else if (const double A = double(x3) + double(-2.0f * x2 + x1); A == 0.0) {
        // A straight curve: x1 < x < x3, so x3 differs from x1.
        const float tf = (x - x1) / (x3 - x1);
        tt = tf, y = y1 + (y3 - y1) * tf;
    } else {
        const double B = 2.0 * double(x2 - x1);
        // Outside the monotone part of the curve the square root's argument turns negative.
        const double disc = std::max(0.0, B * B - 4.0 * A * (double(x1) - x));
        tt = (std::sqrt(disc) - B) / (2.0 * A);
        y = y3 * tt * tt + y2 * 2.0 * (1.0 - tt) * tt + y1 * (1.0 - tt) * (1.0 - tt);
    }
    if (t) *t = tt;
    return float(y);
}

void RAST_DrawQBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                      float xend, float yend, RAST_pixel color, float alpha, int mode, bool aa,
                      float tol) {
    if (!dest || !RAST_AllFinite(xstart, ystart, xctl, yctl, xend, yend)) return;
    const float lastColumn = float(dest->getWidth() - 1);
    if (xstart > xend) std::swap(xstart, xend), std::swap(ystart, yend);
    double t0 = 0.0, t1 = 1.0;
    float px = xstart, py = ystart, lx = xend, ly = yend;
    if (xstart < 0) px = 0, py = RAST_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, 0, &t0);
    if (xend >= lastColumn + 1) {
        lx = lastColumn;
        ly = RAST_Bezier_GetY(xstart, xctl, xend, ystart, yctl, yend, lastColumn, &t1);
    }
    if (px > lx) return;
    const double polygon = length(xend, yend, xctl, yctl) + length(xctl, yctl, xstart, ystart);
    const int n = segmentCount(polygon * (t1 - t0) / usableTolerance(tol));
    const double dt = (t1 - t0) / n;
    double t = t0;
    for (int i = 1; i < n; ++i) {
        t += dt;
        const double u = 1.0 - t;
        const float qx = float(u * u * xstart + 2.0 * u * t * xctl + t * t * xend);
        const float qy = float(u * u * ystart + 2.0 * u * t * yctl + t * t * yend);
        RAST_FLine(dest, px, py, qx, qy, color, alpha, mode, aa);
        px = qx, py = qy;
    }
    RAST_FLine(dest, px, py, lx, ly, color, alpha, mode, aa);
}

float RAST_CBezier_GetY(float x1, float x2, float x3, float x4, float y1, float y2, float y3,
                        float y4, float x, float* nextx, float* dydx, double* tlow, double* thigh) {
    if (x1 > x || x >= x4) {
        const bool before = x1 > x;
        if (nextx) *nextx = before ? x1 : x4;
        if (dydx) *dydx = 0.0f;
        return before ? y1 : y4;
    }
    const Cubic cx(x1, x2, x3, x4), cy(y1, y2, y3, y4);
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 8; ++i) {
        const double m = (lo + hi) / 2.0, xm = cx.at(m);
        if (xm < x) {
            lo = m;
        } else if (xm > x) {
            hi = m;
        } else {
            lo = m, hi = std::min(m + 1.0 / 256.0, 1.0);
            break;
        }
    }
    // The ends still at 0 or 1 take the end points' own x.
    const double xl = lo == 0.0 ? double(x1) : cx.at(lo);
    const double xh = hi == 1.0 ? double(x4) : cx.at(hi);
    const double yl = cy.at(lo);
    const double slope = xh == xl ? 0.0 : (cy.at(hi) - yl) / (xh - xl);
    if (nextx) *nextx = float(xh);
    if (dydx) *dydx = float(slope);
    if (tlow) *tlow = lo;
    if (thigh) *thigh = hi;
    return float(yl + (x - xl) * slope);
}

void RAST_DrawCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, RAST_pixel color,
                      float alpha, int mode, bool aa, float tol) {
    CBezCurve c;
    const int n =
        CBezPrep(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, true, &c);
    if (n == 0) return;
    float px = c.xstart, py = c.ystart;
    for (int k = 1; k <= n - 2; ++k) {
        const double t = c.tAt(k, n);
        const float qx = float(c.x.at(t)), qy = float(c.y.at(t));
        RAST_FLine(dest, px, py, qx, qy, color, alpha, mode, aa);
        px = qx, py = qy;
    }
    RAST_FLine(dest, px, py, c.xend, c.yend, color, alpha, mode, aa);
}

void RAST_FillCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int yfill, RAST_pixel color,
                      float alpha, int mode, float tol) {
    CBezCurve c;
    const int n =
        CBezPrep(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, true, &c);
    fillPieces(c, n, c.x, c.y, c.xstart, c.ystart, c.xend, c.yend,
               [&](int x1, int y1, int x2, int y2) {
                   DoBezierFillSegment(dest, x1, y1, x2, y2, yfill, color, alpha, mode);
               });
}

void RAST_FillCBezierX(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                       float xctl2, float yctl2, float xend, float yend, int xfill,
                       RAST_pixel color, float alpha, int mode, float tol) {
    CBezCurve c;
    const int n =
        CBezPrep(dest, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, false, &c);
    fillPieces(c, n, c.y, c.x, c.ystart, c.xstart, c.yend, c.xend,
               [&](int y1, int x1, int y2, int x2) {
                   DoBezierFillSegmentX(dest, x1, y1, x2, y2, xfill, color, alpha, mode);
               });
}

void DoBezierFillSegment(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill,
                         RAST_pixel color, float alpha, int mode) {
    fillPiece(dest, x1, y1, x2, y2, yfill, false, color, alpha, mode);
}

void DoBezierFillSegmentX(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill,
                          RAST_pixel color, float alpha, int mode) {
    fillPiece(dest, y1, x1, y2, x2, xfill, true, color, alpha, mode);
}
