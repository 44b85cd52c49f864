// The seven 1-bit animations: each a small solid scene posed by one eased time parameter,
// rendered and dithered frame by frame (video_render.cpp). Frames are split between two
// worker threads; each frame depends only on its number, so the bytes never vary.
#include "tools/gendata/gendata.h"
#include "tools/gendata/video_render.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr float pi = 3.14159265f;

float clamp01(float t) { return std::clamp(t, 0.0f, 1.0f); }
// Accelerating from rest, and arriving fast: the two halves of an impact.
float ease_in(float t) { t = clamp01(t); return t * t; }
float ease_out(float t) { t = clamp01(t); return 1 - (1 - t) * (1 - t); }
float mix(float a, float b, float t) { return a + (b - a) * t; }

vec3 unit(vec3 a) { return normalize(a); }
float length(vec3 a) { return std::sqrt(dot(a, a)); }

// Two-bone reach: the joint between s and target for bones l1, l2, bending towards hint.
vec3 elbow(vec3 s, vec3 target, float l1, float l2, vec3 hint)
{
    vec3 d = target - s;
    float len = std::clamp(length(d), std::fabs(l1 - l2) + 0.01f, l1 + l2 - 0.01f);
    vec3 dir = unit(d);
    float a = (l1 * l1 - l2 * l2 + len * len) / (2 * len);
    float h = std::sqrt(std::max(l1 * l1 - a * a, 0.0f));
    vec3 perp = unit(hint - dir * dot(hint, dir));
    return s + dir * a + perp * h;
}

// A posed object: local points turned by yaw and pitch, scaled and placed on the canvas.
struct place {
    vec3 origin;
    float scale, yaw, pitch;
};

vec3 at(const place& p, vec3 q) { return p.origin + rot_x(rot_y(q, p.yaw), p.pitch) * p.scale; }

void sphere(scene& s, const place& p, vec3 c, float r, float alb, float blend = 0)
{
    add_sphere(s, at(p, c), r * p.scale, alb, blend * p.scale);
}

void capsule(scene& s, const place& p, vec3 a, vec3 b, float r, float alb, float blend = 0)
{
    add_capsule(s, at(p, a), at(p, b), r * p.scale, alb, blend * p.scale);
}

// Screen-aligned ellipsoid whose x and z radii follow the yaw approximately.
void ellipsoid(scene& s, const place& p, vec3 c, vec3 r, float alb, float blend = 0)
{
    float co = std::cos(p.yaw), si = std::sin(p.yaw);
    vec3 turned{std::sqrt(r.x * r.x * co * co + r.z * r.z * si * si), r.y,
                std::sqrt(r.z * r.z * co * co + r.x * r.x * si * si)};
    add_ellipsoid(s, at(p, c), turned * p.scale, alb, blend * p.scale);
}

// ---- paa: a head turning from one side to the other, nodding slightly.
void pose_paa(scene& s, float t)
{
    float e = ease(t);
    place p{{160, 92, 0}, 1.05f, mix(-1.15f, 1.15f, e), mix(0.12f, -0.08f, e) + 0.1f * std::sin(pi * e)};
    const float skin = 0.9f;
    ellipsoid(s, p, {0, -18, -4}, {40, 44, 46}, skin);                 // cranium
    ellipsoid(s, p, {0, 18, 10}, {30, 30, 32}, skin, 10);              // jaw and cheeks
    ellipsoid(s, p, {0, 40, 16}, {15, 10, 18}, skin, 8);               // chin
    capsule(s, p, {-19, -12, 36}, {19, -12, 36}, 7, skin, 6);          // brow ridge
    capsule(s, p, {0, -8, 40}, {0, 14, 50}, 6, skin, 6);               // nose bridge
    sphere(s, p, {0, 16, 50}, 7.5f, skin, 5);                          // nose tip
    for (float side : {-1.0f, 1.0f}) {
        sphere(s, p, {side * 6, 20, 44}, 5, skin, 4);                  // nostrils
        sphere(s, p, {side * 15, -1, 30}, 8, 1.0f);                    // eyeballs
        sphere(s, p, {side * 15, -1.5f, 37.5f}, 2.2f, 0.05f);          // pupils
        capsule(s, p, {side * 22, 10, 34}, {side * 30, 18, 20}, 9, skin, 8); // cheekbones
        ellipsoid(s, p, {side * 41, 2, -6}, {6, 14, 9}, skin, 4);      // ears
    }
    capsule(s, p, {-11, 32, 40}, {11, 32, 40}, 4, 0.6f, 3);            // lips
    capsule(s, p, {0, 30, -8}, {0, 100, -12}, 26, 0.75f, 10);          // neck
    ellipsoid(s, p, {0, 122, -10}, {110, 38, 50}, 0.7f, 14);           // shoulders
    s.depth_near = 60, s.depth_far = -40;
}

