// Renders the animations' solids into a height map at twice the canvas size, lights it
// from the map's slopes, filters it down and dithers it to 1 bit with a screen-fixed Bayer map.
// No state of its own beyond constant tables; every call works in its own buffers, so the
// generator's worker threads may render frames side by side.
#include "tools/gendata/video_render.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int W = 320, H = 192;      // shown canvas
constexpr int SW = 2 * W, SH = 2 * H; // render size: two samples a pixel each way
constexpr float none = -std::numeric_limits<float>::infinity();
constexpr float top = 1000.0f;        // rays start this high above the canvas plane

// A step in height between neighbours larger than this (pixels of height per half pixel)
// is an occluding edge, not a slope.
constexpr float edge_step = 3.0f;

// 8 x 8 Bayer matrix: thresholds (m + 0.5) / 64, fixed to the screen so that still parts
// stay still from frame to frame.
constexpr std::uint8_t bayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42}, {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

float hit_height(const prim& p, float px, float py)
{
    switch (p.kind) {
    case prim_sphere: {
        float dx = px - p.a.x, dy = py - p.a.y;
        float q = p.r * p.r - dx * dx - dy * dy;
        return q > 0 ? p.a.z + std::sqrt(q) : none;
    }
    case prim_ellipsoid: {
        float dx = (px - p.a.x) / p.radii.x, dy = (py - p.a.y) / p.radii.y;
        float q = 1 - dx * dx - dy * dy;
        return q > 0 ? p.a.z + p.radii.z * std::sqrt(q) : none;
    }
    case prim_capsule: {
        // Ray from (px, py, top) straight down against the capsule a-b of radius r.
        vec3 ro{px, py, top}, rd{0, 0, -1};
        vec3 ba = p.b - p.a, oa = ro - p.a;
        float baba = dot(ba, ba), bard = dot(ba, rd), baoa = dot(ba, oa);
        float rdoa = dot(rd, oa), oaoa = dot(oa, oa);
        float a = baba - bard * bard;
        if (a > 1e-6f) {
            float b = baba * rdoa - baoa * bard;
            float c = baba * oaoa - baoa * baoa - p.r * p.r * baba;
            float h = b * b - a * c;
            if (h < 0)
                return none;
            float t = (-b - std::sqrt(h)) / a;
            float y = baoa + t * bard;
            if (y > 0 && y < baba)
                return top - t;
        }
        // End caps: whichever sphere lies higher under the ray.
        float best = none;
        for (vec3 c : {p.a, p.b}) {
            float dx = px - c.x, dy = py - c.y;
            float q = p.r * p.r - dx * dx - dy * dy;
            if (q > 0)
                best = std::max(best, c.z + std::sqrt(q));
        }
        return best;
    }
    case prim_box: {
        vec3 o = vec3{px, py, top} - p.a;
        const vec3* ax[3] = {&p.u, &p.v, &p.w};
        const float hs[3] = {p.radii.x, p.radii.y, p.radii.z};
        float tn = -1e30f, tf = 1e30f;
        for (int i = 0; i < 3; i++) {
            float ro = dot(o, *ax[i]), rd = -ax[i]->z;
            if (std::fabs(rd) < 1e-6f) {
                if (std::fabs(ro) > hs[i])
                    return none;
                continue;
            }
            float t1 = (-hs[i] - ro) / rd, t2 = (hs[i] - ro) / rd;
            tn = std::max(tn, std::min(t1, t2));
            tf = std::min(tf, std::max(t1, t2));
        }
        return tn <= tf ? top - tn : none;
    }
    }
    return none;
}

void bounds(const prim& p, float& x0, float& y0, float& x1, float& y1)
{
    switch (p.kind) {
    case prim_sphere:
        x0 = p.a.x - p.r, x1 = p.a.x + p.r, y0 = p.a.y - p.r, y1 = p.a.y + p.r;
        break;
    case prim_ellipsoid:
        x0 = p.a.x - p.radii.x, x1 = p.a.x + p.radii.x;
        y0 = p.a.y - p.radii.y, y1 = p.a.y + p.radii.y;
        break;
    case prim_capsule:
        x0 = std::min(p.a.x, p.b.x) - p.r, x1 = std::max(p.a.x, p.b.x) + p.r;
        y0 = std::min(p.a.y, p.b.y) - p.r, y1 = std::max(p.a.y, p.b.y) + p.r;
        break;
    case prim_box: {
        float ex = std::fabs(p.u.x) * p.radii.x + std::fabs(p.v.x) * p.radii.y + std::fabs(p.w.x) * p.radii.z;
        float ey = std::fabs(p.u.y) * p.radii.x + std::fabs(p.v.y) * p.radii.y + std::fabs(p.w.y) * p.radii.z;
        x0 = p.a.x - ex, x1 = p.a.x + ex, y0 = p.a.y - ey, y1 = p.a.y + ey;
        break;
    }
    }
}

// Polynomial smooth maximum of two heights over a blend radius k.
float smax(float a, float b, float k)
{
    float h = std::max(k - std::fabs(a - b), 0.0f) / k;
    return std::max(a, b) + h * h * k * 0.25f;
}

}  // namespace

