// bench_draw_scene.cpp - time of one frame of draw_scene, drawn off screen
// through Mesa's OSMesa (llvmpipe) with glFinish after every frame, at
// 800 x 600 and 1920 x 1080, and at 1 x 1, where rasterising costs next to
// nothing and the time is that of sending the triangles. Each scene is drawn
// as the saver draws it, from the display list compiled for it ("draw_scene"),
// and triangle by triangle without a list ("draw_scene_immediate"); the frame
// without a scene gives the fixed cost of a frame at 1 x 1. Scenes: the carried model (resources/head.3ds,
// loaded and turned to drawing axes as the saver does) when it is there, and
// always a generated two-mesh scene of 4,096 + 384 faces, the size of the
// model the saver is made for. The generated scene is drawn plain and, with
// two materials (one with a 64 x 64 texture image, one with highlights),
// every face in smoothing group 1 and map coordinates on every vertex, as
// its file says ("draw_scene_as_file"). The eye sways within the frame
// clock's range from frame to frame. Times are wall-clock: llvmpipe rasterises on threads
// of its own.
#include <benchmark/benchmark.h>
#include <math.h>
#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <GL/osmesa.h>
#include <string.h>

#include "load_3ds.h"
#include "render.h"

namespace {

// --- Generated scene: two tori of 4,096 and 384 faces ---

struct OwnedMesh {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
};

// A torus around the y axis: rings x segments quads, two faces each.
OwnedMesh make_torus(int rings, int segments, float major_radius, float minor_radius, float y_offset)
{
    const float pi = 3.14159265f;
    OwnedMesh mesh;
    for (int i = 0; i < rings; ++i) {
        float u = 2.0f * pi * (float)i / (float)rings;
        for (int j = 0; j < segments; ++j) {
            float v = 2.0f * pi * (float)j / (float)segments;
            float r = major_radius + minor_radius * cosf(v);
            Vertex vertex{};
            vertex.position = {r * cosf(u), minor_radius * sinf(v) + y_offset, r * sinf(u)};
            mesh.vertices.push_back(vertex);
        }
    }
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            uint16_t a = (uint16_t)(i * segments + j);
            uint16_t b = (uint16_t)(((i + 1) % rings) * segments + j);
            uint16_t c = (uint16_t)(((i + 1) % rings) * segments + (j + 1) % segments);
            uint16_t d = (uint16_t)(i * segments + (j + 1) % segments);
            Face f1{};
            f1.vertex[0] = a;
            f1.vertex[1] = b;
            f1.vertex[2] = c;
            Face f2{};
            f2.vertex[0] = a;
            f2.vertex[1] = c;
            f2.vertex[2] = d;
            mesh.faces.push_back(f1);
            mesh.faces.push_back(f2);
        }
    }
    return mesh;
}

struct GeneratedScene {
    OwnedMesh parts[2];
    Mesh meshes[2];
    Scene scene;
};

GeneratedScene g_generated;

void build_generated_scene()
{
    g_generated.parts[0] = make_torus(64, 32, 2.0f, 0.8f, 0.0f);  // 4,096 faces, 2,048 vertices
    g_generated.parts[1] = make_torus(16, 12, 0.9f, 0.3f, 1.2f);  // 384 faces, 192 vertices
    g_generated.scene = Scene{};
    for (int m = 0; m < 2; ++m) {
        g_generated.meshes[m] = Mesh{};
        g_generated.meshes[m].vertices = g_generated.parts[m].vertices.data();
        g_generated.meshes[m].faces = g_generated.parts[m].faces.data();
        g_generated.meshes[m].vertex_count = (uint16_t)g_generated.parts[m].vertices.size();
        g_generated.meshes[m].face_count = (uint16_t)g_generated.parts[m].faces.size();
    }
    g_generated.scene.mesh_count = 2;
    g_generated.scene.meshes = g_generated.meshes;
}

// --- The same scene as a file with materials, smoothing and a texture ---

GeneratedScene g_as_file;
Material g_materials[2];
std::vector<unsigned char> g_bmp;  // a 64 x 64 24-bit BMP of a checkerboard