// A standing figure's limbs and trunk; arms and legs end where the caller's targets say.
struct figure_pose {
    float lean;                  // forward bend of the trunk
    vec3 hand[2], foot[2];       // targets, figure-local
    vec3 elbow_hint[2], knee_hint[2];
    float head_tilt;
};

void figure(scene& s, const place& p, const figure_pose& f, float bulk, float alb, bool robe)
{
    auto trunk = [&](vec3 q) { return rot_x(q, -f.lean * (-q.y / 80)); }; // bend grows upwards
    vec3 neck = trunk({0, -64, 0}), head = trunk({0, -78, 2}) + vec3{0, 0, f.head_tilt * 6};
    sphere(s, p, head, 11.5f, alb, 3);
    capsule(s, p, neck, trunk({0, -56, 0}), 5.5f, alb, 4);
    ellipsoid(s, p, trunk({0, -46, 0}), {19 * bulk, 15, 12 * bulk}, alb, 5);
    ellipsoid(s, p, trunk({0, -24, 0}), {14 * bulk, 14, 10 * bulk}, alb, 6);
    ellipsoid(s, p, {0, -4, 0}, {17 * bulk, 11, 11}, alb, 5);
    if (robe) {
        ellipsoid(s, p, {0, 26, 0}, {24, 26, 16}, alb * 0.85f, 8);
        ellipsoid(s, p, {0, 60, 0}, {30, 30, 20}, alb * 0.85f, 10);
        ellipsoid(s, p, {0, 80, 2}, {34, 10, 22}, alb * 0.85f, 6);
    }
    for (int i = 0; i < 2; i++) {
        float side = i ? 1.0f : -1.0f;
        vec3 sh = trunk({side * 20 * bulk, -58, 0});
        vec3 el = elbow(sh, f.hand[i], 30, 28, f.elbow_hint[i]);
        capsule(s, p, sh, el, 6 * bulk, alb, 4);
        capsule(s, p, el, f.hand[i], 5 * bulk, alb, 3);
        sphere(s, p, f.hand[i], 6.5f, alb, 3);
        if (!robe) {
            vec3 hip{side * 9, 0, 0};
            vec3 kn = elbow(hip, f.foot[i], 44, 42, f.knee_hint[i]);
            capsule(s, p, hip, kn, 8 * bulk, alb, 5);
            capsule(s, p, kn, f.foot[i], 6.5f * bulk, alb, 4);
            capsule(s, p, f.foot[i], f.foot[i] + vec3{0, 3, 12}, 5, alb, 3);
        }
    }
}

// ---- siunaus: a robed figure lifts its hands from prayer to a wide blessing; a halo of
// rays opens behind it.
float halo(float x, float y, float t)
{
    float dx = x - 160, dy = y - 52;
    float r = std::sqrt(dx * dx + dy * dy);
    float a = std::atan2(dy, dx);
    float rays = 0.5f + 0.5f * std::cos(a * 18 + r * 0.02f);
    rays = rays * rays * rays;
    float fall = std::clamp(1.2f - r / 170, 0.0f, 1.0f);
    float ring = std::max(0.0f, 1 - std::fabs(r - 30) / 5);
    float e = ease(t);
    return (rays * fall * (0.08f + 0.5f * e) + ring * (0.2f + 0.6f * e));
}

void pose_siunaus(scene& s, float t)
{
    float e = ease(t);
    place p{{160, 100, 0}, 1.0f, 0.25f * std::sin(pi * e) * 0.4f, 0};
    figure_pose f{};
    f.lean = mix(0.15f, -0.12f, e);
    f.head_tilt = mix(0.6f, -0.8f, e);
    for (int i = 0; i < 2; i++) {
        float side = i ? 1.0f : -1.0f;
        vec3 pray{side * 3, -46, 24};
        vec3 bless{side * 58, -116, 8};
        vec3 mid{side * 40, -60, 36};
        float u = e;
        // Through a forward arc, not a straight line, so the arms open rather than slide.
        vec3 a = lerp(pray, mid, u), b = lerp(mid, bless, u);
        f.hand[i] = lerp(a, b, u);
        f.elbow_hint[i] = {side * 1.0f, mix(0.8f, 0.3f, e), -0.3f};
    }
    figure(s, p, f, 1.05f, 0.92f, true);
    s.backdrop = halo;
    s.time = t;
    s.depth_near = 30, s.depth_far = -30;
}

