// The demo's three still pictures: the gear texture, the tile strip shown under the steep
// ramp and the final picture with its title set in DejaVu Serif. Shapes are signed distance
// fields coloured with analytic antialiasing; no state is kept between calls.
#include "tools/gendata/gendata.h"
#include "tools/gendata/font.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

double smoothstep(double a, double b, double x)
{
    double t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

// Fraction of a pixel covered by the inside of a distance field (d in pixels, < 0 inside).
double coverage(double d) { return clamp01(0.5 - d); }

// Isosceles trapezoid along y: half widths r1 at y = -he and r2 at y = +he.
double trapezoid_distance(double px, double py, double r1, double r2, double he)
{
    px = std::abs(px);
    double cax = std::max(0.0, px - (py < 0 ? r1 : r2)), cay = std::abs(py) - he;
    double k1x = r2, k1y = he, k2x = r2 - r1, k2y = 2 * he;
    double t = clamp01(((k1x - px) * k2x + (k1y - py) * k2y) / (k2x * k2x + k2y * k2y));
    double cbx = px - k1x + k2x * t, cby = py - k1y + k2y * t;
    double s = (cbx < 0 && cay < 0) ? -1.0 : 1.0;
    return s * std::sqrt(std::min(cax * cax + cay * cay, cbx * cbx + cby * cby));
}

// Union with a fillet of radius k where the shapes meet.
double smooth_union(double a, double b, double k)
{
    double h = clamp01(0.5 + 0.5 * (b - a) / k);
    return b + (a - b) * h - k * h * (1 - h);
}

// Intersection whose convex corners are rounded with radius r.
double round_intersection(double a, double b, double r)
{
    double ax = std::max(a + r, 0.0), bx = std::max(b + r, 0.0);
    return std::sqrt(ax * ax + bx * bx) + std::min(std::max(a + r, b + r), 0.0) - r;
}

// A spur gear with a rim, spokes and a hub, centred on the origin; lengths in pixels.
struct gear {
    int teeth;
    double tip, root;          // radii of the tooth tips and the tooth roots
    double tooth_base, tooth_top; // half widths of a tooth at its root and at its tip
    double rim;                // inner radius of the rim
    double hub;                // outer radius of the hub
    int spokes;
    double spoke;              // half width of a spoke
    double hole;               // radius of the axle hole
};

// Signed distance to the gear's solid (negative inside).
double gear_distance(const gear& g, double x, double y)
{
    double r = std::hypot(x, y), th = std::atan2(y, x);
    double pitch = 2 * pi / g.teeth;
    double a = th - pitch * std::round(th / pitch);
    double base = g.root - 6;
    double he = (g.tip - base) / 2;
    double tooth = trapezoid_distance(r * std::sin(a), r * std::cos(a) - (base + he),
                                      g.tooth_base - 2, g.tooth_top - 2, he - 2) - 2;
    double solid = smooth_union(r - g.root, tooth, 3);

    double sp = 2 * pi / g.spokes;
    double b = th - sp * std::round(th / sp);
    double half = g.spoke + (g.rim - r) * 0.07;  // spokes widen toward the hub
    double spoke = r * std::cos(b) > 0 ? std::abs(r * std::sin(b)) - half : r;
    double window = std::max(g.hub - r, r - g.rim);
    double cutout = round_intersection(window, -spoke, 6);
    return std::max({solid, -cutout, g.hole - r});
}

// The gear's greys all lie in 64 ... 127: bit 6 set and bit 7 clear, so the OR of two
// overlapping gears stays in the same range, and the fire filter's glow (about twice the
// drawn value) reaches white without flattening the shading. The distance from the edge
// gives a bright bevel all round; the hub is a raised boss with a groove; the lighting is
// the same at every angle, so the gear looks the same while it turns.
double gear_shade(const gear& g, double x, double y, double d)
{
    double r = std::hypot(x, y);
    double boss = g.hub - 8;
    double v = 94 + 33 * (1 - smoothstep(0, 8, -d));
    if (r < boss)
        v = std::max(v, 112 - 14 * r / boss);
    v -= 30 * (1 - smoothstep(0, 5, std::abs(r - boss)));
    return std::clamp(v, 64.0, 127.0);
}

// The demo's gear: 14 teeth that stay about 5 canvas pixels wide when the picture is
// shrunk fourfold, five spokes and a hub with an axle hole.
constexpr gear ratas_gear{14, 123, 101, 17.5, 10.5, 84, 38, 5, 8, 11};

std::uint8_t byte_of(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// Steep-ramp tiles: 0 and 255 read black and white; the fifteen greys 121 ... 135 give
// the edges their antialiasing.
std::uint8_t steep_index(double white)
{
    if (white < 1.0 / 32)
        return 0;
    if (white > 31.0 / 32)
        return 255;
    return static_cast<std::uint8_t>(121 + std::min(14, static_cast<int>(white * 15)));
}

// Box blur of a float picture, three passes approximating a Gaussian.
std::vector<double> blur(const std::vector<double>& src, int w, int h, int radius)
{
    std::vector<double> a = src, b(src.size());
    for (int pass = 0; pass < 3; pass++) {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                double s = 0;
                for (int k = -radius; k <= radius; k++)
                    s += a[static_cast<std::size_t>(y) * w + std::clamp(x + k, 0, w - 1)];
                b[static_cast<std::size_t>(y) * w + x] = s / (2 * radius + 1);
            }
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                double s = 0;
                for (int k = -radius; k <= radius; k++)
                    s += b[static_cast<std::size_t>(std::clamp(y + k, 0, h - 1)) * w + x];
                a[static_cast<std::size_t>(y) * w + x] = s / (2 * radius + 1);
            }
    }
    return a;
}

