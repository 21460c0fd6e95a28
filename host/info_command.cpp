#include "info_command.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "module_library.h"
#include "module_probe.h"

namespace modhost {

namespace {

std::string Quoted(bool present, const std::string& text) {
  return present ? "\"" + text + "\"" : "-";
}

std::string Hex(int32_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << value;
  return text.str();
}

void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()), 0);
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - row[c].size() + 2, ' ');
    }
    out << "  " << line << "\n";
  }
}

}  // namespace

void PrintModuleInfo(std::ostream& out, const std::string& library_path, int32_t host_version) {
  auto library = ModuleLibrary::Load(library_path);
  const auto pins = ProbePinTable(*library, host_version);
  const ModuleIdentity& identity = library->Identity();

  std::ostringstream text;
  text << "library:      " << library_path << "\n";
  text << "name:         " << identity.name << "\n";
  text << "id:           " << identity.id << "\n";
  text << "module flags: " << Hex(identity.module_flags) << "\n";
  text << "gui flags:    " << Hex(identity.gui_flags) << "\n";
  text << "host version: " << host_version << "\n";
  text << "about:\n";
  std::istringstream about(identity.about);
  for (std::string line; std::getline(about, line);) text << "  " << line << "\n";
  text << "pins (" << pins.size() << "):\n";

  std::vector<std::vector<std::string>> rows;
  rows.push_back({"#", "dsp", "name", "dir", "type", "default", "list", "flags"});
  for (const auto& pin : pins) {
    rows.push_back(
        {std::to_string(pin.declaration), pin.dsp_index >= 0 ? std::to_string(pin.dsp_index) : "-",
         Quoted(true, pin.name), DirectionName(pin.direction), DataTypeName(pin.datatype),
         Quoted(pin.has_default, pin.default_text), Quoted(pin.has_list, pin.list_text),
         Hex(pin.flags) + " " + FlagNames(pin.flags)});
  }
  PrintTable(text, rows);
  out << text.str();
}

}  // namespace modhost