// ---- ukko: a broad figure seen from the side swings a great hammer from over its back
// down onto the ground before it.
float ground_flash(float x, float y, float t)
{
    float e = std::max(0.0f, (t - 0.8f) / 0.2f);
    float dx = (x - 262) * 0.6f, dy = y - 184;
    float r = std::sqrt(dx * dx + dy * dy);
    float floor = y > 184 ? 0.25f : 0.0f;
    return floor + std::max(0.0f, 1 - r / (10 + 60 * e)) * e * 0.9f;
}

void pose_ukko(scene& s, float t)
{
    float e = ease(t);
    place p{{150, 98, 0}, 1.0f, 1.2f, 0};
    figure_pose f{};
    f.lean = mix(-0.15f, 0.45f, e);
    f.head_tilt = mix(-0.5f, 0.4f, e);
    // The hammer's angle from straight up, in the figure's own front-back plane.
    float psi = mix(-0.85f, 2.25f, e);
    vec3 grip_c = rot_x(vec3{0, -50, 0}, -f.lean * 0.6f);
    vec3 dir{0, -std::cos(psi), std::sin(psi)};
    vec3 hands = grip_c + dir * 40;
    f.hand[0] = hands + vec3{-3, 0, 0} - dir * 6;
    f.hand[1] = hands + vec3{3, 0, 0};
    for (int i = 0; i < 2; i++) {
        float side = i ? 1.0f : -1.0f;
        f.elbow_hint[i] = {side * 1.0f, 0.6f, -0.4f};
        float bend = mix(0, 8, e);
        f.foot[i] = {side * 16, 84 - bend, side * 16};
        f.knee_hint[i] = {0, 0, 1};
    }
    figure(s, p, f, 1.35f, 0.88f, false);
    vec3 end = hands + dir * 52;
    capsule(s, p, hands - dir * 10, end, 3, 0.7f);
    vec3 hc = at(p, end);
    // Hammer head: across the handle, in the swing plane.
    add_box(s, hc, {14, 11, 22}, p.yaw, -psi, 0, 0.95f);
    s.backdrop = ground_flash;
    s.time = t;
    s.depth_near = 40, s.depth_far = -40;
}

// ---- na_eka: an open hand, palm to the viewer, closes slowly into a fist.
void pose_na_eka(scene& s, float t)
{
    float e = ease(t);
    place p{{160, 104, 0}, 1.45f, mix(-0.25f, 0.2f, e), mix(0.1f, -0.15f, e)};
    const float skin = 0.9f;
    ellipsoid(s, p, {0, 0, 0}, {30, 32, 11}, skin);                    // palm
    capsule(s, p, {0, 24, -2}, {0, 120, -8}, 20, skin, 8);             // wrist and forearm
    ellipsoid(s, p, {-16, 14, 6}, {14, 16, 8}, skin, 6);               // heel of the hand
    const float base_x[4] = {-21, -7, 7, 20};
    const float seg[4][3] = {{16, 11, 9}, {20, 13, 10}, {19, 13, 10}, {15, 10, 8}};
    const float spread[4] = {-0.22f, -0.07f, 0.07f, 0.22f};
    for (int k = 0; k < 4; k++) {
        vec3 j{base_x[k], -28, 2};
        float sp = spread[k] * (1 - e);
        float r = 7.2f - 0.5f * std::fabs(k - 1.5f);
        float curl = e * 1.45f;
        vec3 d{std::sin(sp), -std::cos(sp), 0};
        for (int n = 0; n < 3; n++) {
            // Each joint bends towards the palm; the knuckle less, the tips more.
            vec3 dn = rot_x(d, curl * (n == 0 ? 0.85f : 1.0f) * (n + 1));
            vec3 j2 = j + unit(dn) * seg[k][n];
            capsule(s, p, j, j2, r - n * 0.6f, skin, 2.5f);
            j = j2;
        }
    }
    // Thumb from the heel of the palm, across it when closed.
    vec3 tb{24, 12, 4};
    vec3 td = unit(lerp(vec3{0.75f, -0.65f, 0.1f}, vec3{-0.6f, -0.35f, 0.75f}, e));
    vec3 t1 = tb + td * 18;
    vec3 td2 = unit(lerp(vec3{0.45f, -0.9f, 0.1f}, vec3{-1.0f, 0.1f, 0.2f}, e));
    vec3 t2 = t1 + td2 * 15;
    capsule(s, p, tb, t1, 8.5f, skin, 5);
    capsule(s, p, t1, t2, 7.5f, skin, 2.5f);
    s.depth_near = 45, s.depth_far = -25;
}

