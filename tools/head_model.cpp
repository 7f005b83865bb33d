// head_model.cpp - generates the model that the saver carries.
//
// The model is a medal in thin relief. The saver exchanges Y and Z after
// loading and looks at the origin from the plane z = 4, so the medal is
// built in drawing axes (x right, y up, z the height towards the camera)
// and written with y and z exchanged: in the file it lies flat in y, every
// vertex within 0.07 of y = 0.
//
// First mesh, "ORDER_STAR" (the emblem, the whole disc inside the rim):
//   - a brilliant-cut boss in the centre: an octagonal table, eight star
//     facets, sixteen bezel half-kites and eighty upper girdle facets;
//   - a twisted rope of forty strands around it;
//   - an eight-armed star, the badge of an order: each arm a fan of five
//     ridged rays side by side (the middle one longest), forty in all;
//   - the flat field between the arms, sunk below everything else;
//   - a ring of eighty faceted studs (eight-sided pyramids) just inside
//     the rim.
// Second mesh, "REEDED_RIM": the rim, a ring from radius 3.45 to 4.05: an
// inner bevel, a top reeded with 80 slanting reeds, an outer chamfer.
//
// Every surface is a height field over the drawing plane, and every face is
// wound counter-clockwise seen from the camera (+z in drawing axes). The
// exchange of Y and Z mirrors, so in the file's own axes the corners run
// clockwise seen from +y. The two meshes meet on the circle of radius 3.45
// at bitwise equal positions, so the surface has no cracks.
#include "head_model.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <utility>

#include "write_3ds.h"

// --- Reproducible arithmetic ---

// Positions are multiples of 1/4096 in each axis: exactly representable as
// floats, and the rounding to the grid absorbs any last-bit difference in
// the arithmetic before it.
static const double GRID = 4096.0;
static const double TWO_PI = 6.283185307179586;

// Sine and cosine of an angle given in turns, by plain arithmetic: a
// reduction to the nearest quarter turn and Taylor series on [-1/8, 1/8]
// turn (error far below the grid).
static void sin_cos_turns(double turns, double* s, double* c)
{
    double t = turns - floor(turns);
    double quarter = floor(t * 4.0 + 0.5);
    double x = (t - quarter * 0.25) * TWO_PI;
    double x2 = x * x;
    // clang-format off
    double sn = x * (1 - x2 / 6 * (1 - x2 / 20 * (1 - x2 / 42 * (1 - x2 / 72 * (1 - x2 / 110 * (1 - x2 / 156 * (1 - x2 / 210)))))));
    double cs = 1 - x2 / 2 * (1 - x2 / 12 * (1 - x2 / 30 * (1 - x2 / 56 * (1 - x2 / 90 * (1 - x2 / 132 * (1 - x2 / 182))))));
    switch ((int)quarter & 3) {
    case 0: *s = sn; *c = cs; break;
    case 1: *s = cs; *c = -sn; break;
    case 2: *s = -sn; *c = -cs; break;
    default: *s = -cs; *c = sn; break;
        // clang-format on
    }
}

// num/den of a turn, reduced to [0, 1) in integers first so that equal
// angles are bitwise equal.
static double turns_of(int64_t num, int64_t den) { return (double)(((num % den) + den) % den) / (double)den; }

static int32_t to_grid(double v) { return (int32_t)llround(v * GRID); }

// --- Mesh building ---

struct GridPoint {
    int32_t x, y, z;  // drawing axes, in grid units
};

struct MeshBuild {
    std::vector<GridPoint> points;
    std::map<std::array<int32_t, 3>, uint16_t> point_index;
    std::vector<std::array<uint16_t, 3>> faces;
    std::set<std::array<uint16_t, 3>> face_keys;  // sorted corners of every face
    bool failed = false;
};

static void build_failure(MeshBuild* m, const char* what)
{
    if (!m->failed) fprintf(stderr, "head model: %s\n", what);
    m->failed = true;
}

