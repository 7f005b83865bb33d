// head_model.h - the model that the saver carries, generated: a medal in
// thin relief (an eight-armed star inside a reeded rim). make_model writes
// it to resources/head.3ds; the tests regenerate it and compare.
#ifndef TOOLS_HEAD_MODEL_H
#define TOOLS_HEAD_MODEL_H

#include <stdint.h>

#include <vector>

// Replaces *out with the whole 3DS stream. The same bytes on every run and
// every build: all coordinates sit on a grid of 1/4096 and every angle goes
// through the generator's own sine and cosine. Returns false (with a line on
// stderr) when the geometry fails one of the generator's own checks (a face
// of zero area, a duplicate face, a count over 65535); *out is then empty.
bool write_head_model(std::vector<uint8_t>* out);

#endif
