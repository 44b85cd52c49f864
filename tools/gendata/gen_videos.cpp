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
// Gathering speed, and losing it: the two halves of an impact. Never quite at rest, so
// that the ends of the animation still move.
float ease_in(float t) { t = clamp01(t); return 0.8f * t * t + 0.2f * t; }
float ease_out(float t) { t = clamp01(t); return 0.8f * (1 - (1 - t) * (1 - t)) + 0.2f * t; }
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

// Box with half sizes h, turned in its own frame (roll, then pitch, then yaw) and then
// with the placement.
void box(scene& s, const place& p, vec3 c, vec3 h, float yaw, float pitch, float roll, float alb)
{
    auto turn = [&](vec3 d) { return rot_x(rot_y(rot_y(rot_x(rot_z(d, roll), pitch), yaw), p.yaw), p.pitch); };
    add_box_axes(s, at(p, c), h * p.scale, turn({1, 0, 0}), turn({0, 1, 0}), turn({0, 0, 1}), alb);
}

// ---- paa: a head turning from one side to the other, nodding slightly.
void pose_paa(scene& s, float t)
{
    float e = ease(t);
    place p{{160, 98, 0}, 1.4f, mix(-1.15f, 1.15f, e), mix(0.12f, -0.08f, e) + 0.1f * std::sin(pi * e)};
    const float skin = 0.9f;
    ellipsoid(s, p, {0, -18, -4}, {40, 44, 46}, skin);                 // cranium
    ellipsoid(s, p, {0, 16, 8}, {30, 30, 30}, skin, 10);               // jaw
    ellipsoid(s, p, {0, 38, 18}, {14, 10, 16}, skin, 8);               // chin
    capsule(s, p, {-18, -13, 36}, {18, -13, 36}, 7, skin, 6);          // brow ridge
    capsule(s, p, {0, -8, 40}, {0, 14, 52}, 6, skin, 6);               // nose bridge
    sphere(s, p, {0, 16, 50}, 7.5f, skin, 5);                          // nose tip
    for (float side : {-1.0f, 1.0f}) {
        sphere(s, p, {side * 18, 13, 20}, 11, skin, 14);               // cheeks
        sphere(s, p, {side * 6, 19, 44}, 5, skin, 4);                  // nostrils
        sphere(s, p, {side * 15, -2, 29.5f}, 7, 1.0f);                 // eyeballs
        sphere(s, p, {side * 15, -1.5f, 36}, 2.5f, 0.05f);             // pupils
        capsule(s, p, {side * 9, -6, 35}, {side * 21, -6, 34}, 3.5f, skin, 2); // upper lids
        ellipsoid(s, p, {side * 41, 2, -6}, {6, 14, 9}, skin, 4);      // ears
    }
    capsule(s, p, {-11, 30, 41}, {11, 30, 41}, 3.5f, 0.65f, 2);        // upper lip
    capsule(s, p, {-9, 35, 40}, {9, 35, 40}, 4, 0.8f, 2);              // lower lip
    capsule(s, p, {0, 30, -8}, {0, 90, -12}, 30, 0.75f, 10);           // neck
    ellipsoid(s, p, {0, 92, -10}, {115, 30, 50}, 0.7f, 14);            // shoulders
    s.key = {-0.3f, -0.55f, 0.8f};
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
    // Spine and shoulder girdle keep the trunk whole when it bends.
    capsule(s, p, trunk({0, -8, 0}), trunk({0, -52, 0}), 12 * bulk, alb, 6);
    capsule(s, p, trunk({-18 * bulk, -56, 0}), trunk({18 * bulk, -56, 0}), 8 * bulk, alb, 6);
    if (robe) {
        // A bell of growing spheres melted together.
        for (int k = 0; k < 5; k++)
            sphere(s, p, {0, 8.0f + 16 * k, 0}, 20.0f + 3.5f * k, alb * 0.85f, 16);
        ellipsoid(s, p, {0, 84, 0}, {38, 6, 24}, alb * 0.85f, 8);
    }
    for (int i = 0; i < 2; i++) {
        float side = i ? 1.0f : -1.0f;
        vec3 sh = trunk({side * 20 * bulk, -58, 0});
        vec3 el = elbow(sh, f.hand[i], 30, 28, f.elbow_hint[i]);
        capsule(s, p, sh, el, 6 * bulk, alb, 4);
        capsule(s, p, el, f.hand[i], 5 * bulk, alb, 3);
        sphere(s, p, f.hand[i], 7.5f, alb, 3);
        if (!robe) {
            vec3 hip{side * 9, 0, 0};
            vec3 kn = elbow(hip, f.foot[i], 44, 42, f.knee_hint[i]);
            capsule(s, p, hip, kn, 8 * bulk, alb, 5);
            capsule(s, p, kn, f.foot[i], 6.5f * bulk, alb, 4);
            capsule(s, p, f.foot[i], f.foot[i] + vec3{0, 3, 12}, 5, alb, 3);
        }
    }
}