// ---- na_toka: a fist drawn back, then punched straight at the viewer, turning as it comes.
void pose_na_toka(scene& s, float t)
{
    float e = ease(t);
    // Depth along the punch; perspective comes from the scale.
    float near = mix(0.45f, 2.9f, e * e);
    vec3 centre{mix(200, 160, e), mix(120, 100, e), 0};
    place p{centre, near, mix(0.35f, 0.0f, e), 0};
    float roll = mix(-1.2f, 0.0f, e);
    auto q = [&](vec3 v) { return rot_z(v, roll); };
    const float skin = 0.92f;
    // Knuckles and the folded fingers face the viewer.
    ellipsoid(s, p, q({0, 0, -14}), {34, 26, 22}, skin);
    for (int k = 0; k < 4; k++) {
        float x = -21 + 14 * k;
        float y = -10 + std::fabs(k - 1.5f) * 2;
        sphere(s, p, q({x, y, 10}), 8.5f, skin, 4);                   // knuckle
        capsule(s, p, q({x, y + 4, 14}), q({x, y + 18, 12}), 7.5f, skin * 0.95f, 2); // middle bone
    }
    capsule(s, p, q({-26, 20, 14}), q({10, 22, 20}), 8.5f, skin, 3);   // thumb across the front
    capsule(s, p, q({8, 18, -10}), q({40, 60, -90}), 20, 0.8f, 6);    // forearm, going away
    s.depth_near = 30, s.depth_far = -60;
    s.backdrop = nullptr;
}

// ---- dd: a steam engine: flywheel, crank, connecting rod and piston, run up to speed
// from rest and brought to rest again over two turns.
void pose_dd(scene& s, float t)
{
    float e = ease(t);
    float th = 2 * pi * 2 * e;
    place p{{0, 0, 0}, 1.0f, 0, 0};
    const vec3 c{92, 96, 0};
    const float rr = 66;
    auto w = [&](float a, float r, float z) { return c + vec3{r * std::cos(a), r * std::sin(a), z}; };
    for (int k = 0; k < 28; k++) {
        float a0 = th + 2 * pi * k / 28, a1 = th + 2 * pi * (k + 1) / 28;
        capsule(s, p, w(a0, rr, 0), w(a1, rr, 0), 9, 0.85f, 4);
    }
    for (int k = 0; k < 6; k++) {
        float a = th + 2 * pi * k / 6 + pi / 6;
        capsule(s, p, w(a, 12, 2), w(a, rr - 4, 0), 4.5f, 0.75f);
    }
    sphere(s, p, c + vec3{0, 0, 4}, 17, 0.9f);
    // Crank: a web from the hub to the pin on the wheel's face.
    vec3 pin = w(th, 40, 22);
    capsule(s, p, c + vec3{0, 0, 18}, pin, 9, 0.95f);
    sphere(s, p, pin + vec3{0, 0, 4}, 7, 1.0f);
    const float rod = 110, axis_y = 96;
    float dy = pin.y - axis_y;
    float cross_x = pin.x + std::sqrt(rod * rod - dy * dy);
    vec3 cross{cross_x, axis_y, 24};
    capsule(s, p, pin + vec3{0, 0, 6}, cross, 6.5f, 0.9f);
    // Piston rod and piston inside an open cylinder.
    add_box(s, cross + vec3{0, 0, -6}, {10, 12, 10}, 0, 0, 0, 0.95f);
    capsule(s, p, cross, cross + vec3{44, 0, 0}, 5, 0.85f);
    add_box(s, cross + vec3{56, 0, 0}, {12, 24, 16}, 0, 0, 0, 0.9f);
    const float cyl_x0 = 228, cyl_x1 = 312;
    add_box(s, {(cyl_x0 + cyl_x1) / 2, axis_y - 30, 0}, {(cyl_x1 - cyl_x0) / 2, 5, 22}, 0, 0, 0, 0.7f);
    add_box(s, {(cyl_x0 + cyl_x1) / 2, axis_y + 30, 0}, {(cyl_x1 - cyl_x0) / 2, 5, 22}, 0, 0, 0, 0.7f);
    add_box(s, {cyl_x1 + 3, axis_y, 0}, {5, 36, 22}, 0, 0, 0, 0.75f);
    // Guide bars for the crosshead and the bed under it all.
    add_box(s, {190, axis_y - 16, 8}, {40, 3, 4}, 0, 0, 0, 0.6f);
    add_box(s, {190, axis_y + 16, 8}, {40, 3, 4}, 0, 0, 0, 0.6f);
    add_box(s, {200, 176, -20}, {130, 8, 30}, 0, 0, 0, 0.5f);
    add_box(s, {92, 168, -20}, {14, 10, 10}, 0, 0, 0, 0.55f);
    s.depth_near = 30, s.depth_far = -30;
}

