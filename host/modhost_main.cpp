// The `modhost` command: inspect module libraries and render patches.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "host_error.h"
#include "info_command.h"

int main(int argc, char** argv) {
  CLI::App app{"modhost: loads and runs audio plug-in modules"};
  app.require_subcommand(1);

  std::string info_library;
  int32_t info_version = 200000;
  CLI::App* info = app.add_subcommand("info", "print a library's identity and pin table");
  info->add_option("LIB", info_library, "module library path")->required();
  info->add_option("--host-version", info_version, "host version the pins are queried at");

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
    std::cout.flush();
  } catch (const std::exception& e) {
    std::cerr << "modhost: error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
