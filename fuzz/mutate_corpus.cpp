// mutate_corpus.cpp - a deterministic mutation run over the 3DS reader.
//
// Takes the real 3DS files (by default the shared corpus folder) and the
// generated seeds as bases, makes COUNT mutated copies of them, loads each
// copy with both byte sources and checks the outcome (see load_check.h).
// Copy i is made from base i mod (number of bases) with a generator seeded
// from (SEED, i) alone, so any single copy can be remade with -i.
//
// Most mutations know the chunk layout: they set a chunk's length to 0..5,
// to the bare header, to huge values or to values that end past the parent
// or the image, nudge it, change record counts and chunk ids, repeat,
// delete or cut into chunks. The rest are blind: bit flips, byte sets,
// truncation, insertion and deletion of bytes.
//
// Prints how many copies loaded and how many were rejected, with a
// histogram of the error texts (numbers shown as N, names in brackets as
// [name]). A copy that runs longer than the time guard aborts the run with
// its index. Exits 0 when every check held, 1 on any problem, 2 on a usage
// error.
//
// Usage: mutate_corpus [-s SEED] [-n COUNT] [-t SECONDS] [-i INDEX [-o FILE]] [PATH...]
//   PATH    a 3DS file, or a folder whose *.3ds files are taken (default:
//           the shared corpus folder; an absent folder is skipped)
//   -s      generator seed (default 1)
//   -n      number of copies (default 20000)
//   -t      time guard per copy in seconds (default 10)
//   -i      make and load only copy INDEX (of the same SEED)
//   -o      with -i: also write that copy's bytes to FILE
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "chunk_ids.h"
#include "fuzz_seeds.h"
#include "load_check.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define MUTATE_HAS_LSAN 1
#endif
#endif

#ifndef SAVER_CORPUS_DIR
#define SAVER_CORPUS_DIR "../shared/corpus/3ds"
#endif

// --- Deterministic generator (splitmix64) ---

struct Rng {
    uint64_t state;
};

static uint64_t next_u64(Rng* rng)
{
    uint64_t z = (rng->state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A value in [0, n); 0 when n is 0.
static uint32_t below(Rng* rng, uint32_t n) { return n ? (uint32_t)(next_u64(rng) % n) : 0; }

// A value in [lo, hi].
static uint32_t between(Rng* rng, uint32_t lo, uint32_t hi) { return lo + below(rng, hi - lo + 1); }

static Rng copy_rng(uint64_t seed, uint32_t index)
{
    Rng rng{seed};
    uint64_t mixed = next_u64(&rng) ^ ((uint64_t)index * 0xD1B54A32D192ED03ull);
    return Rng{mixed};
}

// --- Little-endian fields of the image being mutated ---

static uint16_t get_u16(const std::vector<uint8_t>& b, size_t at) { return (uint16_t)(b[at] | (b[at + 1] << 8)); }

static uint32_t get_u32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t)b[at] | ((uint32_t)b[at + 1] << 8) | ((uint32_t)b[at + 2] << 16) | ((uint32_t)b[at + 3] << 24);
}

static void set_u16(std::vector<uint8_t>* b, size_t at, uint16_t value)
{
    (*b)[at] = (uint8_t)value;
    (*b)[at + 1] = (uint8_t)(value >> 8);
}

static void set_u32(std::vector<uint8_t>* b, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) (*b)[at + i] = (uint8_t)(value >> (8 * i));
}

// --- Chunk map of an image ---

static const uint32_t NO_COUNT = UINT32_MAX;
static const size_t MAX_MAPPED_CHUNKS = 1 << 20;
static const int MAX_DEPTH = 10;

struct ChunkInfo {
    uint32_t start;       // header offset
    uint32_t length;      // as stored
    uint64_t parent_end;  // the end the parent claims (the image size at top level)
    int32_t parent;       // index of the parent in the map, -1 at top level
    uint32_t count_at;    // offset of a 16-bit record count, or NO_COUNT
    uint16_t id;
};

// Offset of the NUL ending the string at `at`, or the image size.
static size_t string_end(const std::vector<uint8_t>& b, size_t at, size_t end)
{
    while (at < end && b[at] != 0) ++at;
    return at;
}