// ---- onnettomuus: a wrecking ball swings in and smashes a stack of crates, which tumble
// across the floor and come to rest.
struct crate {
    vec3 start, end;
    float size, arc, turns, yaw_turns, delay;
};

constexpr crate crates[] = {
    {{178, 158, 0}, {236, 158, 10}, 23, 20, 0.5f, 0.0f, 0.02f},
    {{226, 158, 0}, {296, 158, -8}, 23, 10, 0.25f, 0.0f, 0.06f},
    {{274, 158, 0}, {338, 158, 0}, 23, 6, 0.25f, 0.0f, 0.10f},
    {{202, 112, 0}, {266, 120, 24}, 23, 50, 1.0f, 0.5f, 0.0f},
    {{250, 112, 0}, {320, 130, 0}, 23, 40, 0.75f, 0.25f, 0.05f},
    {{226, 66, 0}, {200, 158, 30}, 23, 60, 1.25f, 0.25f, 0.0f},
};

float floor_glow(float, float y, float) { return y >= 182 ? 0.35f : 0.0f; }

void pose_onnettomuus(scene& s, float t)
{
    const float hit = 0.42f;
    // The ball falls from rest to the stack, then drives on, slowing to a stop.
    float phi = t < hit ? mix(-1.05f, 0.52f, ease_in(t / hit)) : mix(0.52f, 0.95f, ease_out((t - hit) / (1 - hit)));
    vec3 pivot{40, -60, 0};
    const float len = 185;
    vec3 ball = pivot + vec3{len * std::sin(phi), len * std::cos(phi), 0};
    place p{{0, 0, 0}, 1.0f, 0, 0};
    for (int k = 0; k < 10; k++) {
        vec3 a = lerp(pivot, ball, k / 10.0f), b = lerp(pivot, ball, (k + 1) / 10.0f);
        capsule(s, p, a, b, 2.5f, 0.6f);
    }
    sphere(s, p, ball, 38, 0.85f);
    for (const crate& c : crates) {
        float u = (t - hit - c.delay) / (1 - hit - c.delay);
        float m = ease_out(u);
        vec3 pos = lerp(c.start, c.end, m) + vec3{0, -c.arc * 4 * m * (1 - m), 0};
        add_box(s, pos, {c.size, c.size, c.size}, c.yaw_turns * pi * m, 0.25f, c.turns * pi * m, 0.92f);
    }
    add_box(s, {160, 190, -20}, {200, 8, 60}, 0, 0.25f, 0, 0.4f);
    s.backdrop = floor_glow;
    s.depth_near = 30, s.depth_far = -30;
}

struct animation {
    const char* name;
    void (*pose)(scene&, float);
};

constexpr animation animations[] = {
    {"dd", pose_dd},           {"na_eka", pose_na_eka},     {"na_toka", pose_na_toka},
    {"onnettomuus", pose_onnettomuus}, {"paa", pose_paa},   {"siunaus", pose_siunaus},
    {"ukko", pose_ukko},
};

}  // namespace

bytes gen_video(const std::string& name, int frames)
{
    void (*pose)(scene&, float) = nullptr;
    for (const animation& a : animations)
        if (name == a.name)
            pose = a.pose;
    if (!pose) {
        std::fprintf(stderr, "gendata: no animation called %s\n", name.c_str());
        std::exit(1);
    }
    bytes v(8000u * static_cast<unsigned>(frames), 0);
    auto work = [&](int first) {
        for (int f = first; f < frames; f += 2) {
            scene s;
            pose(s, frames > 1 ? static_cast<float>(f) / (frames - 1) : 0.0f);
            render_frame(s, v.data() + 8000u * f);
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    return v;
}