// A text mask placed in a w x h float layer (coverage 0 ... 1) with its top-left at (x, y).
std::vector<double> place(const mask& m, int w, int h, int x, int y)
{
    std::vector<double> layer(static_cast<std::size_t>(w) * h, 0.0);
    for (int j = 0; j < m.height; j++)
        for (int i = 0; i < m.width; i++) {
            int px = x + i, py = y + j;
            if (px >= 0 && px < w && py >= 0 && py < h)
                layer[static_cast<std::size_t>(py) * w + px] = m.pixels[static_cast<std::size_t>(j) * m.width + i] / 255.0;
        }
    return layer;
}

// Sets one line of text at the largest size that fits a max_w x max_h box.
mask fit_text(const std::string& font_file, const char* text, int max_w, int max_h,
              double embolden = 0)
{
    int size = 64;
    mask m = render_text(font_file, size, text, embolden * size / 64);
    for (int tries = 0; tries < 8 && (m.width > max_w || m.height > max_h || (m.width < max_w - 2 && m.height < max_h - 2)); tries++) {
        double k = std::min(static_cast<double>(max_w) / m.width, static_cast<double>(max_h) / m.height);
        int next = std::max(4, static_cast<int>(size * k));
        if (next == size)
            next = m.width > max_w || m.height > max_h ? size - 1 : size + 1;
        size = next;
        m = render_text(font_file, size, text, embolden * size / 64);
    }
    return m;
}

// One tile of the strip: a glyph set in a font, or the demo's gear when text is null.
struct tile_design {
    const char* text;
    const char* font;
    bool inverted;   // black ink on a white panel
    double embolden; // extra stroke width, in pixels of a 64-pixel em
};

constexpr tile_design tiles[7] = {
    {nullptr, nullptr, false, 0},
    {"Q", "DejaVuSerif-Bold.ttf", true, 0},
    {"\u262F", "DejaVuSans-Bold.ttf", false, 0},  // yin and yang
    {"\u2605", "DejaVuSans-Bold.ttf", true, 0},   // star
    {"\u266B", "DejaVuSans-Bold.ttf", false, 3},  // two notes, thickened to read over the plasma
    {"\u2620", "DejaVuSans-Bold.ttf", true, 0},   // skull and bones
    {"&", "DejaVuSerif-Bold.ttf", false, 0},
};

}  // namespace

bytes gen_ratas()
{
    bytes t(65536, 0);
    for (int v = 0; v < 256; v++)
        for (int u = 0; u < 256; u++) {
            double x = u + 0.5 - 128, y = v + 0.5 - 128;
            double d = gear_distance(ratas_gear, x, y);
            double c = coverage(d);
            if (c > 0)
                t[u + 256 * v] = byte_of(c * gear_shade(ratas_gear, x, y, d));
        }
    return t;
}

