// WAV files through libsndfile. The Windows build has no libsndfile: there
// every call throws a HostError saying that WAV files need the Linux build.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace modhost {

enum class SampleFormat;

struct WavData {
  int channels = 0;
  int sample_rate = 0;
  size_t frames = 0;
  std::vector<float> samples;  // interleaved, full scale = 1.0
};

bool WavSupported();
WavData ReadWav(const std::string& path);
// `channels` holds one vector per channel, all of the same length.
void WriteWav(const std::string& path, const std::vector<std::vector<float>>& channels,
              int sample_rate, SampleFormat format);

}  // namespace modhost