// Where a container's children start, relative to its body, or -1 for a
// chunk whose body the reader does not walk as children.
static int64_t children_offset(const std::vector<uint8_t>& b, uint16_t id, size_t body, size_t end)
{
    switch (id) {
    case CHUNK_MAIN:
    case CHUNK_EDITOR:
    case CHUNK_TRIANGLE_MESH:
    case CHUNK_MATERIAL:
    case CHUNK_KEYFRAMER:
    case CHUNK_OBJECT_NODE:
    case CHUNK_CAMERA_NODE:
    case CHUNK_TARGET_NODE:
    case CHUNK_LIGHT_NODE:
    case CHUNK_LIGHT_TARGET_NODE:
    case CHUNK_SPOTLIGHT_NODE:
        return 0;
    case CHUNK_NAMED_OBJECT: {
        size_t nul = string_end(b, body, end);
        return nul < end ? (int64_t)(nul + 1 - body) : -1;
    }
    case CHUNK_LIGHT:
        return 12;
    case CHUNK_FACE_LIST:
        return body + 2 <= end ? 2 + 8 * (int64_t)get_u16(b, body) : -1;
    }
    return -1;
}

// Offset of the chunk's 16-bit record count, or NO_COUNT.
static uint32_t count_offset(const std::vector<uint8_t>& b, uint16_t id, size_t body, size_t end)
{
    size_t at = SIZE_MAX;
    switch (id) {
    case CHUNK_VERTEX_LIST:
    case CHUNK_FACE_LIST:
    case CHUNK_MAP_COORDS:
        at = body;
        break;
    case CHUNK_FACE_MATERIAL_GROUP:
        at = string_end(b, body, end) + 1;
        break;
    case CHUNK_POSITION_TRACK:
    case CHUNK_ROTATION_TRACK:
    case CHUNK_SCALE_TRACK:
    case CHUNK_FOV_TRACK:
    case CHUNK_ROLL_TRACK:
    case CHUNK_COLOR_TRACK:
    case CHUNK_MORPH_TRACK:
    case CHUNK_HOTSPOT_TRACK:
    case CHUNK_FALLOFF_TRACK:
    case CHUNK_HIDE_TRACK:
        at = body + 10;
        break;
    }
    return at != SIZE_MAX && at + 2 <= end ? (uint32_t)at : NO_COUNT;
}

static void map_level(const std::vector<uint8_t>& b, size_t from, uint64_t end, int32_t parent, int depth,
                      std::vector<ChunkInfo>* map)
{
    size_t size = b.size();
    uint64_t limit = std::min<uint64_t>(end, size);
    uint64_t pos = from;
    while (pos + 6 <= limit && map->size() < MAX_MAPPED_CHUNKS) {
        ChunkInfo info{(uint32_t)pos, get_u32(b, pos + 2), end, parent, NO_COUNT, get_u16(b, pos)};
        uint64_t chunk_end = pos + info.length;
        size_t body_end = (size_t)std::min<uint64_t>(chunk_end, size);
        info.count_at = count_offset(b, info.id, pos + 6, body_end);
        int32_t index = (int32_t)map->size();
        map->push_back(info);
        if (info.length < 6) break;
        int64_t offset = depth < MAX_DEPTH ? children_offset(b, info.id, pos + 6, body_end) : -1;
        if (offset >= 0) map_level(b, pos + 6 + (size_t)offset, chunk_end, index, depth + 1, map);
        pos = chunk_end;
    }
}

static std::vector<ChunkInfo> map_chunks(const std::vector<uint8_t>& b)
{
    std::vector<ChunkInfo> map;
    map_level(b, 0, b.size(), -1, 0, &map);
    return map;
}

// Adds delta to the stored length of every ancestor of chunk `index`.
static void adjust_ancestors(std::vector<uint8_t>* b, const std::vector<ChunkInfo>& map, int32_t index, int64_t delta)
{
    for (int32_t a = map[index].parent; a >= 0; a = map[a].parent)
        set_u32(b, map[a].start + 2, (uint32_t)(get_u32(*b, map[a].start + 2) + (uint32_t)delta));
}

