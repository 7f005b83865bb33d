// render_test_support.cpp - OSMesa context, pixel read-back, triangle counts
// and in-memory scenes for the renderer's tests.
// The query functions come straight from libOSMesa, which exports them.
#define GL_GLEXT_PROTOTYPES 1
#include "render_test_support.h"

#include <GL/glext.h>
#include <stdio.h>

bool open_offscreen_gl(OffscreenGl* gl, int width, int height)
{
    gl->context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (gl->context == nullptr) return false;
    gl->width = width;
    gl->height = height;
    gl->buffer.assign((size_t)width * (size_t)height * 4, 0);
    return OSMesaMakeCurrent(gl->context, gl->buffer.data(), GL_UNSIGNED_BYTE, width, height) == GL_TRUE;
}

void close_offscreen_gl(OffscreenGl* gl)
{
    if (gl->context != nullptr) {
        // OSMesa crashes destroying a context whose drawing is still queued.
        glFinish();
        OSMesaDestroyContext(gl->context);
    }
    gl->context = nullptr;
}

namespace {

void reset_render_globals()
{
    g_eye = {3.0f, 4.0f, 4.0f};
    g_center = {0.0f, 0.0f, 0.0f};
    g_up = {0.0f, 1.0f, 0.0f};
    g_scene = nullptr;
    g_drawn_mesh_count = 2;
    g_fog_mode_index = 2;
    g_look = LOOK_PLAIN;
    g_texture_folder[0] = '\0';
    g_monitor_views = MonitorViews{};
}

}  // namespace

void OffscreenGlTest::SetUp()
{
    reset_render_globals();
    ASSERT_TRUE(open_offscreen_gl(&gl, FRAME_SIZE, FRAME_SIZE)) << "no OSMesa context";
}

void OffscreenGlTest::TearDown()
{
    release_scene_list();  // while its context is current
    close_offscreen_gl(&gl);
    reset_render_globals();
}

void OffscreenGlTest::open_view()
{
    resize_gl_view(gl.width, gl.height);
    ASSERT_TRUE(init_gl_state());
}

std::vector<GLubyte> read_frame(const OffscreenGl* gl)
{
    std::vector<GLubyte> frame((size_t)gl->width * (size_t)gl->height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gl->width, gl->height, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

Rgba pixel_at(const OffscreenGl* gl, const std::vector<GLubyte>& frame, int x, int y)
{
    const GLubyte* p = &frame[((size_t)y * (size_t)gl->width + (size_t)x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

int lit_pixel_count(const std::vector<GLubyte>& frame)
{
    int count = 0;
    for (size_t i = 0; i + 3 < frame.size(); i += 4) {
        if (frame[i] != 0 || frame[i + 1] != 0 || frame[i + 2] != 0) ++count;
    }
    return count;
}

void write_bmp(const std::string& path, int width, int height,
               const std::function<std::array<uint8_t, 3>(int, int)>& colour)
{
    int row = (width * 3 + 3) / 4 * 4;
    uint32_t size = 54 + (uint32_t)(row * height);
    uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = (uint8_t)(v >> (8 * i));
    };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    header[26] = 1;
    header[28] = 24;
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(header, 1, sizeof header, file);
    std::vector<uint8_t> line((size_t)row, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::array<uint8_t, 3> rgb = colour(x, y);
            line[(size_t)x * 3] = rgb[2];  // stored blue, green, red
            line[(size_t)x * 3 + 1] = rgb[1];
            line[(size_t)x * 3 + 2] = rgb[0];
        }
        fwrite(line.data(), 1, line.size(), file);
    }
    fclose(file);
}

GLuint triangles_sent_by_draw_scene()
{
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_SUBMITTED_ARB, query);
    draw_scene();
    glEndQuery(GL_PRIMITIVES_SUBMITTED_ARB);
    GLuint count = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

TestScene make_test_scene(const std::vector<TestMesh>& meshes)
{
    TestScene t;
    // Each array is allocated once at its exact size.
    t.vertices.resize(meshes.size());
    t.faces.resize(meshes.size());
    t.meshes = std::vector<Mesh>(meshes.size(), Mesh{});
    for (size_t m = 0; m < meshes.size(); ++m) {
        std::vector<Vertex> vertices(meshes[m].positions.size(), Vertex{});
        for (size_t v = 0; v < vertices.size(); ++v) vertices[v].position = meshes[m].positions[v];
        std::vector<Face> faces(meshes[m].faces.size(), Face{});
        for (size_t f = 0; f < faces.size(); ++f) {
            for (int k = 0; k < 3; ++k) faces[f].vertex[k] = meshes[m].faces[f][(size_t)k];
        }
        t.vertices[m] = std::move(vertices);
        t.faces[m] = std::move(faces);
        Mesh& mesh = t.meshes[m];
        mesh.vertex_count = (uint16_t)t.vertices[m].size();
        mesh.face_count = (uint16_t)t.faces[m].size();
        mesh.vertices = t.vertices[m].empty() ? nullptr : t.vertices[m].data();
        mesh.faces = t.faces[m].empty() ? nullptr : t.faces[m].data();
    }
    t.scene.mesh_count = (int32_t)t.meshes.size();
    t.scene.meshes = t.meshes.empty() ? nullptr : t.meshes.data();
    return t;
}

TestMesh square_mesh(float x, float y, float z, float half, bool facing_away)
{
    TestMesh mesh;
    mesh.positions = {
        {x - half, y - half, z}, {x + half, y - half, z}, {x + half, y + half, z}, {x - half, y + half, z}};
    if (facing_away) {
        mesh.faces = {{0, 2, 1}, {0, 3, 2}};
    } else {
        mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    }
    return mesh;
}

TestMesh cube_mesh(float half)
{
    TestMesh mesh;
    // Corner i: x from bit 0, y from bit 1, z from bit 2.
    for (int i = 0; i < 8; ++i) {
        mesh.positions.push_back({(i & 1) ? half : -half, (i & 2) ? half : -half, (i & 4) ? half : -half});
    }
    mesh.faces = {
        {0, 2, 1}, {1, 2, 3},  // -z
        {4, 5, 6}, {5, 7, 6},  // +z
        {0, 4, 2}, {2, 4, 6},  // -x
        {1, 3, 5}, {3, 7, 5},  // +x
        {0, 1, 4}, {1, 5, 4},  // -y
        {2, 6, 3}, {3, 6, 7},  // +y
    };
    return mesh;
}
