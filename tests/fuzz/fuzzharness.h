#ifndef FUZZHARNESS_H
#define FUZZHARNESS_H

#include <cstddef>
#include <cstdint>

// The fuzzing entry points, shared by the libFuzzer programs and by the
// regression test that replays every input that once broke them. Each returns
// 0; a broken rule aborts (so that the fuzzer keeps the input).

// The link's receiver: one board command through the RIB transport over an
// in-memory line that answers with the input bytes.
int fuzzAnswer(const uint8_t *data, size_t size);

// The ".obd" reader.
int fuzzObd(const uint8_t *data, size_t size);

#endif // FUZZHARNESS_H
