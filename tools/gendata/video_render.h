// Small solid renderer for the 1-bit animations: spheres, ellipsoids, capsules and boxes,
// hit by straight-down rays (orthographic), shaded with a key and a rim light, dithered to 1 bit.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

// World units are canvas pixels: x right, y down, z towards the viewer.
struct vec3 {
    float x, y, z;
};
inline vec3 operator+(vec3 a, vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline vec3 operator-(vec3 a, vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline vec3 operator*(vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(vec3 a, vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline vec3 normalize(vec3 a) { return a * (1.0f / std::sqrt(dot(a, a))); }
inline vec3 lerp(vec3 a, vec3 b, float t) { return a + (b - a) * t; }

// Rotation about the x, y or z axis by an angle in radians.
vec3 rot_x(vec3 p, float a);
vec3 rot_y(vec3 p, float a);
vec3 rot_z(vec3 p, float a);

enum prim_kind { prim_sphere, prim_ellipsoid, prim_capsule, prim_box };

// One solid. Box: centre a, half sizes in radii, axes u, v, w (orthonormal).
struct prim {
    prim_kind kind;
    vec3 a, b;      // centre, or the capsule's two end points
    float r;        // sphere and capsule radius
    vec3 radii;     // ellipsoid (screen-aligned) or box half sizes
    vec3 u, v, w;   // box axes
    float albedo;   // surface brightness 0..1
    float blend;    // smooth-union radius in pixels against what is already drawn; 0 = hard
};

// What one frame shows: solids, an optional backdrop and the light.
struct scene {
    std::vector<prim> prims;
    float (*backdrop)(float x, float y, float t) = nullptr; // grey 0..1 at a canvas point
    float time = 0;                                       // handed to the backdrop
    vec3 key{-0.55f, -0.7f, 0.75f}; // direction towards the key light (need not be unit)
    float ambient = 0.12f;
    float rim = 0.55f;
    float gamma = 1.0f;           // applied to the grey before dithering
    float depth_near = 1e9f;      // heights at or above this are lit fully...
    float depth_far = -1e9f;      // ...fading linearly to a third at this height
};

void add_sphere(scene& s, vec3 c, float r, float albedo, float blend = 0);
void add_ellipsoid(scene& s, vec3 c, vec3 radii, float albedo, float blend = 0);
void add_capsule(scene& s, vec3 a, vec3 b, float r, float albedo, float blend = 0);
// Box with half sizes h, turned first by roll (about z), then pitch (about x), then yaw (about y).
void add_box(scene& s, vec3 c, vec3 h, float yaw, float pitch, float roll, float albedo, float blend = 0);
// Box with half sizes h along the orthonormal axes u, v, w.
void add_box_axes(scene& s, vec3 c, vec3 h, vec3 u, vec3 v, vec3 w, float albedo, float blend = 0);

// Renders the scene at twice the size, shades, filters down and dithers into one
// 8000-byte frame (rows 192..199 left zero). Safe to call from several threads at once.
void render_frame(const scene& s, std::uint8_t* frame);

// Ease in and out: 0 at 0, 1 at 1, slowing to a fifth of the mean speed at both ends,
// so that the player's turn is soft but no two neighbouring frames are alike.
inline float ease(float t)
{
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return 0.8f * t * t * (3 - 2 * t) + 0.2f * t;
}
