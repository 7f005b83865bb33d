// scene_build.cpp - meshes appended to a Scene by the readers of other
// formats; see scene_build.h.
#include "scene_build.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

Mesh* append_mesh(Scene* scene, int32_t* capacity, const char* name, uint32_t max_faces, uint32_t max_vertices)
{
    if (scene->mesh_count == *capacity) {
        int32_t grown = *capacity ? 2 * *capacity : 4;
        Mesh* meshes = (Mesh*)realloc(scene->meshes, (size_t)grown * sizeof(Mesh));
        if (!meshes) return nullptr;
        scene->meshes = meshes;
        *capacity = grown;
    }
    Mesh* mesh = &scene->meshes[scene->mesh_count];
    memset(mesh, 0, sizeof *mesh);
    ++scene->mesh_count;
    mesh->faces = (Face*)calloc(max_faces, sizeof(Face));
    mesh->vertices = (Vertex*)calloc(max_vertices, sizeof(Vertex));
    if (!mesh->faces || !mesh->vertices) return nullptr;
    snprintf(mesh->name, sizeof mesh->name, "%s", name);
    mesh->local_matrix[0] = mesh->local_matrix[4] = mesh->local_matrix[8] = 1.0f;
    memcpy(mesh->object_matrix, mesh->local_matrix, sizeof mesh->local_matrix);
    return mesh;
}

void trim_mesh(Mesh* mesh)
{
    Face* faces = (Face*)realloc(mesh->faces, (size_t)mesh->face_count * sizeof(Face) + 1);
    if (faces) mesh->faces = faces;
    Vertex* vertices = (Vertex*)realloc(mesh->vertices, (size_t)mesh->vertex_count * sizeof(Vertex) + 1);
    if (vertices) mesh->vertices = vertices;
}
