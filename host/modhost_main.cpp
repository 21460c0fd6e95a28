// The `modhost` command: inspect module libraries and render patches.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "host_error.h"
#include "info_command.h"
#include "render_command.h"

#if defined(_WIN32)
#include <io.h>
#define MODHOST_ISATTY _isatty
#define MODHOST_FILENO _fileno
#else
#include <unistd.h>
#define MODHOST_ISATTY isatty
#define MODHOST_FILENO fileno
#endif

namespace {

// The build tree the command lives in (<tree>/host/modhost): patches name
// libraries by their bare names, and the tree's module folders are searched
// after any -L folders.
std::string OwnBuildTree(const char* argv0) {
  std::string path = argv0 ? argv0 : "";
#if !defined(_WIN32)
  char resolved[4096];
  const ssize_t length = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
  if (length > 0) path.assign(resolved, static_cast<size_t>(length));
#endif
  for (int up = 0; up < 2; ++up) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return "";
    path.resize(slash);
  }
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"modhost: loads and runs audio plug-in modules"};
  app.require_subcommand(1);

  std::string info_library;
  int32_t info_version = 200000;
  CLI::App* info = app.add_subcommand("info", "print a library's identity and pin table");
  info->add_option("LIB", info_library, "module library path")->required();
  info->add_option("--host-version", info_version, "host version the pins are queried at");

  modhost::RenderOptions render_options;
  CLI::App* render =
      app.add_subcommand("render", "run a patch and write its outputs to a WAV file");
  render->add_option("PATCH", render_options.patch_path, "patch file (JSON)")->required();
  render->add_option("-o,--output", render_options.wav_path, "WAV file to write");
  render->add_option("-L,--library-dir", render_options.library_dirs,
                     "folder to look for module libraries in (repeatable)");
  bool quiet = false;
  render->add_flag("-q,--quiet", quiet, "no progress bar");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "modhost: error: " << e.what() << "\n";
    return 2;
  }

  try {
    if (*info) modhost::PrintModuleInfo(std::cout, info_library, info_version);
    if (*render) {
      render_options.progress = !quiet && MODHOST_ISATTY(MODHOST_FILENO(stderr));
      const std::string tree = OwnBuildTree(argc > 0 ? argv[0] : nullptr);
      if (!tree.empty()) render_options.library_dirs.push_back(tree);
      modhost::RenderPatch(render_options, std::cout);
    }
    std::cout.flush();
  } catch (const std::exception& e) {
    std::cerr << "modhost: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