// --- Mutations ---

enum MutationKind {
    FLIP_BITS,
    SET_BYTES,
    TRUNCATE,
    INSERT_BYTES,
    DELETE_BYTES,
    LENGTH_0_TO_5,
    LENGTH_HEADER_ONLY,
    LENGTH_HUGE,
    LENGTH_PAST_PARENT,
    LENGTH_NUDGE,
    RECORD_COUNT,
    CHUNK_ID,
    REPEAT_CHUNK,
    DELETE_CHUNK,
    CUT_IN_CHUNK,
    MUTATION_KIND_COUNT
};

// clang-format off
static const char* const KIND_NAMES[MUTATION_KIND_COUNT] = {
    "flip bits",          "set bytes",   "truncate",    "insert bytes", "delete bytes",
    "length 0..5",        "length 6",    "length huge", "length past parent/image", "length nudge",
    "record count",       "chunk id",    "repeat chunk", "delete chunk", "cut inside chunk",
};
// clang-format on

// Relative frequencies: chunk-aware mutations take about three quarters.
static const uint32_t KIND_WEIGHTS[MUTATION_KIND_COUNT] = {6, 6, 3, 4, 4, 8, 4, 8, 8, 6, 10, 5, 8, 5, 6};

static MutationKind pick_kind(Rng* rng)
{
    uint32_t total = 0;
    for (uint32_t w : KIND_WEIGHTS) total += w;
    uint32_t r = below(rng, total);
    for (int k = 0; k < MUTATION_KIND_COUNT; ++k) {
        if (r < KIND_WEIGHTS[k]) return (MutationKind)k;
        r -= KIND_WEIGHTS[k];
    }
    return FLIP_BITS;
}

// clang-format off
static const uint16_t KNOWN_IDS[] = {
    CHUNK_MAIN, CHUNK_EDITOR, CHUNK_NAMED_OBJECT, CHUNK_TRIANGLE_MESH, CHUNK_VERTEX_LIST, CHUNK_FACE_LIST,
    CHUNK_FACE_MATERIAL_GROUP, CHUNK_MAP_COORDS, CHUNK_SMOOTHING_GROUPS, CHUNK_LOCAL_MATRIX, CHUNK_MESH_COLOR,
    CHUNK_MESH_TEXTURE_INFO, CHUNK_LIGHT, CHUNK_COLOR_FLOAT, CHUNK_CAMERA, CHUNK_MATERIAL, CHUNK_MATERIAL_NAME,
    CHUNK_KEYFRAMER, CHUNK_OBJECT_NODE, CHUNK_CAMERA_NODE, CHUNK_TARGET_NODE, CHUNK_LIGHT_NODE,
    CHUNK_KEYFRAMER_SEGMENT, CHUNK_NODE_HEADER, CHUNK_PIVOT, CHUNK_POSITION_TRACK, CHUNK_ROTATION_TRACK,
    CHUNK_SCALE_TRACK, CHUNK_FOV_TRACK, CHUNK_ROLL_TRACK, CHUNK_MORPH_TRACK, CHUNK_HIDE_TRACK, CHUNK_NODE_ID,
    CHUNK_FILE_VERSION, CHUNK_MESH_VERSION, 0, UINT16_MAX,  // and the two extremes
};
// clang-format on

static uint8_t interesting_byte(Rng* rng)
{
    static const uint8_t values[] = {0x00, 0x01, 0x05, 0x06, 0x7F, 0x80, 0xFE, 0xFF};
    return below(rng, 2) ? values[below(rng, sizeof values)] : (uint8_t)next_u64(rng);
}