// The index of the point at (x, y, z) after rounding to the grid; equal
// positions share one vertex.
static uint16_t add_point(MeshBuild* m, double x, double y, double z)
{
    std::array<int32_t, 3> key = {to_grid(x), to_grid(y), to_grid(z)};
    auto found = m->point_index.find(key);
    if (found != m->point_index.end()) return found->second;
    if (m->points.size() >= 65535) {
        build_failure(m, "more than 65535 vertices");
        return 0;
    }
    uint16_t index = (uint16_t)m->points.size();
    m->points.push_back({key[0], key[1], key[2]});
    m->point_index[key] = index;
    return index;
}

static uint16_t polar_point(MeshBuild* m, double radius, double turns, double z)
{
    double s, c;
    sin_cos_turns(turns, &s, &c);
    return add_point(m, radius * c, radius * s, z);
}

// Twice the signed area of the triangle's shadow on the drawing plane:
// positive when a, b, c run counter-clockwise seen from +z.
static int64_t shadow_area2(const MeshBuild* m, uint16_t a, uint16_t b, uint16_t c)
{
    const GridPoint& p = m->points[a];
    const GridPoint& q = m->points[b];
    const GridPoint& r = m->points[c];
    return (int64_t)(q.x - p.x) * (r.y - p.y) - (int64_t)(q.y - p.y) * (r.x - p.x);
}

// Adds a face, wound counter-clockwise seen from +z: every surface of the
// medal is a height field, so the shadow's orientation is the face's.
static void add_face(MeshBuild* m, uint16_t a, uint16_t b, uint16_t c)
{
    int64_t area2 = shadow_area2(m, a, b, c);
    if (area2 == 0) {
        build_failure(m, "a face with no area");
        return;
    }
    if (area2 < 0) {
        uint16_t t = b;
        b = c;
        c = t;
    }
    std::array<uint16_t, 3> key = {a, b, c};
    if (key[0] > key[1]) std::swap(key[0], key[1]);
    if (key[1] > key[2]) std::swap(key[1], key[2]);
    if (key[0] > key[1]) std::swap(key[0], key[1]);
    if (!m->face_keys.insert(key).second) {
        build_failure(m, "a duplicate face");
        return;
    }
    if (m->faces.size() >= 65535) {
        build_failure(m, "more than 65535 faces");
        return;
    }
    m->faces.push_back({a, b, c});
}

// A point of a closed ring, with its angle in 1/den of a turn (increasing
// along the ring, the first within one step of the other ring's first).
struct RingPoint {
    uint16_t index;
    int64_t angle;
};

// Fills the band between two closed rings with triangles, advancing along
// whichever ring's next point comes first by angle (ring a on a tie).
static void stitch_rings(MeshBuild* m, const std::vector<RingPoint>& a, const std::vector<RingPoint>& b, int64_t den)
{
    size_t na = a.size(), nb = b.size();
    size_t i = 0, k = 0;
    while (i < na || k < nb) {
        bool advance_a;
        if (i == na) {
            advance_a = false;
        } else if (k == nb) {
            advance_a = true;
        } else {
            int64_t next_a = a[(i + 1) % na].angle + (i + 1 == na ? den : 0);
            int64_t next_b = b[(k + 1) % nb].angle + (k + 1 == nb ? den : 0);
            advance_a = next_a <= next_b;
        }
        if (advance_a) {
            add_face(m, a[i % na].index, a[(i + 1) % na].index, b[k % nb].index);
            ++i;
        } else {
            add_face(m, a[i % na].index, b[(k + 1) % nb].index, b[k % nb].index);
            ++k;
        }
    }
}