// ---- siunaus: a robed figure lifts its hands from prayer to a wide blessing; a halo
// and a crown of thin rays open behind its head.
float halo(float x, float y, float t)
{
    float dx = x - 160, dy = y - 48;
    float r = std::sqrt(dx * dx + dy * dy);
    float beam = 0.5f + 0.5f * std::cos(std::atan2(dy, dx) * 14);
    for (int k = 0; k < 4; k++)
        beam *= beam;
    float e = ease(t);
    float rays = beam * std::clamp(1 - r / 130, 0.0f, 1.0f) * std::clamp((r - 22) / 20, 0.0f, 1.0f) * (0.05f + 0.3f * e);
    float ring = std::max(0.0f, 1 - std::fabs(r - 18) / 3.0f) * (0.3f + 0.7f * e);
    return rays + ring;
}

void pose_siunaus(scene& s, float t)
{
    float e = ease(t);
    place p{{160, 124, 0}, 0.98f, 0.1f * std::sin(pi * e), 0};
    figure_pose f{};
    f.lean = mix(0.2f, -0.1f, e);
    f.head_tilt = mix(0.7f, -0.6f, e);
    for (int i = 0; i < 2; i++) {
        float side = i ? 1.0f : -1.0f;
        vec3 pray{side * 3, -46, 24};
        vec3 mid{side * 44, -62, 40};
        vec3 bless{side * 60, -104, 10};
        // Through a forward arc, not a straight line, so the arms open rather than slide.
        f.hand[i] = lerp(lerp(pray, mid, e), lerp(mid, bless, e), e);
        f.elbow_hint[i] = {side * 1.0f, mix(0.8f, 0.3f, e), -0.3f};
    }
    figure(s, p, f, 1.3f, 0.95f, true);
    s.backdrop = halo;
    s.time = t;
    s.depth_near = 30, s.depth_far = -30;
}

// ---- ukko: a broad figure seen from the side swings a great hammer from over its back
// down onto the ground before it; the ground flashes where it strikes.
const place ukko_place{{150, 116, 0}, 0.8f, 1.2f, 0};

struct swing {
    float lean;
    vec3 hands, dir; // figure-local grip and the handle's direction from it
};

swing ukko_swing(float t)
{
    float e = ease(t);
    swing w;
    w.lean = mix(-0.15f, 0.5f, e);
    // The hammer's angle from straight up, in the figure's own front-back plane.
    float psi = mix(-0.45f, 2.55f, e);
    w.dir = {0, -std::cos(psi), std::sin(psi)};
    w.hands = rot_x(vec3{0, -50, 0}, -w.lean * 0.6f) + w.dir * 40;
    return w;
}

constexpr float handle = 52;

float ground_flash(float x, float y, float t)
{
    static const vec3 strike = [] {
        swing w = ukko_swing(1);
        return at(ukko_place, w.hands + w.dir * handle);
    }();
    float e = std::max(0.0f, (t - 0.8f) / 0.2f);
    float dx = (x - strike.x) * 0.5f, dy = y - 186;
    float r = std::sqrt(dx * dx + dy * dy);
    float floor = y > 186 ? 0.25f : 0.0f;
    return floor + std::max(0.0f, 1 - r / (10 + 50 * e)) * e * 0.9f;
}