// Applies one blind mutation.
static void mutate_blind(Rng* rng, MutationKind kind, std::vector<uint8_t>* b)
{
    uint32_t size = (uint32_t)b->size();
    switch (kind) {
    case FLIP_BITS:
        if (size == 0) break;
        for (uint32_t n = between(rng, 1, 8); n > 0; --n) (*b)[below(rng, size)] ^= (uint8_t)(1u << below(rng, 8));
        break;
    case SET_BYTES:
        if (size == 0) break;
        for (uint32_t n = between(rng, 1, 8); n > 0; --n) (*b)[below(rng, size)] = interesting_byte(rng);
        break;
    case TRUNCATE:
        b->resize(below(rng, size + 1));
        break;
    case INSERT_BYTES: {
        uint32_t at = below(rng, size + 1);
        uint32_t n = between(rng, 1, 32);
        std::vector<uint8_t> bytes(n, interesting_byte(rng));
        if (below(rng, 2))
            for (uint8_t& byte : bytes) byte = (uint8_t)next_u64(rng);
        b->insert(b->begin() + at, bytes.begin(), bytes.end());
        break;
    }
    case DELETE_BYTES: {
        if (size == 0) break;
        uint32_t at = below(rng, size);
        uint32_t n = std::min(between(rng, 1, 64), size - at);
        b->erase(b->begin() + at, b->begin() + at + n);
        break;
    }
    default:
        break;
    }
}

// Largest image a repeat may grow a copy to.
static const size_t MAX_COPY_SIZE = 4u << 20;

// Applies one chunk-aware mutation; falls back to a blind one when the
// image has no chunk that fits. Returns the kind applied.
static MutationKind mutate(Rng* rng, MutationKind kind, std::vector<uint8_t>* b)
{
    if (kind <= DELETE_BYTES) {
        mutate_blind(rng, kind, b);
        return kind;
    }
    std::vector<ChunkInfo> map = map_chunks(*b);
    if (map.empty()) {
        mutate_blind(rng, FLIP_BITS, b);
        return FLIP_BITS;
    }
    int32_t index = (int32_t)below(rng, (uint32_t)map.size());
    if (kind == RECORD_COUNT) {
        std::vector<int32_t> counted;
        for (size_t i = 0; i < map.size(); ++i)
            if (map[i].count_at != NO_COUNT) counted.push_back((int32_t)i);
        if (counted.empty()) {
            mutate_blind(rng, SET_BYTES, b);
            return SET_BYTES;
        }
        index = counted[below(rng, (uint32_t)counted.size())];
    }
    const ChunkInfo c = map[index];
    const uint32_t size = (uint32_t)b->size();
    const uint32_t length_at = c.start + 2;
    switch (kind) {
    case LENGTH_0_TO_5:
        set_u32(b, length_at, below(rng, 6));
        break;
    case LENGTH_HEADER_ONLY:
        set_u32(b, length_at, 6);
        break;
    case LENGTH_HUGE: {
        const uint32_t values[] = {
            0xFFFFFFFFu,
            0xFFFFFFFEu,
            0x80000000u,
            0x7FFFFFFFu,
            0x80000000u - c.start,      // ends at 2^31, just past what a long holds on 32-bit builds
            0xFFFFFFFFu - c.start,      // ends at 2^32 - 1
            0xFFFFFFFFu - c.start + 1,  // ends at 2^32: wraps to the chunk's own start
            0xFFFFFFFFu - c.start + 6,  // wraps to just past the header
            0x00010000u + below(rng, 0x10000000u),
        };
        set_u32(b, length_at, values[below(rng, sizeof values / sizeof values[0])]);
        break;
    }
    case LENGTH_PAST_PARENT: {
        uint64_t target = below(rng, 2) ? c.parent_end : (uint64_t)size;
        uint64_t length = target - c.start + between(rng, 1, 16);
        set_u32(b, length_at, (uint32_t)length);
        break;
    }
    case LENGTH_NUDGE: {
        int32_t delta = (int32_t)between(rng, 1, 8) * (below(rng, 2) ? 1 : -1);
        set_u32(b, length_at, c.length + (uint32_t)delta);
        break;
    }
    case RECORD_COUNT: {
        uint16_t count = get_u16(*b, c.count_at);
        const uint16_t values[] = {
            0,      1,      (uint16_t)(count - 1),  (uint16_t)(count + 1), (uint16_t)(count * 2), 0x7FFF,
            0x8000, 0xFFFF, (uint16_t)next_u64(rng)};
        set_u16(b, c.count_at, values[below(rng, sizeof values / sizeof values[0])]);
        break;
    }
    case CHUNK_ID:
        set_u16(b, c.start, KNOWN_IDS[below(rng, sizeof KNOWN_IDS / sizeof KNOWN_IDS[0])]);
        break;
    case REPEAT_CHUNK: {
        uint64_t end = std::min<uint64_t>((uint64_t)c.start + c.length, size);
        if (c.length < 6 || end <= c.start) {
            set_u32(b, length_at, 6);
            break;
        }
        std::vector<uint8_t> chunk(b->begin() + c.start, b->begin() + (size_t)end);
        uint32_t r = below(rng, 10);
        uint32_t times = r < 5 ? 1 : (r < 8 ? between(rng, 2, 8) : between(rng, 9, 300));
        while (times > 1 && size + (uint64_t)times * chunk.size() > MAX_COPY_SIZE) times /= 2;
        if (size + chunk.size() > MAX_COPY_SIZE) break;
        std::vector<uint8_t> repeated;
        repeated.reserve(times * chunk.size());
        for (uint32_t t = 0; t < times; ++t) repeated.insert(repeated.end(), chunk.begin(), chunk.end());
        if (below(rng, 4)) adjust_ancestors(b, map, index, (int64_t)repeated.size());
        b->insert(b->begin() + (size_t)end, repeated.begin(), repeated.end());
        break;
    }
    case DELETE_CHUNK: {
        uint64_t end = std::min<uint64_t>((uint64_t)c.start + std::max<uint32_t>(c.length, 6), size);
        if (below(rng, 4)) adjust_ancestors(b, map, index, -(int64_t)(end - c.start));
        b->erase(b->begin() + c.start, b->begin() + (size_t)end);
        break;
    }
    case CUT_IN_CHUNK: {
        uint64_t end = std::min<uint64_t>((uint64_t)c.start + c.length, size);
        b->resize(c.start + below(rng, (uint32_t)(end - c.start) + 1));
        break;
    }
    default:
        break;
    }
    return kind;
}