// A ring of n points at radius, point j at (2j + shift) / 2n of a turn
// (shift 1 puts the points half a step on) and at height even_z or odd_z by
// the parity of j. Angles in 1/2n turn.
static std::vector<RingPoint> add_ring(MeshBuild* m, int n, int shift, double radius, double even_z, double odd_z)
{
    std::vector<RingPoint> ring;
    for (int j = 0; j < n; ++j) {
        int64_t angle = 2 * j + shift;
        ring.push_back({polar_point(m, radius, turns_of(angle, 2 * n), j % 2 == 0 ? even_z : odd_z), angle});
    }
    return ring;
}

// Is p inside or on the triangle a, b, c (counter-clockwise)?
static bool in_triangle(const GridPoint& p, const GridPoint& a, const GridPoint& b, const GridPoint& c)
{
    auto side = [&p](const GridPoint& u, const GridPoint& v) {
        return (int64_t)(v.x - u.x) * (p.y - u.y) - (int64_t)(v.y - u.y) * (p.x - u.x);
    };
    return side(a, b) >= 0 && side(b, c) >= 0 && side(c, a) >= 0;
}

// Triangulates a simple polygon (counter-clockwise seen from +z) by ear
// clipping; of the ears available it always cuts the best shaped (largest
// area over longest edge squared), the first on a tie.
static void fill_polygon(MeshBuild* m, std::vector<uint16_t> polygon)
{
    while (polygon.size() > 3) {
        size_t n = polygon.size();
        size_t best = n;
        double best_quality = 0;
        for (size_t i = 0; i < n; ++i) {
            uint16_t a = polygon[(i + n - 1) % n], b = polygon[i], c = polygon[(i + 1) % n];
            int64_t area2 = shadow_area2(m, a, b, c);
            if (area2 <= 0) continue;
            bool empty = true;
            for (size_t j = 0; j < n && empty; ++j) {
                uint16_t p = polygon[j];
                if (p == a || p == b || p == c) continue;
                if (in_triangle(m->points[p], m->points[a], m->points[b], m->points[c])) empty = false;
            }
            if (!empty) continue;
            double longest = 0;
            const uint16_t corners[3] = {a, b, c};
            for (int e = 0; e < 3; ++e) {
                const GridPoint& u = m->points[corners[e]];
                const GridPoint& v = m->points[corners[(e + 1) % 3]];
                double dx = v.x - u.x, dy = v.y - u.y;
                double length2 = dx * dx + dy * dy;
                if (length2 > longest) longest = length2;
            }
            double quality = (double)area2 / longest;
            if (best == n || quality > best_quality) {
                best = i;
                best_quality = quality;
            }
        }
        if (best == n) {
            build_failure(m, "a polygon without an ear");
            return;
        }
        add_face(m, polygon[(best + n - 1) % n], polygon[best], polygon[(best + 1) % n]);
        polygon.erase(polygon.begin() + best);
    }
    if (polygon.size() == 3) add_face(m, polygon[0], polygon[1], polygon[2]);
}

// --- The design ---

// Heights (drawing z). Everything stays within 0.07 of the plane.
static const double FIELD_Z = -0.03;

// The boss: table, star points, girdle.
static const double TABLE_RADIUS = 0.17, TABLE_Z = 0.068;
static const double STAR_RADIUS = 0.33, STAR_Z = 0.035;
static const double GIRDLE_RADIUS = 0.46, GIRDLE_Z = 0.0;

// The rope: 2 * STRANDS columns (ridge, groove, ridge, ...) on five
// rings from the girdle to the star's base; each ring half a column behind
// the one inside it, so the strands twist.
static const int STRANDS = 40;
static const int ROPE_RINGS = 5;
static const double ROPE_OUTER_RADIUS = 1.0;
static const double ROPE_RIDGE = 0.05, ROPE_GROOVE = 0.015;
static const double ROPE_SWELL[ROPE_RINGS] = {0.0, 0.7, 1.0, 0.7, 0.0};

