// bench_load_win32.cpp - speed of load_3ds in the Windows build, as the
// saver ships it (MinGW, the C runtime's heap), run under Wine by
// scripts/bench.sh. A plain program, no Google Benchmark: it loads memory
// images of every .3ds file in a folder and of generated scenes of 10,000,
// 20,000 and 40,000 small objects, and prints MB/s per case and the time of
// 40,000 objects over that of 10,000, which is 4 when loading is linear.
//
// Usage: bench_load_win32 [CORPUS_FOLDER] [SECONDS_PER_CASE]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "load_3ds.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// One load and release; false (with the reason printed) when the load fails
// or a generated scene comes back short.
bool load_once(const BenchCase& c)
{
    char text[LOAD_3DS_ERROR_TEXT_SIZE];
    Scene* scene = load_3ds(text, c.bytes.data(), LOAD_3DS_MEMORY, (uint32_t)c.bytes.size());
    if (!scene) {
        printf("%-36s FAILED: %s\n", c.name.c_str(), text);
        return false;
    }
    bool whole = c.expected_objects < 0 || scene->mesh_count == c.expected_objects;
    if (!whole) printf("%-36s FAILED: %d meshes, %d expected\n", c.name.c_str(), scene->mesh_count, c.expected_objects);
    free_scene(scene);
    return whole;
}

// Processor time of this process (user and kernel), in seconds: on a busy
// machine it is skewed least by other programs. Wine takes it from the
// kernel's accounting, in clock ticks, so it is summed over many loads.
double process_seconds()
{
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return (double)(k.QuadPart + u.QuadPart) * 1e-7;
#else
    return (double)clock() / CLOCKS_PER_SEC;
#endif
}

struct Timing {
    bool loaded;
    double cpu_seconds;   // processor time per load, over all timed loads
    double wall_seconds;  // elapsed time of the fastest load
};

// At least five loads over about `budget` seconds of elapsed time, after
// one untimed load.
Timing time_loads(const BenchCase& c, double budget)
{
    typedef std::chrono::steady_clock Clock;
    if (!load_once(c)) return Timing{false, 0, 0};
    std::vector<double> times;
    Clock::time_point begin = Clock::now();
    double cpu_begin = process_seconds();
    while (times.size() < 5 || std::chrono::duration<double>(Clock::now() - begin).count() < budget) {
        Clock::time_point start = Clock::now();
        if (!load_once(c)) return Timing{false, 0, 0};
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (times.size() >= 100000) break;
    }
    double cpu = (process_seconds() - cpu_begin) / (double)times.size();
    return Timing{true, cpu, *std::min_element(times.begin(), times.end())};
}

}  // namespace

int main(int argc, char** argv)
{
    const char* corpus = argc > 1 ? argv[1] : nullptr;
    double budget = argc > 2 ? atof(argv[2]) : 1.0;
    if (budget <= 0) {
        fprintf(stderr, "usage: bench_load_win32 [CORPUS_FOLDER] [SECONDS_PER_CASE]\n");
        return 2;
    }
    std::vector<BenchCase> cases;
    add_corpus_cases(corpus, &cases);
    const int object_counts[] = {10000, 20000, 40000};
    for (int count : object_counts)
        cases.push_back(BenchCase{"gen_" + std::to_string(count / 1000) + "k_small_objects",
                                  make_small_objects_scene(count), count});

    printf(
        "MB/s = 10^6 bytes per second of processor time; cpu ms = processor time per load and\n"
        "release, averaged; best ms = elapsed time of the fastest load.\n");
    printf("%-36s %10s %12s %12s %10s\n", "case", "bytes", "cpu ms", "best ms", "MB/s");
    bool all_loaded = true;
    Timing small[3] = {};
    for (const BenchCase& c : cases) {
        Timing t = time_loads(c, budget);
        if (!t.loaded) {
            all_loaded = false;
            continue;
        }
        printf("%-36s %10zu %12.4f %12.4f %10.1f\n", c.name.c_str(), c.bytes.size(), t.cpu_seconds * 1e3,
               t.wall_seconds * 1e3, t.cpu_seconds > 0 ? (double)c.bytes.size() / t.cpu_seconds / 1e6 : 0.0);
        for (int i = 0; i < 3; ++i)
            if (c.expected_objects == object_counts[i]) small[i] = t;
        fflush(stdout);
    }
    if (small[0].loaded && small[2].loaded && small[0].cpu_seconds > 0)
        printf(
            "40k/10k small objects: %.2fx the processor time, %.2fx the fastest load's time, for 4x the objects "
            "(linear: 4)\n",
            small[2].cpu_seconds / small[0].cpu_seconds, small[2].wall_seconds / small[0].wall_seconds);
    return all_loaded ? 0 : 1;
}
