// `modhost render PATCH [-o out.wav]`: loads a patch, runs it for its
// duration and writes the chosen outputs to a WAV file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace modhost {

struct RenderOptions {
  std::string patch_path;
  std::string wav_path;  // overrides the patch's "wav" when not empty
  std::vector<std::string> library_dirs;
  bool progress = false;  // a progress bar on stderr
};

// Throws HostError; prints one summary line to `out` on success.
void RenderPatch(const RenderOptions& options, std::ostream& out);

}  // namespace modhost