// The star: eight arms; arm a points along a/8 of a turn (so one arm points
// straight up) and is a fan of five rays side by side, ray s (0..39) along
// s/40 of a turn. A ray is a ridge that rises from the star's base to a
// peak, falls over a shoulder and ends in a tip on the field; neighbouring
// rays of an arm meet in a valley on the field from the base out to a
// notch, beyond which their flanks run free to the tips. Indexed by the
// ray's distance from the arm's middle.
static const int ARMS = 8, RAYS_PER_ARM = 5;
static const int RAYS = ARMS * RAYS_PER_ARM;
static const double PEAK_RADIUS = 1.25;
static const double RAY_LENGTH[3] = {3.05, 2.55, 2.05};
static const double PEAK_Z[3] = {0.05, 0.045, 0.04};
static const double SHOULDER_Z[3] = {0.02, 0.018, 0.015};
static const double NOTCH_INSET = 0.45;  // a notch lies this far inside the shorter ray's tip

// The studs: STUDS eight-sided pyramids between radius 3.2 and 3.45.
static const int STUDS = 80;
static const double STUD_INNER_RADIUS = 3.2, STUD_OUTER_RADIUS = 3.45, STUD_Z = 0.02;

// The rim: rings of RIM_COLUMNS points from the studs outwards, each
// with its radius, the heights of its even and odd points, and a shift
// (1 puts the points half a column on). The top is reeded: two rings of
// alternating heights, the outer shifted, so the reeds run aslant.
struct RimRing {
    double radius, even_z, odd_z;
    int shift;
};
static const int RIM_COLUMNS = 2 * STUDS;
// clang-format off
static const RimRing RIM_RINGS[] = {
    {3.45, FIELD_Z, FIELD_Z, 0},  // on the emblem's edge
    {3.55, 0.045, 0.045, 0},          // inner bevel
    {3.62, 0.066, 0.035, 0},          // reeded top
    {3.90, 0.066, 0.035, 1},
    {3.97, 0.045, 0.045, 1},
    {4.05, -0.065, -0.065, 0},        // outer chamfer down to the edge
};
// clang-format on

// Ray s of the star, counted from 0 to 39 however far s runs past either end.
static int ray_of(int s) { return ((s % RAYS) + RAYS) % RAYS; }
// The ray's place across its arm, 0 .. 4.
static int arm_place(int s) { return (ray_of(s) + RAYS_PER_ARM / 2) % RAYS_PER_ARM; }
// The ray's distance from its arm's middle ray, 0 .. 2.
static int ray_rank(int s) { return abs(arm_place(s) - RAYS_PER_ARM / 2); }