// Makes copy `index` of `base`; sets a bit per kind applied in *kinds.
static std::vector<uint8_t> make_copy(uint64_t seed, uint32_t index, const std::vector<uint8_t>& base, uint32_t* kinds)
{
    Rng rng = copy_rng(seed, index);
    std::vector<uint8_t> bytes = base;
    uint32_t r = below(&rng, 100);
    uint32_t rounds = r < 60 ? 1 : (r < 85 ? 2 : between(&rng, 3, 4));
    *kinds = 0;
    for (uint32_t i = 0; i < rounds; ++i) *kinds |= 1u << mutate(&rng, pick_kind(&rng), &bytes);
    return bytes;
}

// --- Bases ---

struct Base {
    std::string name;
    std::vector<uint8_t> bytes;
};

static bool read_file(const std::string& path, std::vector<uint8_t>* bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes->clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

static bool has_3ds_extension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    for (char& ch : ext) ch = (char)tolower((unsigned char)ch);
    return ext == ".3ds";
}

// Adds the file, or the folder's *.3ds files in name order. An absent
// folder is skipped; an unreadable file is an error.
static bool add_bases(const std::string& path, std::vector<Base>* bases)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        std::vector<std::string> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, ec))
            if (entry.is_regular_file() && has_3ds_extension(entry.path())) files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            Base base{fs::path(file).filename().string(), {}};
            if (!read_file(file, &base.bytes)) {
                fprintf(stderr, "mutate_corpus: cannot read %s\n", file.c_str());
                return false;
            }
            bases->push_back(std::move(base));
        }
        printf("corpus folder %s: %zu files\n", path.c_str(), files.size());
        return true;
    }
    if (!fs::exists(path, ec)) {
        printf("corpus folder %s: absent, skipped\n", path.c_str());
        return true;
    }
    Base base{fs::path(path).filename().string(), {}};
    if (!read_file(path, &base.bytes)) {
        fprintf(stderr, "mutate_corpus: cannot read %s\n", path.c_str());
        return false;
    }
    bases->push_back(std::move(base));
    return true;
}

// --- Time guard ---

static char g_guard_text[512];
static size_t g_guard_length;