void pose_ukko(scene& s, float t)
{
    float e = ease(t);
    const place& p = ukko_place;
    swing w = ukko_swing(t);
    figure_pose f{};
    f.lean = w.lean;
    f.head_tilt = mix(-0.5f, 0.4f, e);
    f.hand[0] = w.hands + vec3{-3, 0, 0} - w.dir * 6;
    f.hand[1] = w.hands + vec3{3, 0, 0};
    for (int i = 0; i < 2; i++) {
        float side = i ? 1.0f : -1.0f;
        f.elbow_hint[i] = {side * 1.0f, 0.6f, -0.4f};
        f.foot[i] = {side * 16, 84 - mix(0, 10, e), side * 16};
        f.knee_hint[i] = {0, 0, 1};
    }
    figure(s, p, f, 1.35f, 0.88f, false);
    // Beard under the chin, following the trunk's bend as the head does.
    ellipsoid(s, p, rot_x(vec3{0, -70, 9}, -f.lean * 70 / 80) + vec3{0, 0, f.head_tilt * 6}, {7, 8, 6}, 0.75f, 5);
    vec3 end = w.hands + w.dir * handle;
    capsule(s, p, w.hands - w.dir * 10, end, 3, 0.7f);
    // Hammer head: across the handle, in the swing plane.
    float psi = std::atan2(w.dir.z, -w.dir.y);
    box(s, p, end, {14, 11, 22}, 0, -psi, 0, 0.95f);
    s.backdrop = ground_flash;
    s.time = t;
    s.depth_near = 40, s.depth_far = -40;
}