static void build_emblem(MeshBuild* m)
{
    // Rope rings, inside out; ring i's column j sits at (2j + 4 - i) / 160
    // of a turn, so the outermost ring has column j at j/80, under the star's rays.
    const int columns = 2 * STRANDS;
    std::vector<std::vector<RingPoint>> rope;
    for (int i = 0; i < ROPE_RINGS; ++i) {
        double t = (double)i / (ROPE_RINGS - 1);
        double radius = GIRDLE_RADIUS + t * (ROPE_OUTER_RADIUS - GIRDLE_RADIUS);
        double base = GIRDLE_Z + t * (FIELD_Z - GIRDLE_Z);
        std::vector<RingPoint> ring;
        for (int j = 0; j < columns; ++j) {
            double z = base + ROPE_SWELL[i] * (j % 2 == 0 ? ROPE_RIDGE : ROPE_GROOVE);
            int64_t angle = 2 * j + (ROPE_RINGS - 1 - i);
            ring.push_back({polar_point(m, radius, turns_of(angle, 2 * columns), z), angle});
        }
        rope.push_back(ring);
    }
    // Each ring's first point is half a column behind the first point of
    // the ring inside it, so the bands between them are zigzags.
    for (int i = 0; i + 1 < ROPE_RINGS; ++i) stitch_rings(m, rope[i + 1], rope[i], 2 * columns);

    // The boss, on the rope's inner ring. Girdle point g (0..79) at g/80
    // of a turn is rope column g - 2.
    const std::vector<RingPoint>& inner = rope[0];
    auto girdle = [&](int g) { return inner[(size_t)(((g - 2) % columns + columns) % columns)].index; };
    uint16_t table[8], star[8];
    for (int k = 0; k < 8; ++k) {
        table[k] = polar_point(m, TABLE_RADIUS, turns_of(k, 8), TABLE_Z);
        star[k] = polar_point(m, STAR_RADIUS, turns_of(2 * k + 1, 16), STAR_Z);
    }
    for (int k = 1; k + 1 < 8; ++k) add_face(m, table[0], table[k], table[k + 1]);
    const int per_octant = columns / 8;
    for (int k = 0; k < 8; ++k) {
        uint16_t kite_foot = girdle(per_octant * k);
        add_face(m, table[k], table[(k + 1) % 8], star[k]);
        add_face(m, table[k], kite_foot, star[k]);
        add_face(m, table[k], star[(k + 7) % 8], kite_foot);
        for (int g = per_octant * k; g < per_octant * (k + 1); ++g) add_face(m, star[k], girdle(g), girdle(g + 1));
    }

    // The rays, on the rope's outer ring: ray s has its middle on column
    // 2s and the valleys beside it on columns 2s - 1 and 2s + 1.
    const std::vector<RingPoint>& base = rope[ROPE_RINGS - 1];
    auto base_point = [&](int j) { return base[(size_t)((j % columns + columns) % columns)].index; };
    std::vector<uint16_t> tips, notches(RAYS);  // notches[s]: between rays s and s + 1 of one arm
    for (int s = 0; s < RAYS; ++s) {
        tips.push_back(polar_point(m, RAY_LENGTH[ray_rank(s)], turns_of(s, RAYS), FIELD_Z));
        if (arm_place(s) == RAYS_PER_ARM - 1) continue;
        double notch_radius = std::min(RAY_LENGTH[ray_rank(s)], RAY_LENGTH[ray_rank(s + 1)]) - NOTCH_INSET;
        notches[(size_t)s] = polar_point(m, notch_radius, turns_of(2 * s + 1, 2 * RAYS), FIELD_Z);
    }
    for (int s = 0; s < RAYS; ++s) {
        int rank = ray_rank(s);
        double turns = turns_of(s, RAYS);
        uint16_t peak = polar_point(m, PEAK_RADIUS, turns, PEAK_Z[rank]);
        uint16_t shoulder = polar_point(m, 0.5 * (PEAK_RADIUS + RAY_LENGTH[rank]), turns, SHOULDER_Z[rank]);
        uint16_t tip = tips[(size_t)s];
        add_face(m, base_point(2 * s - 1), peak, base_point(2 * s));
        add_face(m, base_point(2 * s), peak, base_point(2 * s + 1));
        int place = arm_place(s);
        for (int side = -1; side <= 1; side += 2) {
            uint16_t valley = base_point(2 * s + side);
            bool inner = side < 0 ? place > 0 : place < RAYS_PER_ARM - 1;
            if (inner) {
                uint16_t notch = notches[(size_t)ray_of(side < 0 ? s - 1 : s)];
                add_face(m, valley, notch, peak);
                add_face(m, peak, notch, shoulder);
                add_face(m, shoulder, notch, tip);
            } else {
                add_face(m, valley, shoulder, peak);
                add_face(m, valley, tip, shoulder);
            }
        }
    }

    // The studs' rings: inner and outer circles with a point at every
    // corner and edge middle, the side middles between, the apexes.
    const int half_steps = 2 * STUDS;
    std::vector<uint16_t> stud_inner, stud_outer, stud_side, stud_apex;
    double middle_radius = 0.5 * (STUD_INNER_RADIUS + STUD_OUTER_RADIUS);
    for (int j = 0; j < half_steps; ++j) {
        stud_inner.push_back(polar_point(m, STUD_INNER_RADIUS, turns_of(j, half_steps), FIELD_Z));
        stud_outer.push_back(polar_point(m, STUD_OUTER_RADIUS, turns_of(j, half_steps), FIELD_Z));
    }
    for (int b = 0; b < STUDS; ++b) {
        stud_side.push_back(polar_point(m, middle_radius, turns_of(b, STUDS), FIELD_Z));
        stud_apex.push_back(polar_point(m, middle_radius, turns_of(2 * b + 1, half_steps), STUD_Z));
    }
    for (int b = 0; b < STUDS; ++b) {
        int c0 = 2 * b, c1 = 2 * b + 1, c2 = (2 * b + 2) % half_steps;
        const uint16_t outline[8] = {stud_inner[c0], stud_inner[c1], stud_inner[c2], stud_side[(b + 1) % STUDS],
                                     stud_outer[c2], stud_outer[c1], stud_outer[c0], stud_side[b]};
        for (int e = 0; e < 8; ++e) add_face(m, stud_apex[b], outline[e], outline[(e + 1) % 8]);
    }

    // The field, one polygon between every two arms: out from the tip of
    // arm a's middle ray to the studs, along their inner circle to the next
    // arm's middle, and back over that arm's outline (tips and notches) to
    // the valley between the arms and out over arm a's outline.
    const int steps_per_arm = half_steps / ARMS;
    for (int a = 0; a < ARMS; ++a) {
        int middle = a * RAYS_PER_ARM, next_middle = middle + RAYS_PER_ARM;
        std::vector<uint16_t> polygon;
        polygon.push_back(tips[(size_t)middle]);
        for (int j = 0; j <= steps_per_arm; ++j)
            polygon.push_back(stud_inner[(size_t)((a * steps_per_arm + j) % half_steps)]);
        for (int s = next_middle; s > next_middle - RAYS_PER_ARM / 2; --s) {
            polygon.push_back(tips[(size_t)ray_of(s)]);
            polygon.push_back(notches[(size_t)ray_of(s - 1)]);
        }
        polygon.push_back(tips[(size_t)ray_of(next_middle - RAYS_PER_ARM / 2)]);
        polygon.push_back(base_point(2 * (middle + RAYS_PER_ARM / 2) + 1));
        for (int s = middle + RAYS_PER_ARM / 2; s > middle; --s) {
            polygon.push_back(tips[(size_t)ray_of(s)]);
            polygon.push_back(notches[(size_t)ray_of(s - 1)]);
        }
        fill_polygon(m, polygon);
    }
}

