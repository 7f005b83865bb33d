// bench_load_3ds.cpp - speed of load_3ds on memory images (load, then
// free_scene): every file of the 3DS corpus, and generated scenes of many
// small objects or of a few dense meshes. Where assimp and lib3ds were found
// at configure time they load the same bytes as well, in benchmarks named
// "<reader>/<case>", and a table at the end sets the readers side by side.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "load_3ds.h"

#ifdef HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif
#ifdef HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#endif

namespace {

enum ReaderId { OURS, LIB3DS, ASSIMP, READER_COUNT };
const char* const READER_NAMES[READER_COUNT] = {"ours", "lib3ds", "assimp"};

// The outcome of a benchmark's last run, the one Google Benchmark reports.
// Times are process CPU time, as Google Benchmark's own figures: the readers
// are single-threaded, and a busy machine then skews them least.
struct Measure {
    bool ran;
    bool failed;
    double seconds_per_load;
};

std::vector<BenchCase> g_cases;
std::vector<Measure> g_measures;  // READER_COUNT per case

// What a load yielded: meshes, and keyframer nodes that reached their
// object. meshes is -1 when the load failed, with the reason in the error.
struct LoadCounts {
    int meshes;
    int nodes;
};

LoadCounts load_ours(const BenchCase& c, std::string* error)
{
    char text[LOAD_3DS_ERROR_TEXT_SIZE];
    Scene* scene = load_3ds(text, c.bytes.data(), LOAD_3DS_MEMORY, (uint32_t)c.bytes.size());
    if (!scene) {
        *error = text;
        return LoadCounts{-1, 0};
    }
    LoadCounts counts = {scene->mesh_count, 0};
    for (int32_t i = 0; i < scene->mesh_count; ++i) counts.nodes += scene->meshes[i].pos_key_count > 0;
    free_scene(scene);
    return counts;
}

#ifdef HAVE_LIB3DS
// A Lib3dsIo over a memory image, seeking as fseek does.
struct MemoryStream {
    const uint8_t* data;
    long size;
    long position;
};

Lib3dsBool stream_error(void*) { return LIB3DS_FALSE; }

long stream_seek(void* self, long offset, Lib3dsIoSeek origin)
{
    MemoryStream* s = (MemoryStream*)self;
    long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? s->position : s->size;
    if (base + offset < 0) return -1;
    s->position = base + offset;
    return 0;
}

long stream_tell(void* self) { return ((MemoryStream*)self)->position; }

size_t stream_read(void* self, void* buffer, size_t size)
{
    MemoryStream* s = (MemoryStream*)self;
    size_t left = s->position < s->size ? (size_t)(s->size - s->position) : 0;
    size_t n = size < left ? size : left;
    memcpy(buffer, s->data + s->position, n);
    s->position += (long)n;
    return n;
}

size_t stream_write(void*, const void*, size_t) { return 0; }

int count_nodes(const Lib3dsNode* node)
{
    int count = 0;
    for (; node; node = node->next) count += 1 + count_nodes(node->childs);
    return count;
}

LoadCounts load_lib3ds(const BenchCase& c, std::string* error)
{
    MemoryStream stream = {c.bytes.data(), (long)c.bytes.size(), 0};
    Lib3dsIo* io = lib3ds_io_new(&stream, stream_error, stream_seek, stream_tell, stream_read, stream_write);
    Lib3dsFile* file = lib3ds_file_new();
    LoadCounts counts = {-1, 0};
    if (!io || !file) {
        *error = "lib3ds: out of memory";
    } else if (!lib3ds_file_read(file, io)) {
        *error = "lib3ds_file_read failed";
    } else {
        counts.meshes = 0;
        for (Lib3dsMesh* m = file->meshes; m; m = m->next) ++counts.meshes;
        counts.nodes = count_nodes(file->nodes);
    }
    if (file) lib3ds_file_free(file);
    if (io) lib3ds_io_free(io);
    return counts;
}
#endif

#ifdef HAVE_ASSIMP
// Made once: registering assimp's importers is not part of a load.
Assimp::Importer* g_importer;

// Nodes below the root that assimp makes.
int count_nodes(const aiNode* node)
{
    int count = (int)node->mNumChildren;
    for (unsigned i = 0; i < node->mNumChildren; ++i) count += count_nodes(node->mChildren[i]);
    return count;
}

LoadCounts load_assimp(const BenchCase& c, std::string* error)
{
    const aiScene* scene = g_importer->ReadFileFromMemory(c.bytes.data(), c.bytes.size(), 0, "3ds");
    if (!scene) {
        *error = std::string("assimp: ") + g_importer->GetErrorString();
        return LoadCounts{-1, 0};
    }
    LoadCounts counts = {(int)scene->mNumMeshes, scene->mRootNode ? count_nodes(scene->mRootNode) : 0};
    g_importer->FreeScene();
    return counts;
}
#endif

typedef LoadCounts (*Loader)(const BenchCase&, std::string*);

// The timed loop. Every load must succeed and, for a generated scene, yield
// one mesh and one keyframer node per object; a load that drops part of the
// scene is an error, not a fast run.
void run_loads(benchmark::State& state, size_t case_index, ReaderId reader, Loader load)
{
    const BenchCase& c = g_cases[case_index];
    Measure& measure = g_measures[case_index * READER_COUNT + reader];
    measure = Measure{true, false, 0.0};
    std::string error;
    clock_t start = clock();
    for (auto _ : state) {
        LoadCounts counts = load(c, &error);
        int expected = c.expected_objects;
        if (counts.meshes >= 0 && expected >= 0 && (counts.meshes != expected || counts.nodes != expected))
            error = std::to_string(counts.meshes) + " meshes and " + std::to_string(counts.nodes) +
                    " keyframer nodes read, " + std::to_string(expected) + " of each expected";
        if (counts.meshes < 0 || !error.empty()) {
            state.SkipWithError(error.c_str());
            measure.failed = true;
            return;
        }
    }
    double seconds = (double)(clock() - start) / CLOCKS_PER_SEC;
    measure.seconds_per_load = seconds / (double)state.iterations();
    state.SetBytesProcessed(state.iterations() * (int64_t)c.bytes.size());
}

void add_generated_cases()
{
    g_cases.push_back(BenchCase{"gen_10k_small_objects", make_small_objects_scene(10000), 10000});
    g_cases.push_back(BenchCase{"gen_20k_small_objects", make_small_objects_scene(20000), 20000});
    g_cases.push_back(BenchCase{"gen_40k_small_objects", make_small_objects_scene(40000), 40000});
    g_cases.push_back(BenchCase{"gen_200x10k_faces", make_dense_objects_scene(200, 10000), 200});
}

void register_benchmark(size_t case_index, ReaderId reader, Loader load)
{
    const BenchCase& c = g_cases[case_index];
    std::string name = std::string(READER_NAMES[reader]) + "/" + c.name;
    benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        run_loads(state, case_index, reader, load);
    })->Unit(c.expected_objects >= 0 ? benchmark::kMillisecond : benchmark::kMicrosecond);
}

