// The table link shared by the wavetable generator and the oscillator: the
// layout of the wave tables and of the directory whose address travels over
// the integer "QV_Osc_Link_1k512" pin. Both libraries live in one host
// process, so a 32-bit pin value is enough to carry the directory address.
#pragma once

#include <cstdint>

// One cycle is 1024 samples; entry 1024 repeats entry 0 so that a reader can
// interpolate between j and j + 1 for every j in 0..1023. Each table is padded
// to 1028 floats.
constexpr int32_t TABLE_CYCLE = 1024;
constexpr int32_t TABLE_MASK = TABLE_CYCLE - 1;
constexpr int32_t TABLE_STRIDE = 1028;
constexpr int32_t TABLE_HARMONICS = 512;
constexpr int32_t DIRECTORY_ENTRIES = 256;
// Plain waveforms sit at directory entries 1..10; entries 11..20 repeat them
// for the pulse variants.
constexpr int32_t HARMONIC_SET_COUNT = 10;

struct SineTable {
  float value[TABLE_STRIDE];
};
static_assert(sizeof(SineTable) == 4112);

// Sub-table h (0..511) holds harmonics 1..h+1.
struct HarmonicTableSet {
  float value[TABLE_HARMONICS * TABLE_STRIDE];

  const float* SubTable(int32_t harmonics) const { return value + (harmonics - 1) * TABLE_STRIDE; }
};
static_assert(sizeof(HarmonicTableSet) == 2105344);

struct TableDirectory {
  const float* entry[DIRECTORY_ENTRIES];  // null: no table for that waveform
};
static_assert(sizeof(TableDirectory) == 1024, "32-bit table addresses");

// 0 means that no tables are available.
inline const TableDirectory* DirectoryFromLink(int32_t link) {
  return reinterpret_cast<const TableDirectory*>(static_cast<intptr_t>(link));
}

inline int32_t LinkFromDirectory(const TableDirectory* directory) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(directory));
}
