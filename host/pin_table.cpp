#include "pin_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace modhost {

namespace {

// A module that never answers false must not keep the host asking forever.
constexpr int32_t MAX_DECLARATIONS = 4096;

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::vector<Choice> ParseChoiceList(const std::string& list) {
  std::vector<Choice> choices;
  if (list.empty()) return choices;
  int32_t next = 0;
  size_t begin = 0;
  for (;;) {
    const size_t comma = list.find(',', begin);
    const std::string entry =
        list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    const size_t equals = entry.rfind('=');
    Choice choice{entry, next};
    if (equals != std::string::npos) {
      const std::string number = Trim(entry.substr(equals + 1));
      char* end = nullptr;
      const long value = std::strtol(number.c_str(), &end, 10);
      if (!number.empty() && end && *end == '\0') {
        choice.text = entry.substr(0, equals);
        choice.value = static_cast<int32_t>(value);
      }
    }
    choices.push_back(choice);
    next = choice.value + 1;
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  return choices;
}

std::vector<PinDeclaration> ReadPinTable(SEModuleRecord* record) {
  std::vector<PinDeclaration> table;
  if (!record || !record->dispatcher) return table;
  int32_t dsp_index = 0;
  for (int32_t j = 0; j < MAX_DECLARATIONS; ++j) {
    SEPinProperties properties;
    std::memset(&properties, 0, sizeof properties);
    if (record->dispatcher(record, MOD_GET_PIN_PROPERTIES, j, 0, &properties, 0.0f) == 0) break;
    PinDeclaration pin;
    pin.declaration = j;
    pin.name = properties.name ? properties.name : "";
    pin.direction = properties.direction;
    pin.datatype = properties.datatype;
    pin.has_default = properties.default_value != nullptr;
    pin.default_text = pin.has_default ? properties.default_value : "";
    pin.has_list = properties.value_list != nullptr;
    pin.list_text = pin.has_list ? properties.value_list : "";
    pin.flags = properties.flags;
    pin.variable_address = properties.variable_address;
    if (pin.datatype == DT_ENUM) pin.choices = ParseChoiceList(pin.list_text);
    if (pin.IsDsp()) pin.dsp_index = dsp_index++;
    table.push_back(pin);
  }
  return table;
}

void AppendRepeatedPins(std::vector<PinDeclaration>* table, int32_t extra_pins) {
  if (table->empty() || extra_pins <= 0) return;
  const PinDeclaration last = table->back();
  if (!last.IsDsp() || (last.flags & IO_REPEATING) == 0) return;
  int32_t dsp_count = 0;
  for (const auto& pin : *table) dsp_count += pin.IsDsp() ? 1 : 0;
  for (int32_t k = 0; k < extra_pins; ++k) {
    PinDeclaration extra = last;
    extra.declaration = static_cast<int32_t>(table->size());
    extra.dsp_index = dsp_count++;
    extra.name = last.name + " " + std::to_string(k + 2);
    extra.variable_address = nullptr;
    table->push_back(extra);
  }
}

const char* DataTypeName(int32_t datatype) {
  switch (datatype) {
    case DT_ENUM:
      return "enum";
    case DT_TEXT:
      return "text";
    case DT_BOOL:
      return "bool";
    case DT_FSAMPLE:
      return "audio";
    case DT_FLOAT:
      return "float";
    case DT_INT:
      return "int";
    default:
      return "?";
  }
}

const char* DirectionName(int32_t direction) {
  switch (direction) {
    case DR_IN:
      return "in";
    case DR_OUT:
      return "out";
    case DR_INTERNAL:
      return "internal";
    default:
      return "?";
  }
}

std::string FlagNames(int32_t flags) {
  static const struct {
    int32_t bit;
    const char* name;
  } NAMES[] = {{IO_REPEATING, "repeating"},  {IO_PRIVATE, "private"},
               {IO_UI_COMMUNICATION, "gui"}, {IO_HOST_HINT, "hint"},
               {IO_UI_AND_DSP, "gui+dsp"},   {IO_PATCH_STORE, "patch-store"}};
  std::string text;
  int32_t rest = flags;
  for (const auto& entry : NAMES) {
    if ((flags & entry.bit) == 0) continue;
    if (!text.empty()) text += ",";
    text += entry.name;
    rest &= ~entry.bit;
  }
  if (rest != 0) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(rest));
    if (!text.empty()) text += ",";
    text += hex;
  }
  return text.empty() ? "-" : text;
}

}  // namespace modhost