static void build_rim(MeshBuild* m)
{
    std::vector<std::vector<RingPoint>> rings;
    for (const RimRing& r : RIM_RINGS) rings.push_back(add_ring(m, RIM_COLUMNS, r.shift, r.radius, r.even_z, r.odd_z));
    for (size_t i = 0; i + 1 < rings.size(); ++i) stitch_rings(m, rings[i], rings[i + 1], 2 * RIM_COLUMNS);
}

// --- Writing ---

static const char* const MATERIAL_NAME = "WHITEMETAL";
static const char* const EMBLEM_NAME = "ORDER_STAR";
static const char* const RIM_NAME = "REEDED_RIM";
static const char* const SCENE_NAME = "HEADSCNE";

// A white metal: grey ambient and diffuse, white highlights, flat shading.
static void put_head_material(ChunkWriter* w)
{
    begin_material(w, MATERIAL_NAME);
    put_color_24_property(w, CHUNK_MATERIAL_AMBIENT, 102, 102, 102);
    put_color_24_property(w, CHUNK_MATERIAL_DIFFUSE, 102, 102, 102);
    put_color_24_property(w, CHUNK_MATERIAL_SPECULAR, 255, 255, 255);
    put_percent_property(w, CHUNK_MATERIAL_SHININESS, 59);
    put_percent_property(w, CHUNK_MATERIAL_SHININESS_STRENGTH, 0);
    put_percent_property(w, CHUNK_MATERIAL_TRANSPARENCY, 0);
    put_percent_property(w, CHUNK_MATERIAL_TRANSPARENCY_FALLOFF, 0);
    put_percent_property(w, CHUNK_MATERIAL_REFLECTION_BLUR, 0);
    put_u16_chunk(w, CHUNK_MATERIAL_SHADING, 1);
    put_percent_property(w, CHUNK_MATERIAL_SELF_ILLUMINATION, 0);
    put_floats_chunk(w, CHUNK_MATERIAL_WIRE_SIZE, {1.0f});
    end_chunk(w);
}

