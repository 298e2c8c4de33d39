#include "assets/generator/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace assets {

void Canvas::rect(int x, int y, int w, int h, uint8_t c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Canvas::line(double x0, double y0, double x1, double y1, uint8_t c) {
    int steps = static_cast<int>(std::ceil(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))));
    if (steps == 0) {
        set(static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0)), c);
        return;
    }
    for (int k = 0; k <= steps; ++k) {
        double t = static_cast<double>(k) / steps;
        set(static_cast<int>(std::lround(x0 + (x1 - x0) * t)), static_cast<int>(std::lround(y0 + (y1 - y0) * t)), c);
    }
}

void Canvas::ellipse(double cx, double cy, double rx, double ry, uint8_t c) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) set(x, y, c);
        }
}

void Canvas::polygon(std::initializer_list<Point> points, uint8_t c) { polygon(std::vector<Point>(points), c); }

void Canvas::polygon(const std::vector<Point>& points, uint8_t c) {
    size_t n = points.size();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double px = x + 0.5, py = y + 0.5;
            bool in = false;
            for (size_t i = 0, j = n - 1; i < n; j = i++) {
                const Point& a = points[i];
                const Point& b = points[j];
                if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) in = !in;
            }
            if (in) set(x, y, c);
        }
}

void Canvas::art(int x, int y, std::initializer_list<const char*> rows, const std::map<char, uint8_t>& legend) {
    int j = y;
    for (const char* row : rows) {
        for (int i = 0; row[i]; ++i) {
            auto it = legend.find(row[i]);
            if (it != legend.end()) set(x + i, j, it->second);
        }
        ++j;
    }
}

void Canvas::outline(uint8_t c) {
    Canvas before = *this;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (before.at(x, y) != ink::clear) continue;
            bool edge = before.at(x - 1, y) != ink::clear || before.at(x + 1, y) != ink::clear ||
                        before.at(x, y - 1) != ink::clear || before.at(x, y + 1) != ink::clear;
            if (edge) set(x, y, c);
        }
}

}  // namespace assets