bytes gen_kooste()
{
    constexpr int w = 448, tile_w = 64, tile_h = 47;
    bytes k(static_cast<std::size_t>(w) * tile_h, 0);
    for (int t = 0; t < 7; t++) {
        const tile_design& d = tiles[t];
        mask m;
        if (d.text)
            m = fit_text(font_path(d.font), d.text, 54, 37, d.embolden);
        for (int y = 0; y < tile_h; y++)
            for (int x = 0; x < tile_w; x++) {
                double ink;
                if (d.text) {
                    int mx = x - (tile_w - m.width) / 2, my = y - (tile_h - m.height) / 2;
                    bool in = mx >= 0 && mx < m.width && my >= 0 && my < m.height;
                    ink = in ? m.pixels[static_cast<std::size_t>(my) * m.width + mx] / 255.0 : 0.0;
                } else {
                    double s = ratas_gear.tip / 20.5;  // the demo's gear, 41 pixels across
                    ink = coverage(gear_distance(ratas_gear, (x + 0.5 - 32) * s, (y + 0.5 - 23.5) * s) / s);
                }
                // rails along the top and bottom rows join neighbouring tiles into one band
                double rail = (y == 1 || y == tile_h - 2) ? 1.0 : 0.0;
                double white = std::max(ink, rail);
                if (d.inverted)
                    white = (y <= 2 || y >= tile_h - 3) ? rail : 1 - ink;
                k[static_cast<std::size_t>(y) * w + tile_w * t + x] = steep_index(white);
            }
    }
    return k;
}

bytes gen_quendal()
{
    constexpr int w = 320, h = 192;
    // The title and the credit, centred; the title's tail of the Q hangs below the baseline.
    mask title = fit_text(font_path("DejaVuSerif-Bold.ttf"), "Quendal", 250, 70);
    mask credit = render_text(font_path("DejaVuSerif-Italic.ttf"), 15, "by Tovu & Kestrow");
    int title_x = (w - title.width) / 2, title_y = 22;
    int credit_x = (w - credit.width) / 2, credit_y = title_y + title.height + 14;
    std::vector<double> ink = place(title, w, h, title_x, title_y);
    std::vector<double> words = place(credit, w, h, credit_x, credit_y);
    std::vector<double> shadow = blur(place(title, w, h, title_x + 3, title_y + 4), w, h, 2);
    std::vector<double> halo = blur(words, w, h, 2);
    std::vector<double> outline = blur(ink, w, h, 1);

    // A cog rising at the bottom edge like a sun; rays fan out from its axle.
    constexpr double sun_x = 160, sun_y = 246, sun_scale = ratas_gear.tip / 106;
    double rule_y = credit_y + credit.height / 2.0 + 0.5;
    bytes q(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            std::size_t i = static_cast<std::size_t>(y) * w + x;
            double px = x + 0.5, py = y + 0.5;
            double dx = px - sun_x, dy = py - sun_y;
            double glow = std::exp(-(std::pow((px - 160) / 150, 2) + std::pow((py - 80) / 95, 2)));
            double ray = std::cos(std::atan2(dx, -dy) * 18);
            double v = 30 * glow + 20 * glow * smoothstep(-0.15, 0.15, ray);

            double gx = dx * sun_scale, gy = dy * sun_scale;
            double gd = gear_distance(ratas_gear, gx, gy) / sun_scale;
            double gc = coverage(gd);
            if (gc > 0)
                v = v * (1 - gc) + gc * (gear_shade(ratas_gear, gx, gy, gd * sun_scale) * 1.25 - 20);

            // the credit sits between two rules that end in small diamonds
            double gap = credit.width / 2.0 + 10;
            double side = std::abs(px - 160);
            if (side > gap && side < gap + 58) {
                double line = coverage(std::abs(py - rule_y) - 0.5);
                double fade = smoothstep(gap + 58, gap + 30, side);
                v = std::max(v, 170 * line * fade);
            }
            double tip = std::abs(side - gap + 3) + std::abs(py - rule_y) - 3;
            v = std::max(v, 210 * coverage(tip));

            v *= 1 - 0.85 * std::min(1.0, halo[i] * 2);
            v += 215 * words[i];
            v *= 1 - 0.8 * shadow[i];
            v *= 1 - std::min(1.0, outline[i] * 2.5);
            double face = 255 - 70 * clamp01((py - title_y) / title.height);
            v = v * (1 - ink[i]) + face * ink[i];
            q[i] = byte_of(v);
        }
    return q;
}
