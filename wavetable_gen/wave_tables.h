// The process-wide wave tables: a sine and ten harmonic table sets, built
// additively from spectra, and the directory the link publishes.
#pragma once

#include <cstdint>

#include "table_link.h"

// Spectrum numbers, as directory entries.
enum : int32_t {
  SPECTRUM_SAW = 1,
  SPECTRUM_RAMP,
  SPECTRUM_SOFT_RAMP,
  SPECTRUM_PEAK_RAMP,
  SPECTRUM_SQUARE,
  SPECTRUM_TRIANGLE,
  SPECTRUM_PEAK,
  SPECTRUM_OCTAVA,
  SPECTRUM_CLUSTER1,
  SPECTRUM_CLUSTER2,
};

// Amplitude of harmonic n at amplitudes[n - 1], for n = 1..512.
void FillSpectrum(int32_t spectrum, float* amplitudes);

// Fades harmonics 449..512 linearly and scales the spectrum so that the sum
// of |a(n)| / n is 1; returns that sum as it was before scaling.
double FadeAndNormalise(float* amplitudes);

void BuildSineTable(SineTable* sine);

// Writes sub-tables 0..511 of one set from a prepared spectrum.
void SynthesiseSet(const float* amplitudes, const SineTable& sine, HarmonicTableSet* set);

// Builds every table and the directory into the process-wide storage,
// unconditionally. `amplitudes` is 512 floats of scratch.
void BuildWaveTables(float* amplitudes);

// Builds the tables on the first call of the process; later calls only return
// the directory.
const TableDirectory* EnsureWaveTables(float* amplitudes);

// The process-wide directory (empty until the tables are built).
const TableDirectory* WaveTableDirectory();
