#include "render_command.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>

#include "host.h"
#include "patch_file.h"
#include "wav_file.h"

namespace modhost {

namespace {

void ShowProgress(int32_t done, int32_t total) {
  constexpr int WIDTH = 40;
  const int filled =
      total > 0 ? static_cast<int>(static_cast<int64_t>(done) * WIDTH / total) : WIDTH;
  const int percent = total > 0 ? static_cast<int>(static_cast<int64_t>(done) * 100 / total) : 100;
  std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
               std::string(WIDTH - filled, ' ').c_str(), percent);
  std::fflush(stderr);
}

}  // namespace

void RenderPatch(const RenderOptions& options, std::ostream& out) {
  if (!WavSupported()) {
    throw HostError("WAV output needs the Linux build of modhost; this build cannot write " +
                    std::string("WAV files"));
  }
  Host host;
  host.SetLogging(false);
  const Patch patch = LoadPatchFile(host, options.patch_path, options.library_dirs);
  const std::string wav = options.wav_path.empty() ? patch.render.wav_path : options.wav_path;
  if (wav.empty())
    throw HostError(options.patch_path + ": no WAV file named: give -o or render.wav");

  const int32_t total = patch.render.samples;
  const bool progress = options.progress && total > static_cast<int32_t>(host.SampleRate());
  host.Start();
  const int32_t chunk =
      std::max<int32_t>(host.BlockSize(), static_cast<int32_t>(host.SampleRate() / 20));
  for (int32_t done = 0; done < total;) {
    const int32_t step = std::min(chunk, total - done);
    host.Run(step);
    done += step;
    if (progress) ShowProgress(done, total);
  }
  if (progress) std::fprintf(stderr, "\n");

  std::vector<std::vector<float>> channels;
  for (const auto& [module, pin] : patch.render.outputs)
    channels.push_back(host.Recorded(module, pin));
  // A patch without audio outputs renders silence of its length.
  if (channels.empty()) channels.emplace_back(static_cast<size_t>(total), 0.0f);
  WriteWav(wav, channels, static_cast<int>(host.SampleRate()), patch.render.format);
  out << "rendered " << total << " samples (" << std::fixed << std::setprecision(3)
      << total / static_cast<double>(host.SampleRate()) << " s) of " << channels.size()
      << (channels.size() == 1 ? " channel" : " channels") << " to " << wav << " ("
      << SampleFormatName(patch.render.format) << ")\n";
}

}  // namespace modhost
