#pragma once

#include <algorithm>

namespace platform::wsys {

// Cocoa's geometry: floating-point points and rectangles given by an origin and a size.
// Screen and window coordinates have y running up; a view's own coordinates run up unless
// the view is flipped.
struct Point {
    double x = 0, y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point& o) const { return !(*this == o); }
};

struct Size {
    double width = 0, height = 0;
    bool operator==(const Size& o) const { return width == o.width && height == o.height; }
    bool operator!=(const Size& o) const { return !(*this == o); }
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
    Rect(Point o, Size s) : origin(o), size(s) {}

    double MinX() const { return origin.x; }
    double MinY() const { return origin.y; }
    double MaxX() const { return origin.x + size.width; }
    double MaxY() const { return origin.y + size.height; }
    bool IsEmpty() const { return !(size.width > 0) || !(size.height > 0); }
    bool operator==(const Rect& o) const { return origin == o.origin && size == o.size; }
    bool operator!=(const Rect& o) const { return !(*this == o); }

    // Left and bottom edges inside, right and top edges outside.
    bool Contains(Point p) const {
        return p.x >= MinX() && p.x < MaxX() && p.y >= MinY() && p.y < MaxY();
    }
    // The empty rectangle (0, 0, 0, 0) when they do not overlap.
    Rect Intersection(const Rect& o) const {
        const double l = std::max(MinX(), o.MinX()), b = std::max(MinY(), o.MinY());
        const double r = std::min(MaxX(), o.MaxX()), t = std::min(MaxY(), o.MaxY());
        if (!(r > l) || !(t > b)) return Rect();
        return Rect(l, b, r - l, t - b);
    }
    // An empty rectangle adds nothing.
    Rect Union(const Rect& o) const {
        if (o.IsEmpty()) return *this;
        if (IsEmpty()) return o;
        const double l = std::min(MinX(), o.MinX()), b = std::min(MinY(), o.MinY());
        return Rect(l, b, std::max(MaxX(), o.MaxX()) - l, std::max(MaxY(), o.MaxY()) - b);
    }
    Rect Inset(double dx, double dy) const {
        return Rect(origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy);
    }
};

// Whether a mouse point lies in a rectangle of a coordinate system that runs down (flipped)
// or up: the edge nearer the origin of y is inside.
inline bool MouseInRect(Point p, const Rect& r, bool flipped) {
    if (!(p.x >= r.MinX() && p.x < r.MaxX())) return false;
    return flipped ? p.y >= r.MinY() && p.y < r.MaxY() : p.y > r.MinY() && p.y <= r.MaxY();
}

} // namespace platform::wsys