static void on_alarm(int)
{
    ssize_t written = write(2, g_guard_text, g_guard_length);
    (void)written;
    abort();
}

// --- Tallies ---

// The error text with numbers as N and bracketed names as [name].
static std::string normalise_text(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            const char* q = p;
            while (q[1] >= '0' && q[1] <= '9') ++q;
            bool in_word = (q[1] >= 'a' && q[1] <= 'z') || (q[1] >= 'A' && q[1] <= 'Z');
            if (in_word)
                out.append(p, (size_t)(q - p + 1));  // "3ds" stays
            else
                out += 'N';
            p = q;
        } else if (*p == '[') {
            const char* close = strchr(p, ']');
            if (!close) close = p + strlen(p) - 1;
            out += "[name]";
            p = close;
        } else {
            out += *p;
        }
    }
    return out;
}

struct Tally {
    uint32_t loaded = 0;
    uint32_t rejected = 0;
    uint32_t problems = 0;
    std::map<std::string, uint32_t> texts;  // "memory: ..." / "file: ..."
    uint32_t kind_used[MUTATION_KIND_COUNT] = {};
    uint32_t kind_loaded[MUTATION_KIND_COUNT] = {};
    size_t largest_copy = 0;
};

static void report_problem(Tally* tally, const char* what)
{
    ++tally->problems;
    if (tally->problems <= 50) fprintf(stderr, "PROBLEM %s\n", what);
}

static bool parse_u64(const char* text, uint64_t* value)
{
    char* end;
    errno = 0;
    unsigned long long v = strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-') return false;
    *value = v;
    return true;
}

static int usage()
{
    fprintf(stderr, "usage: mutate_corpus [-s SEED] [-n COUNT] [-t SECONDS] [-i INDEX [-o FILE]] [PATH...]\n");
    return 2;
}