void build_as_file_scene()
{
    g_as_file.parts[0] = g_generated.parts[0];
    g_as_file.parts[1] = g_generated.parts[1];
    g_as_file.scene = g_generated.scene;
    g_as_file.scene.meshes = g_as_file.meshes;
    for (int m = 0; m < 2; ++m) {
        OwnedMesh& part = g_as_file.parts[m];
        for (size_t v = 0; v < part.vertices.size(); ++v) {
            part.vertices[v].u = (float)(v % 32) / 8.0f;
            part.vertices[v].v = (float)(v / 32) / 8.0f;
        }
        for (Face& face : part.faces) {
            face.material = (uint16_t)m;
            face.smoothing = 1;
        }
        g_as_file.meshes[m] = g_generated.meshes[m];
        g_as_file.meshes[m].vertices = part.vertices.data();
        g_as_file.meshes[m].faces = part.faces.data();
    }
    for (int m = 0; m < 2; ++m) {
        g_materials[m] = Material{};
        for (int i = 0; i < 3; ++i) {
            g_materials[m].ambient[i] = g_materials[m].diffuse[i] = 0.3f + 0.3f * (float)(i + m);
            g_materials[m].specular[i] = 0.9f;
        }
        g_materials[m].shininess = 0.4f;
        g_materials[m].shininess_strength = 0.5f;
        g_materials[m].texture_scale[0] = g_materials[m].texture_scale[1] = 1.0f;
    }
    strcpy(g_materials[0].texture_file, "CHECKER.BMP");
    g_as_file.scene.materials = g_materials;
    g_as_file.scene.material_count = 2;

    const int side = 64;
    g_bmp.assign(54 + side * side * 3, 0);
    const uint32_t fields[][2] = {{2, (uint32_t)g_bmp.size()}, {10, 54}, {14, 40}, {18, side}, {22, side}};
    for (const auto& field : fields) memcpy(&g_bmp[field[0]], &field[1], 4);
    g_bmp[0] = 'B';
    g_bmp[1] = 'M';
    g_bmp[26] = 1;
    g_bmp[28] = 24;
    for (int i = 0; i < side * side; ++i) {
        bool light = ((i % side) / 8 + (i / side) / 8) % 2 == 0;
        memset(&g_bmp[54 + (size_t)i * 3], light ? 230 : 40, 3);
    }
}

// The texture opener: the BMP in memory, whatever the name.
FILE* open_bench_texture(const char*, const char*) { return fmemopen(g_bmp.data(), g_bmp.size(), "rb"); }

// --- The carried model ---

Scene* g_model;

Scene* load_model(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return nullptr;
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    char error[LOAD_3DS_ERROR_TEXT_SIZE] = "";
    Scene* scene = load_3ds(error, bytes.data(), LOAD_3DS_MEMORY, (uint32_t)bytes.size());
    if (scene == nullptr) {
        fprintf(stderr, "bench_draw_scene: %s: %s\n", path, error);
        return nullptr;
    }
    convert_scene_axes(scene);
    return scene;
}

int face_total(const Scene* scene)
{
    int total = 0;
    if (scene == nullptr) return 0;
    for (int m = 0; m < scene->mesh_count && m < 2; ++m) total += scene->meshes[m].face_count;
    return total;
}

// --- The benchmark ---

void bm_draw_scene(benchmark::State& state, Scene* scene, bool use_list, Look look)
{
    const int width = (int)state.range(0);
    const int height = (int)state.range(1);
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    std::vector<GLubyte> buffer((size_t)width * (size_t)height * 4);
    if (context == nullptr || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, width, height)) {
        state.SkipWithError("no OSMesa context");
        if (context != nullptr) OSMesaDestroyContext(context);
        return;
    }
    resize_gl_view(width, height);
    init_gl_state();
    g_scene = scene;
    g_look = look;
    if (use_list) compile_scene_list();

    double t = 0.0;
    for (auto _ : state) {
        // Within the frame clock's range: x and y in [-3, 3], z stays 4.
        g_eye.x = (float)(3.0 * sin(t));
        g_eye.y = (float)(3.0 * sin(0.7 * t));
        t += 0.05;
        draw_scene();
        glFinish();
    }
    state.counters["faces"] = face_total(scene);
    state.counters["frames_per_s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);

    release_scene_list();
    g_scene = nullptr;
    g_look = LOOK_PLAIN;
    g_eye = {3.0f, 4.0f, 4.0f};
    glFinish();
    OSMesaDestroyContext(context);
}

void register_for(const std::string& name, Scene* scene, Look look = LOOK_PLAIN)
{
    for (bool use_list : {true, false}) {
        std::string full = std::string(use_list ? "draw_scene" : "draw_scene_immediate") +
                           (look == LOOK_AS_FILE ? "_as_file/" : "/") + name;
        benchmark::RegisterBenchmark(full.c_str(), bm_draw_scene, scene, use_list, look)
            ->Args({800, 600})
            ->Args({1920, 1080})
            ->Args({1, 1})
            ->ArgNames({"w", "h"})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    build_generated_scene();
    // The frame without a scene at 1 x 1: what clearing, placing the camera
    // and finishing cost, to be taken off the other 1 x 1 times.
    benchmark::RegisterBenchmark("draw_scene/no_scene", bm_draw_scene, nullptr, false, LOOK_PLAIN)
        ->Args({1, 1})
        ->ArgNames({"w", "h"})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    register_for("generated_4096+384", &g_generated.scene);
    build_as_file_scene();
    g_open_texture_file = open_bench_texture;
    strcpy(g_texture_folder, "memory/");
    register_for("generated_4096+384", &g_as_file.scene, LOOK_AS_FILE);
    g_model = load_model(SAVER_MODEL_PATH);
    if (g_model != nullptr) {
        std::string name = "head.3ds_" + std::to_string(g_model->meshes[0].face_count) + "+" +
                           std::to_string(g_model->mesh_count > 1 ? g_model->meshes[1].face_count : 0);
        register_for(name, g_model);
    } else {
        fprintf(stderr, "bench_draw_scene: no model at %s; the generated scene only\n", SAVER_MODEL_PATH);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    free_scene(g_model);
    return 0;
}
