#include "wav_file.h"

#include <cmath>

#include "host_error.h"
#include "patch_file.h"

#if !defined(MODHOST_NO_WAV)
#include <sndfile.h>
#endif

namespace modhost {

#if defined(MODHOST_NO_WAV)

namespace {
const char* const NO_WAV = "WAV files need the Linux build of modhost (no libsndfile here)";
}

bool WavSupported() { return false; }
WavData ReadWav(const std::string&) { throw HostError(NO_WAV); }
void WriteWav(const std::string&, const std::vector<std::vector<float>>&, int, SampleFormat) {
  throw HostError(NO_WAV);
}

#else

bool WavSupported() { return true; }

WavData ReadWav(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) throw HostError("cannot read audio file " + path + ": " + sf_strerror(nullptr));
  WavData data;
  data.channels = info.channels;
  data.sample_rate = info.samplerate;
  data.frames = static_cast<size_t>(info.frames);
  data.samples.resize(data.frames * static_cast<size_t>(info.channels));
  const sf_count_t read = sf_readf_float(file, data.samples.data(), info.frames);
  sf_close(file);
  if (read != info.frames) throw HostError("audio file " + path + " ends early");
  return data;
}

void WriteWav(const std::string& path, const std::vector<std::vector<float>>& channels,
              int sample_rate, SampleFormat format) {
  if (channels.empty()) throw HostError("nothing to write to " + path);
  const size_t frames = channels[0].size();
  SF_INFO info{};
  info.samplerate = sample_rate;
  info.channels = static_cast<int>(channels.size());
  info.format = SF_FORMAT_WAV | (format == SampleFormat::Pcm16   ? SF_FORMAT_PCM_16
                                 : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                                 : SF_FORMAT_FLOAT);
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) throw HostError("cannot write audio file " + path + ": " + sf_strerror(nullptr));
  // Integer formats clip at full scale rather than wrap.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  std::vector<float> interleaved(frames * channels.size());
  for (size_t f = 0; f < frames; ++f) {
    for (size_t c = 0; c < channels.size(); ++c) {
      // A sample that is no number becomes silence, not an undefined integer.
      const float sample = f < channels[c].size() ? channels[c][f] : 0.0f;
      interleaved[f * channels.size() + c] = std::isfinite(sample) ? sample : 0.0f;
    }
  }
  const sf_count_t written =
      sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
  const int closed = sf_close(file);
  if (written != static_cast<sf_count_t>(frames) || closed != 0) {
    throw HostError("cannot write audio file " + path);
  }
}

#endif

}  // namespace modhost