int main(int argc, char** argv)
{
    uint64_t seed = 1, count = 20000, seconds = 10, only = UINT64_MAX;
    const char* out_path = nullptr;
    std::vector<std::string> paths;
    for (int a = 1; a < argc; ++a) {
        std::string arg = argv[a];
        if (arg == "-s" || arg == "-n" || arg == "-t" || arg == "-i" || arg == "-o") {
            if (a + 1 >= argc) return usage();
            const char* value = argv[++a];
            bool ok = true;
            if (arg == "-s")
                ok = parse_u64(value, &seed);
            else if (arg == "-n")
                ok = parse_u64(value, &count) && count <= UINT32_MAX;
            else if (arg == "-t")
                ok = parse_u64(value, &seconds) && seconds > 0 && seconds < 100000;
            else if (arg == "-i")
                ok = parse_u64(value, &only) && only < UINT32_MAX;
            else
                out_path = value;
            if (!ok) return usage();
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else {
            paths.push_back(arg);
        }
    }
    if (out_path && only == UINT64_MAX) return usage();
    if (paths.empty()) paths.push_back(SAVER_CORPUS_DIR);

    std::vector<Base> bases;
    for (const std::string& path : paths)
        if (!add_bases(path, &bases)) return 2;
    size_t file_bases = bases.size();
    for (FuzzSeed& seed_stream : make_fuzz_seeds()) bases.push_back({seed_stream.name, std::move(seed_stream.bytes)});
    printf("bases: %zu files, %zu generated seeds\n", file_bases, bases.size() - file_bases);

    signal(SIGALRM, on_alarm);
    Tally tally;
    char line[600];

    // The bases as they are, first.
    uint32_t bases_loaded = 0;
    for (const Base& base : bases) {
        g_guard_length =
            (size_t)snprintf(g_guard_text, sizeof g_guard_text, "TIMEOUT: base %s ran longer than %llu s\n",
                             base.name.c_str(), (unsigned long long)seconds);
        alarm((unsigned)seconds);
        LoadReport report;
        bool ok = check_load(base.bytes.data(), base.bytes.size(), &report);
        alarm(0);
        if (!ok) {
            snprintf(line, sizeof line, "base %s: %s", base.name.c_str(), report.problem);
            report_problem(&tally, line);
        } else if (report.loaded) {
            ++bases_loaded;
        } else {
            printf("  base %s is rejected as it is: %s\n", base.name.c_str(), report.memory_error);
        }
    }
    printf("unmutated bases: %u loaded, %zu rejected\n", bases_loaded, bases.size() - bases_loaded);

    uint32_t first = 0, last = (uint32_t)count;
    if (only != UINT64_MAX) {
        first = (uint32_t)only;
        last = first + 1;
    }
    bool leak_seen = false;
    uint32_t leak_checked_to = first;
    for (uint32_t i = first; i < last; ++i) {
        const Base& base = bases[i % bases.size()];
        uint32_t kinds;
        std::vector<uint8_t> copy = make_copy(seed, i, base.bytes, &kinds);
        tally.largest_copy = std::max(tally.largest_copy, copy.size());
        if (out_path) {
            FILE* file = fopen(out_path, "wb");
            bool written = file && fwrite(copy.data(), 1, copy.size(), file) == copy.size();
            if (file && fclose(file) != 0) written = false;
            if (!written) {
                fprintf(stderr, "mutate_corpus: cannot write %s\n", out_path);
                return 2;
            }
            printf("copy %u (of %s, %zu bytes) written to %s\n", i, base.name.c_str(), copy.size(), out_path);
        }

        g_guard_length = (size_t)snprintf(g_guard_text, sizeof g_guard_text,
                                          "TIMEOUT: copy %u (of %s, seed %llu) ran longer than %llu s; "
                                          "remake it with -s %llu -i %u -o FILE\n",
                                          i, base.name.c_str(), (unsigned long long)seed, (unsigned long long)seconds,
                                          (unsigned long long)seed, i);
        alarm((unsigned)seconds);
        LoadReport report;
        bool ok = check_load(copy.data(), copy.size(), &report);
        alarm(0);

        if (!ok) {
            snprintf(line, sizeof line, "copy %u (of %s, seed %llu): %s", i, base.name.c_str(),
                     (unsigned long long)seed, report.problem);
            report_problem(&tally, line);
            continue;
        }
        for (int k = 0; k < MUTATION_KIND_COUNT; ++k) {
            if (kinds & (1u << k)) {
                ++tally.kind_used[k];
                if (report.loaded) ++tally.kind_loaded[k];
            }
        }
        if (report.loaded) {
            ++tally.loaded;
        } else {
            ++tally.rejected;
            ++tally.texts["memory: " + normalise_text(report.memory_error)];
            ++tally.texts["file:   " + normalise_text(report.file_error)];
        }
#ifdef MUTATE_HAS_LSAN
        if (!leak_seen && (i + 1 - leak_checked_to >= 1000 || i + 1 == last)) {
            if (__lsan_do_recoverable_leak_check() != 0) {
                leak_seen = true;
                snprintf(line, sizeof line, "leak among copies %u..%u (seed %llu); remake them one by one with -i",
                         leak_checked_to, i, (unsigned long long)seed);
                report_problem(&tally, line);
            }
            leak_checked_to = i + 1;
        }
#endif
    }
    (void)leak_seen;
    (void)leak_checked_to;

    printf("\ncopies: %u (seed %llu), loaded: %u, rejected: %u, problems: %u, largest copy: %zu bytes\n", last - first,
           (unsigned long long)seed, tally.loaded, tally.rejected, tally.problems, tally.largest_copy);

    printf("\nmutation kinds (copies using it / of those loaded):\n");
    for (int k = 0; k < MUTATION_KIND_COUNT; ++k)
        printf("  %-26s %7u %7u\n", KIND_NAMES[k], tally.kind_used[k], tally.kind_loaded[k]);

    std::vector<std::pair<std::string, uint32_t>> texts(tally.texts.begin(), tally.texts.end());
    std::stable_sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    printf("\nerror texts of rejected copies:\n");
    for (const auto& entry : texts) printf("  %7u  %s\n", entry.second, entry.first.c_str());

    if (tally.problems > 0) {
        printf("\nFAILED: %u problems\n", tally.problems);
        return 1;
    }
    printf("\nOK\n");
    return 0;
}