// ---- na_eka: an open hand, palm to the viewer, closes slowly into a fist.
void pose_na_eka(scene& s, float t)
{
    float e = ease(t);
    place p{{160, 112, 0}, 1.35f, mix(-0.25f, 0.2f, e), mix(0.1f, -0.15f, e)};
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
        vec3 d{std::sin(sp), -std::cos(sp), 0};
        // Each bone's angle towards the viewer when the fist is closed: the fingers fold
        // down over the palm.
        const float fold[3] = {1.4f, 2.9f, 3.9f};
        for (int n = 0; n < 3; n++) {
            vec3 dn = rot_x(d, -fold[n] * e);
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
    float near = mix(0.8f, 2.7f, e * e);
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

// ---- dd: a steam engine, seen a little from the side and above: flywheel, crank,
// connecting rod and piston, run up from rest and brought to rest again over two turns.
void pose_dd(scene& s, float t)
{
    float e = ease(t);
    float th = 2 * pi * 2 * e;
    place p{{156, 92, 0}, 1.0f, 0.42f, -0.28f};
    const vec3 c{-88, 0, 0};
    const float rr = 66;
    auto w = [&](float a, float r, float z) { return c + vec3{r * std::cos(a), r * std::sin(a), z}; };
    for (int k = 0; k < 40; k++) {
        float a0 = th + 2 * pi * k / 40, a1 = th + 2 * pi * (k + 1) / 40;
        capsule(s, p, w(a0, rr, 0), w(a1, rr, 0), 10, 0.9f);
    }
    for (int k = 0; k < 6; k++) {
        float a = th + 2 * pi * k / 6 + pi / 6;
        capsule(s, p, w(a, 12, 0), w(a, rr - 4, 0), 5, 0.8f);
    }
    sphere(s, p, c + vec3{0, 0, 2}, 18, 0.9f);
    capsule(s, p, c + vec3{0, 0, -40}, c + vec3{0, 0, 10}, 8, 0.8f); // shaft
    // Crank: a web from the hub to the pin on the wheel's face.
    vec3 pin = w(th, 40, 22);
    capsule(s, p, c + vec3{0, 0, 20}, pin, 10, 0.95f);
    sphere(s, p, pin + vec3{0, 0, 4}, 8, 1.0f);
    const float rod = 112;
    float dy = pin.y;
    vec3 cross{pin.x + std::sqrt(rod * rod - dy * dy), 0, 24};
    capsule(s, p, pin + vec3{0, 0, 6}, cross, 7, 0.9f);
    // Crosshead between guide bars, and the piston rod into a round cylinder with flanges.
    box(s, p, cross, {11, 12, 10}, 0, 0, 0, 0.95f);
    capsule(s, p, cross, cross + vec3{60, 0, 0}, 5, 0.85f);
    capsule(s, p, {86, 0, 24}, {126, 0, 24}, 30, 0.85f);
    for (float x : {70.0f, 142.0f})
        box(s, p, {x, 0, 24}, {5, 36, 36}, 0, 0, 0, 0.8f);
    box(s, p, {22, -16, 24}, {42, 3, 4}, 0, 0, 0, 0.65f);
    box(s, p, {22, 16, 24}, {42, 3, 4}, 0, 0, 0, 0.65f);
    // Bed and the bearing under the shaft.
    box(s, p, {24, 84, -10}, {140, 8, 50}, 0, 0, 0, 0.55f);
    box(s, p, {-88, 62, -40}, {14, 16, 12}, 0, 0, 0, 0.6f);
    s.depth_near = 40, s.depth_far = -90;
}

// ---- onnettomuus: a wrecking ball swings in and smashes a stack of crates, which tumble
// across the floor and come to rest.
struct crate {
    vec3 start, end;
    float arc, turns, yaw_turns, delay;
};

constexpr float crate_half = 20;
constexpr crate crates[] = {
    {{186, 156, 0}, {236, 156, 10}, 16, 0.5f, 0.0f, 0.0f},
    {{242, 156, 0}, {300, 156, -8}, 10, 0.5f, 0.0f, 0.10f},
    {{298, 156, 0}, {352, 156, 0}, 6, 0.5f, 0.0f, 0.14f},
    {{214, 104, 0}, {274, 156, 24}, 50, 1.0f, 0.5f, 0.0f},
    {{270, 104, 0}, {330, 140, 0}, 40, 0.5f, 0.5f, 0.04f},
    {{242, 52, 0}, {190, 156, 30}, 60, 1.5f, 0.5f, 0.02f},
};

float floor_glow(float, float y, float) { return y >= 182 ? 0.3f : 0.0f; }

void pose_onnettomuus(scene& s, float t)
{
    const float hit = 0.45f;
    // The ball falls from rest to the stack, then drives on, slowing to a stop.
    float phi = t < hit ? mix(-0.7f, 0.235f, ease_in(t / hit)) : mix(0.235f, 0.6f, ease_out((t - hit) / (1 - hit)));
    vec3 pivot{110, -40, 0};
    const float len = 150;
    vec3 ball = pivot + vec3{len * std::sin(phi), len * std::cos(phi), 0};
    place flat{{0, 0, 0}, 1.0f, 0, 0};
    for (int k = 0; k < 10; k++) {
        vec3 a = lerp(pivot, ball, k / 10.0f), b = lerp(pivot, ball, (k + 1) / 10.0f);
        capsule(s, flat, a, b, 2.5f, 0.6f);
    }
    sphere(s, flat, ball, 42, 0.85f);
    for (const crate& c : crates) {
        float m = ease_out((t - hit - c.delay) / (1 - hit - c.delay));
        vec3 pos = lerp(c.start, c.end, m) + vec3{0, -c.arc * 4 * m * (1 - m), 0};
        // Seen from the left and above, so that three faces of every crate show.
        place view{pos, 1.0f, 0.55f, -0.35f};
        box(s, view, {0, 0, 0}, {crate_half, crate_half, crate_half}, c.yaw_turns * pi * m, 0, c.turns * pi * m, 0.95f);
    }
    add_box(s, {160, 192, -40}, {200, 10, 80}, 0, 0, 0, 0.4f);
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