// Grid units to a file coordinate (exact: the values are far below 2^24).
static float from_grid(int32_t v) { return (float)v / (float)GRID; }

static void put_head_mesh_object(ChunkWriter* w, const char* name, const MeshBuild& m)
{
    begin_named_object(w, name);
    begin_chunk(w, CHUNK_TRIANGLE_MESH);

    // Vertices in file axes: drawing (x, y, z) is stored as (x, z, y).
    std::vector<Vec3> positions;
    for (const GridPoint& p : m.points) positions.push_back({from_grid(p.x), from_grid(p.z), from_grid(p.y)});
    put_vertex_list(w, positions);

    // Map coordinates: the drawing plane's square [-4.25, 4.25] onto [0, 1].
    std::vector<float> uv;
    const double half_side = 4.25 * GRID;
    for (const GridPoint& p : m.points) {
        uv.push_back((float)((p.x + half_side) / (2 * half_side)));
        uv.push_back((float)((p.y + half_side) / (2 * half_side)));
    }
    put_map_coords(w, uv);

    // Local frame: unit axes, origin a hair off the centre.
    put_local_matrix(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.001f, 0.001f, 0.001f});

    std::vector<FaceSpec> faces;
    for (const std::array<uint16_t, 3>& f : m.faces) faces.push_back({f[0], f[1], f[2], FACE_EDGES_VISIBLE});
    begin_face_list(w, faces);
    put_material_group(w, MATERIAL_NAME, face_range(0, (uint16_t)faces.size()));
    put_smoothing_groups(w, std::vector<uint32_t>(faces.size(), 0));  // no smoothing: the medal is faceted
    end_chunk(w);

    end_chunk(w);
    end_chunk(w);
}

bool write_head_model(std::vector<uint8_t>* out)
{
    out->clear();
    MeshBuild emblem, rim;
    build_emblem(&emblem);
    build_rim(&rim);
    if (emblem.failed || rim.failed) return false;

    *out = main_chunk([&](ChunkWriter* w) {
        put_u32_chunk(w, CHUNK_FILE_VERSION, 3);

        begin_chunk(w, CHUNK_EDITOR);
        put_u32_chunk(w, CHUNK_MESH_VERSION, 3);
        put_head_material(w);
        put_floats_chunk(w, CHUNK_MASTER_SCALE, {1.0f});
        put_head_mesh_object(w, EMBLEM_NAME, emblem);
        put_head_mesh_object(w, RIM_NAME, rim);
        end_chunk(w);

        // Neutral nodes: no pivot, no translation, no rotation, unit scale.
        begin_chunk(w, CHUNK_KEYFRAMER);
        put_keyframer_header(w, 5, SCENE_NAME, 101);
        put_segment(w, 0, 101);
        put_u32_chunk(w, CHUNK_KEYFRAMER_CURRENT_TIME, 0);
        put_still_object_node(w, 0, EMBLEM_NAME, {0, 0, 0});
        put_still_object_node(w, 1, RIM_NAME, {0, 0, 0});
        end_chunk(w);
    });
    return true;
}
