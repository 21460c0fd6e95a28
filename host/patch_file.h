// Patches as JSON files: modules, stored pin values, connections, voice
// groups, audio file inputs, a timeline and what to render (see
// docs/patch-format.md). Loading builds a Host; saving writes back every
// stored value so that a saved patch reloads to the same state.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host.h"

namespace modhost {

enum class SampleFormat { Float32, Pcm24, Pcm16 };

struct RenderSpec {
  int32_t samples = 0;                                       // how long to run
  std::vector<std::pair<std::string, std::string>> outputs;  // module, pin (one WAV channel each)
  std::string wav_path;  // as resolved against the patch folder; may be empty
  std::string wav_text;  // as written in the patch
  SampleFormat format = SampleFormat::Float32;
};

struct AudioInput {
  std::string wav_text;  // as written in the patch
  std::string wav_path;  // resolved
  std::string module;
  std::string pin;
  int32_t channel = 0;
};

struct Patch {
  RenderSpec render;
  std::vector<AudioInput> inputs;
  std::map<std::string, std::string> library_texts;  // module -> library as written
};

struct PatchOptions {
  std::string source_name = "patch";      // file name in error messages
  std::string base_dir = ".";             // relative paths in the patch start here
  std::vector<std::string> library_dirs;  // further places to look for libraries
};

// Builds `host` (settings, modules, values, connections, groups, inputs,
// timeline) from JSON text. Throws HostError: "<source>:<line>:<column>: ..."
// for malformed JSON, "<source>: <where>: ..." naming the module and pin of a
// semantic error.
Patch LoadPatch(Host& host, const std::string& text, const PatchOptions& options = {});
Patch LoadPatchFile(Host& host, const std::string& path,
                    std::vector<std::string> library_dirs = {});

// The patch as JSON text (two-space indented).
std::string SavePatch(const Host& host, const Patch& patch);
void SavePatchFile(const Host& host, const Patch& patch, const std::string& path);

// Finds a library named in a patch: as given, with the platform's suffix
// added when it has none, in the base folder, then in each library folder
// directly or in a sub-folder of the library's own name.
std::string ResolveLibrary(const std::string& text, const PatchOptions& options);

const char* SampleFormatName(SampleFormat format);

}  // namespace modhost