// "12.3" MB/s (10^6 bytes), or why there is no figure.
std::string speed_text(const BenchCase& c, const Measure& m, bool built)
{
    if (!built) return "n/a";
    if (!m.ran) return "-";
    if (m.failed) return "FAILED";
    char text[32];
    snprintf(text, sizeof text, "%.1f", (double)c.bytes.size() / m.seconds_per_load / 1e6);
    return text;
}

std::string ratio_text(const Measure& ours, const Measure& peer)
{
    if (!ours.ran || ours.failed || !peer.ran || peer.failed) return "-";
    char text[32];
    snprintf(text, sizeof text, "%.2fx", peer.seconds_per_load / ours.seconds_per_load);
    return text;
}

void print_table()
{
    const bool built[READER_COUNT] = {
        true,
#ifdef HAVE_LIB3DS
        true,
#else
        false,
#endif
#ifdef HAVE_ASSIMP
        true,
#else
        false,
#endif
    };
    printf("\nMB/s = 10^6 bytes per second; a ratio is our speed over the other reader's (above 1: we are faster).\n");
    printf("%-36s %10s %12s %10s %10s %10s %11s %11s\n", "case", "bytes", "ours ms", "ours MB/s", "lib3ds", "assimp",
           "vs lib3ds", "vs assimp");
    for (size_t i = 0; i < g_cases.size(); ++i) {
        const BenchCase& c = g_cases[i];
        const Measure* m = &g_measures[i * READER_COUNT];
        if (!m[OURS].ran && !m[LIB3DS].ran && !m[ASSIMP].ran) continue;
        char ms[32] = "-";
        if (m[OURS].ran && !m[OURS].failed) snprintf(ms, sizeof ms, "%.4f", m[OURS].seconds_per_load * 1e3);
        printf("%-36s %10zu %12s %10s %10s %10s %11s %11s\n", c.name.c_str(), c.bytes.size(), ms,
               speed_text(c, m[OURS], true).c_str(), speed_text(c, m[LIB3DS], built[LIB3DS]).c_str(),
               speed_text(c, m[ASSIMP], built[ASSIMP]).c_str(), ratio_text(m[OURS], m[LIB3DS]).c_str(),
               ratio_text(m[OURS], m[ASSIMP]).c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    add_corpus_cases(SAVER_CORPUS_DIR, &g_cases);
    add_generated_cases();
    g_measures.assign(g_cases.size() * READER_COUNT, Measure{});
#ifdef HAVE_ASSIMP
    Assimp::Importer importer;
    g_importer = &importer;
#endif
    for (size_t i = 0; i < g_cases.size(); ++i) {
        register_benchmark(i, OURS, load_ours);
#ifdef HAVE_LIB3DS
        register_benchmark(i, LIB3DS, load_lib3ds);
#endif
#ifdef HAVE_ASSIMP
        register_benchmark(i, ASSIMP, load_assimp);
#endif
    }
    benchmark::RunSpecifiedBenchmarks();
    print_table();
    benchmark::Shutdown();
    return 0;
}