vec3 rot_x(vec3 p, float a)
{
    float c = std::cos(a), s = std::sin(a);
    return {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
}

vec3 rot_y(vec3 p, float a)
{
    float c = std::cos(a), s = std::sin(a);
    return {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
}

vec3 rot_z(vec3 p, float a)
{
    float c = std::cos(a), s = std::sin(a);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

void add_sphere(scene& s, vec3 c, float r, float albedo, float blend)
{
    s.prims.push_back({prim_sphere, c, c, r, {}, {}, {}, {}, albedo, blend});
}

void add_ellipsoid(scene& s, vec3 c, vec3 radii, float albedo, float blend)
{
    s.prims.push_back({prim_ellipsoid, c, c, 0, radii, {}, {}, {}, albedo, blend});
}

void add_capsule(scene& s, vec3 a, vec3 b, float r, float albedo, float blend)
{
    s.prims.push_back({prim_capsule, a, b, r, {}, {}, {}, {}, albedo, blend});
}

void add_box(scene& s, vec3 c, vec3 h, float yaw, float pitch, float roll, float albedo, float blend)
{
    auto turn = [&](vec3 d) { return rot_y(rot_x(rot_z(d, roll), pitch), yaw); };
    add_box_axes(s, c, h, turn({1, 0, 0}), turn({0, 1, 0}), turn({0, 0, 1}), albedo, blend);
}

void add_box_axes(scene& s, vec3 c, vec3 h, vec3 u, vec3 v, vec3 w, float albedo, float blend)
{
    s.prims.push_back({prim_box, c, c, 0, h, u, v, w, albedo, blend});
}

void render_frame(const scene& s, std::uint8_t* frame)
{
    std::vector<float> height(SW * SH, none), albedo(SW * SH, 0.0f), top_raw(SW * SH, none);
    for (const prim& p : s.prims) {
        float x0 = 0, y0 = 0, x1 = -1, y1 = -1;
        bounds(p, x0, y0, x1, y1);
        int sx0 = std::max(0, static_cast<int>(std::floor(x0 * 2))), sx1 = std::min(SW - 1, static_cast<int>(std::ceil(x1 * 2)));
        int sy0 = std::max(0, static_cast<int>(std::floor(y0 * 2))), sy1 = std::min(SH - 1, static_cast<int>(std::ceil(y1 * 2)));
        for (int y = sy0; y <= sy1; y++)
            for (int x = sx0; x <= sx1; x++) {
                float z = hit_height(p, (x + 0.5f) * 0.5f, (y + 0.5f) * 0.5f);
                if (z == none)
                    continue;
                int i = y * SW + x;
                if (z > top_raw[i]) {
                    top_raw[i] = z;
                    albedo[i] = p.albedo;
                }
                float& h = height[i];
                h = (h == none || p.blend <= 0) ? std::max(h, z) : smax(h, z, p.blend);
            }
    }

    const vec3 key = normalize(s.key);
    const vec3 half = normalize(key + vec3{0, 0, 1});
    const float rim_x = 0.86f, rim_y = -0.5f; // rim light from behind, right and above
    const float depth_span = s.depth_near - s.depth_far;
    std::vector<float> shade(SW * SH);
    for (int y = 0; y < SH; y++)
        for (int x = 0; x < SW; x++) {
            int i = y * SW + x;
            float h = height[i];
            if (h == none) {
                shade[i] = s.backdrop ? s.backdrop((x + 0.5f) * 0.5f, (y + 0.5f) * 0.5f, s.time) : 0.0f;
                continue;
            }
            // Slope per pixel from the neighbours on the same surface; a neighbour far above
            // means this point lies in the shadow of an occluding edge.
            float occl = 1.0f;
            auto slope = [&](int step, int pos, int lim) {
                float lo = pos > 0 ? height[i - step] : none, hi = pos < lim - 1 ? height[i + step] : none;
                if (lo - h > edge_step || hi - h > edge_step)
                    occl = 0.15f;
                bool use_lo = lo != none && std::fabs(lo - h) <= edge_step;
                bool use_hi = hi != none && std::fabs(hi - h) <= edge_step;
                if (use_lo && use_hi)
                    return hi - lo;
                if (use_hi)
                    return (hi - h) * 2;
                if (use_lo)
                    return (h - lo) * 2;
                return 0.0f;
            };
            float gx = slope(1, x, SW), gy = slope(SW, y, SH);
            vec3 n = normalize({-gx, -gy, 1});
            float diff = std::max(0.0f, dot(n, key));
            float spec = std::pow(std::max(0.0f, dot(n, half)), 24.0f) * 0.3f;
            float side = std::max(0.0f, n.x * rim_x + n.y * rim_y);
            float rim = (1 - n.z) * (1 - n.z) * side * s.rim;
            float depth = 1.0f;
            if (depth_span > 0)
                depth = std::clamp((h - s.depth_far) / depth_span, 0.0f, 1.0f) * 0.67f + 0.33f;
            shade[i] = (albedo[i] * (s.ambient + 0.95f * diff) * depth + spec + rim) * occl;
        }

    std::fill(frame, frame + 8000, 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = 2 * y * SW + 2 * x;
            float g = (shade[i] + shade[i + 1] + shade[i + SW] + shade[i + SW + 1]) * 0.25f;
            g = std::pow(std::clamp(g, 0.0f, 1.0f), s.gamma);
            if (g * 64 > bayer8[y & 7][x & 7] + 0.5f)
                frame[40 * y + x / 8] |= static_cast<std::uint8_t>(1u << (x & 7));
        }
}
