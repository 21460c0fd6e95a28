// A module's pin declarations as the host reads them with
// MOD_GET_PIN_PROPERTIES, and the texts inside them (defaults, choice lists).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "se_types.h"

namespace modhost {

struct Choice {
  std::string text;
  int32_t value;
};

struct PinDeclaration {
  int32_t declaration = 0;  // index the module declared it at (GUI pins use this)
  int32_t dsp_index = -1;   // DSP pin index, -1 for a GUI-only pin
  std::string name;
  int32_t direction = DR_IN;
  int32_t datatype = DT_ENUM;
  bool has_default = false;
  std::string default_text;
  bool has_list = false;
  std::string list_text;
  int32_t flags = 0;
  void* variable_address = nullptr;
  std::vector<Choice> choices;  // parsed list of a DT_ENUM pin

  bool IsDsp() const { return (flags & IO_UI_COMMUNICATION) == 0 || (flags & IO_UI_AND_DSP) != 0; }
  bool IsGui() const { return (flags & IO_UI_COMMUNICATION) != 0; }
  bool IsInput() const { return direction == DR_IN; }
  bool IsOutput() const { return direction == DR_OUT; }
};

// Queries declarations from index 0 until the first false answer, with a
// zero-filled record for every query, as the module expects.
std::vector<PinDeclaration> ReadPinTable(SEModuleRecord* record);

// The host may create further pins after a last pin declared IO_REPEATING:
// each copies it under the name "<name> 2", "<name> 3", ... with no variable.
void AppendRepeatedPins(std::vector<PinDeclaration>* table, int32_t extra_pins);

// "a,b=5,c" -> a 0, b 5, c 6: an entry without "=n" is the previous plus one.
std::vector<Choice> ParseChoiceList(const std::string& list);

const char* DataTypeName(int32_t datatype);
const char* DirectionName(int32_t direction);
std::string FlagNames(int32_t flags);

}  // namespace modhost
