#include "patch_file.h"

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "dynamic_library.h"
#include "host_error.h"
#include "wav_file.h"

namespace modhost {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

#if defined(_WIN32)
constexpr const char* LIBRARY_SUFFIX = ".dll";
#else
constexpr const char* LIBRARY_SUFFIX = ".so";
#endif

bool FileExists(const std::string& path) {
  return std::ifstream(DynamicLibrary::NativePath(path), std::ios::binary).good();
}

bool IsAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

std::string Join(const std::string& dir, const std::string& path) {
  if (IsAbsolute(path) || dir.empty() || dir == ".") return path;
  return dir.back() == '/' ? dir + path : dir + "/" + path;
}

std::string DirOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// Semantic errors name where in the patch they are.
class Context {
 public:
  explicit Context(std::string source) : m_source(std::move(source)) {}
  [[noreturn]] void Fail(const std::string& where, const std::string& message) const {
    throw HostError(m_source + ": " + where + ": " + message);
  }
  template <class F>
  void At(const std::string& where, F&& body) const {
    try {
      body();
    } catch (const HostError& e) {
      Fail(where, e.what());
    } catch (const json::exception& e) {
      Fail(where, e.what());
    }
  }

 private:
  std::string m_source;
};

const json& Need(const json& object, const char* key) {
  if (!object.is_object() || !object.contains(key)) {
    throw HostError(std::string("missing \"") + key + "\"");
  }
  return object.at(key);
}

std::string NeedString(const json& object, const char* key) {
  const json& value = Need(object, key);
  if (!value.is_string()) throw HostError(std::string("\"") + key + "\" must be a text");
  return value.get<std::string>();
}

double NeedNumber(const json& value, const char* what) {
  if (!value.is_number()) throw HostError(std::string(what) + " must be a number");
  return value.get<double>();
}

int32_t NeedInt(const json& value, const char* what, double low, double high) {
  const double number = NeedNumber(value, what);
  if (number != std::floor(number) || number < low || number > high) {
    std::ostringstream range;
    range << what << " must be a whole number from " << low << " to " << high;
    throw HostError(range.str());
  }
  return static_cast<int32_t>(number);
}

// True when the text is well-formed UTF-8, which is all a JSON string holds.
bool IsUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    uint32_t code = lead;
    if (lead < 0x80) {
      extra = 0;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, code = lead & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

// Texts that are not UTF-8 (an envelope text packs bytes above 0x7F) are
// stored as {"bytes": "<hex>"} so that they survive the patch file exactly.
json BytesOf(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(text.size() * 2);
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 0xF];
  }
  return json{{"bytes", hex}};
}

std::string TextOfBytes(const json& value) {
  const json& bytes = value.at("bytes");
  if (!bytes.is_string()) throw HostError("\"bytes\" must be a text of hex digits");
  const std::string hex = bytes.get<std::string>();
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (hex.size() % 2 != 0) throw HostError("\"bytes\" must hold an even number of hex digits");
  std::string text;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = nibble(hex[i]);
    const int low = nibble(hex[i + 1]);
    if (high < 0 || low < 0) throw HostError("\"bytes\" must be a text of hex digits");
    text += static_cast<char>(high * 16 + low);
  }
  return text;
}

PinValue ValueOf(const json& value) {
  if (value.is_string()) return PinValue(value.get<std::string>());
  if (value.is_object() && value.size() == 1 && value.contains("bytes")) {
    return PinValue(TextOfBytes(value));
  }
  if (value.is_boolean()) return PinValue(value.get<bool>() ? 1 : 0);
  if (value.is_number()) return PinValue(value.get<double>());
  throw HostError("a pin value must be a number, a text or {\"bytes\": hex}");
}

json JsonOf(const PinValue& value) {
  if (value.is_text) return IsUtf8(value.text) ? json(value.text) : BytesOf(value.text);
  if (value.number == std::floor(value.number) && std::fabs(value.number) < 2147483648.0) {
    return json(static_cast<int64_t>(value.number));
  }
  return json(value.number);
}

// A pin reference: "module.pin" or ["module", "pin" or index].
std::pair<std::string, PinRef> PinOf(const json& value) {
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    const size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == text.size()) {
      throw HostError("pin \"" + text + "\" must be written \"module.pin\"");
    }
    return {text.substr(0, dot), PinRef(text.substr(dot + 1))};
  }
  if (value.is_array() && value.size() == 2 && value[0].is_string()) {
    if (value[1].is_string())
      return {value[0].get<std::string>(), PinRef(value[1].get<std::string>())};
    if (value[1].is_number_integer())
      return {value[0].get<std::string>(), PinRef(value[1].get<int>())};
  }
  throw HostError("a pin is \"module.pin\" or [\"module\", \"pin\"]");
}

int32_t ClockOf(const json& entry, float sample_rate) {
  if (entry.contains("sample")) {
    return NeedInt(entry.at("sample"), "\"sample\"", 0, 2147483647.0);
  }
  if (entry.contains("time")) {
    const double seconds = NeedNumber(entry.at("time"), "\"time\"");
    if (seconds < 0 || !std::isfinite(seconds)) throw HostError("\"time\" must not be negative");
    const double clock = std::round(seconds * sample_rate);
    if (clock > 2147483647.0) throw HostError("\"time\" is too late");
    return static_cast<int32_t>(clock);
  }
  throw HostError("a timeline entry needs \"time\" (seconds) or \"sample\"");
}

SampleFormat FormatOf(const std::string& text) {
  if (text == "float32" || text == "float") return SampleFormat::Float32;
  if (text == "pcm24" || text == "24") return SampleFormat::Pcm24;
  if (text == "pcm16" || text == "16") return SampleFormat::Pcm16;
  throw HostError("format \"" + text + "\" is not one of float32, pcm24, pcm16");
}

void LoadSettings(Host& host, const json& root, const Context& context) {
  context.At("sample_rate", [&] {
    if (!root.contains("sample_rate")) return;
    const double rate = NeedNumber(root.at("sample_rate"), "\"sample_rate\"");
    if (rate < 8000.0 || rate > 384000.0) throw HostError("must be from 8000 to 384000 Hz");
    host.SetSampleRate(static_cast<float>(rate));
  });
  context.At("block_size", [&] {
    if (root.contains("block_size")) {
      host.SetBlockSize(NeedInt(root.at("block_size"), "\"block_size\"", 1, 4096));
    }
  });
  context.At("host_version", [&] {
    if (root.contains("host_version")) {
      host.SetHostVersion(NeedInt(root.at("host_version"), "\"host_version\"", 1, 2147483647.0));
    }
  });
}

void LoadModules(Host& host, const json& root, const PatchOptions& options, Patch& patch,
                 const Context& context) {
  const json& modules = root.value("modules", json::array());
  if (!modules.is_array()) context.Fail("modules", "must be a list");
  for (size_t k = 0; k < modules.size(); ++k) {
    const json& module = modules[k];
    std::string name;
    context.At("modules[" + std::to_string(k) + "]", [&] {
      name = NeedString(module, "name");
      const std::string library = NeedString(module, "library");
      host.AddModule(ResolveLibrary(library, options), name);
      patch.library_texts[name] = library;
      if (module.contains("repeat")) {
        host.SetRepeatCount(name, NeedInt(module.at("repeat"), "\"repeat\"", 0, 256));
      }
    });
    const json& pins = module.value("pins", json::object());
    if (!pins.is_object()) context.Fail("module " + name, "\"pins\" must be an object");
    for (auto it = pins.begin(); it != pins.end(); ++it) {
      context.At("modules[" + std::to_string(k) + "] pins",
                 [&] { host.Set(name, PinRef(it.key()), ValueOf(it.value())); });
    }
  }
}

void LoadConnections(Host& host, const json& root, const Context& context) {
  const json& connections = root.value("connections", json::array());
  if (!connections.is_array()) context.Fail("connections", "must be a list");
  for (size_t k = 0; k < connections.size(); ++k) {
    context.At("connections[" + std::to_string(k) + "]", [&] {
      const auto from = PinOf(Need(connections[k], "from"));
      const auto to = PinOf(Need(connections[k], "to"));
      host.Connect(from.first, from.second, to.first, to.second);
    });
  }
}

void LoadGroups(Host& host, const json& root, const Context& context) {
  const json& groups = root.value("groups", json::array());
  if (!groups.is_array()) context.Fail("groups", "must be a list");
  for (size_t k = 0; k < groups.size(); ++k) {
    context.At("groups[" + std::to_string(k) + "]", [&] {
      const json& entry = groups[k];
      VoiceGroup group;
      group.name = NeedString(entry, "name");
      group.voices = NeedInt(Need(entry, "voices"), "\"voices\"", 1, 128);
      for (const auto& module : Need(entry, "modules"))
        group.modules.push_back(module.get<std::string>());
      if (entry.contains("gate")) {
        const auto gate = PinOf(entry.at("gate"));
        group.gate_module = gate.first;
        group.gate_pin = gate.second;
      }
      if (entry.contains("note_reset")) {
        group.note_event_reset = false;
        group.note_module_reset = false;
        for (const auto& kind : entry.at("note_reset")) {
          const std::string text = kind.get<std::string>();
          if (text == "event") {
            group.note_event_reset = true;
          } else if (text == "module") {
            group.note_module_reset = true;
          } else {
            throw HostError("note_reset entries are \"event\" or \"module\", not \"" + text + "\"");
          }
        }
      }
      host.AddVoiceGroup(group);
    });
  }
}

void LoadInputs(Host& host, const json& root, const PatchOptions& options, Patch& patch,
                const Context& context) {
  const json& inputs = root.value("inputs", json::array());
  if (!inputs.is_array()) context.Fail("inputs", "must be a list");
  for (size_t k = 0; k < inputs.size(); ++k) {
    context.At("inputs[" + std::to_string(k) + "]", [&] {
      AudioInput input;
      input.wav_text = NeedString(inputs[k], "wav");
      input.wav_path = Join(options.base_dir, input.wav_text);
      const auto to = PinOf(Need(inputs[k], "to"));
      input.module = to.first;
      input.pin = host.Pin(to.first, to.second).name;
      input.channel = inputs[k].contains("channel")
                          ? NeedInt(inputs[k].at("channel"), "\"channel\"", 0, 255)
                          : 0;
      const WavData wav = ReadWav(input.wav_path);
      if (input.channel >= wav.channels) {
        throw HostError(input.wav_text + " has no channel " + std::to_string(input.channel));
      }
      std::vector<float> samples(wav.frames);
      for (size_t f = 0; f < wav.frames; ++f) {
        samples[f] = wav.samples[f * static_cast<size_t>(wav.channels) + input.channel];
      }
      host.SetAudioSource(to.first, to.second, std::move(samples));
      patch.inputs.push_back(input);
    });
  }
}

void LoadTimeline(Host& host, const json& root, const Context& context) {
  const json& timeline = root.value("timeline", json::array());
  if (!timeline.is_array()) context.Fail("timeline", "must be a list");
  for (size_t k = 0; k < timeline.size(); ++k) {
    context.At("timeline[" + std::to_string(k) + "]", [&] {
      const json& item = timeline[k];
      TimelineEntry entry;
      entry.clock = ClockOf(item, host.SampleRate());
      if (item.contains("voice")) entry.voice = NeedInt(item.at("voice"), "\"voice\"", 0, 127);
      if (item.contains("set") || item.contains("set_gui")) {
        const bool gui = item.contains("set_gui");
        entry.kind = gui ? TimelineEntry::Kind::SetGui : TimelineEntry::Kind::Set;
        const auto pin = PinOf(item.at(gui ? "set_gui" : "set"));
        entry.module = pin.first;
        entry.pin = pin.second;
        entry.value = ValueOf(Need(item, "value"));
      } else if (item.contains("gate")) {
        entry.kind = TimelineEntry::Kind::Gate;
        const std::string state = item.at("gate").get<std::string>();
        if (state != "on" && state != "off") throw HostError("\"gate\" is \"on\" or \"off\"");
        entry.on = state == "on";
        entry.group = NeedString(item, "group");
        entry.value =
            PinValue(item.contains("volts") ? NeedNumber(item.at("volts"), "\"volts\"") : 10.0);
        if (entry.voice < 0) entry.voice = 0;
      } else if (item.contains("reset")) {
        entry.kind = TimelineEntry::Kind::Reset;
        entry.module = item.at("reset").get<std::string>();
        const std::string kind = item.value("kind", std::string("both"));
        if (kind == "module") {
          entry.reset = ResetKind::Module;
        } else if (kind == "event") {
          entry.reset = ResetKind::Event;
        } else if (kind == "both") {
          entry.reset = ResetKind::Both;
        } else {
          throw HostError("reset \"kind\" is module, event or both");
        }
        if (item.contains("index"))
          entry.reset_index = NeedInt(item.at("index"), "\"index\"", 0, 2147483647.0);
      } else {
        throw HostError("a timeline entry is one of set, set_gui, gate, reset");
      }
      host.AddTimelineEntry(entry);
    });
  }
}

void LoadRender(Host& host, const json& root, const PatchOptions& options, Patch& patch,
                const Context& context) {
  const json& render = root.value("render", json::object());
  context.At("render", [&] {
    if (!render.is_object()) throw HostError("must be an object");
    RenderSpec& spec = patch.render;
    if (render.contains("samples")) {
      spec.samples = NeedInt(render.at("samples"), "\"samples\"", 0, 2147483647.0 - 65536.0);
    } else {
      const double seconds =
          render.contains("duration") ? NeedNumber(render.at("duration"), "\"duration\"") : 1.0;
      if (!(seconds >= 0.0)) throw HostError("\"duration\" must not be negative");
      const double samples = std::round(seconds * host.SampleRate());
      if (samples > 2147483647.0 - 65536.0) throw HostError("\"duration\" is too long");
      spec.samples = static_cast<int32_t>(samples);
    }
    for (const auto& output : render.value("outputs", json::array())) {
      const auto pin = PinOf(output);
      const PinDeclaration& declaration = host.Pin(pin.first, pin.second);
      host.Record(pin.first, pin.second);
      spec.outputs.emplace_back(pin.first, declaration.name);
    }
    if (render.contains("wav")) {
      spec.wav_text = NeedString(render, "wav");
      spec.wav_path = Join(options.base_dir, spec.wav_text);
    }
    if (render.contains("format")) spec.format = FormatOf(NeedString(render, "format"));
  });
}

std::string PinKey(const std::vector<PinDeclaration>& table, const PinDeclaration& pin) {
  int named = 0;
  for (const auto& other : table) named += other.name == pin.name ? 1 : 0;
  return named == 1 && !pin.name.empty() && pin.name[0] != '#'
             ? pin.name
             : "#" + std::to_string(pin.declaration);
}

ordered_json PinJson(const Host& host, const std::string& module, int32_t declaration) {
  const auto& table = host.PinTable(module);
  return ordered_json::array({module, PinKey(table, table[declaration])});
}

}  // namespace

const char* SampleFormatName(SampleFormat format) {
  switch (format) {
    case SampleFormat::Pcm24:
      return "pcm24";
    case SampleFormat::Pcm16:
      return "pcm16";
    default:
      return "float32";
  }
}

std::string ResolveLibrary(const std::string& text, const PatchOptions& options) {
  if (text.empty()) throw HostError("empty library name");
  std::string file = text;
  const size_t dot = file.find_last_of('.');
  const size_t slash = file.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    file += LIBRARY_SUFFIX;
  }
  std::vector<std::string> candidates;
  if (IsAbsolute(file)) {
    candidates.push_back(file);
  } else {
    candidates.push_back(Join(options.base_dir, file));
    const size_t base = file.find_last_of("/\\");
    const std::string leaf = base == std::string::npos ? file : file.substr(base + 1);
    const std::string stem = leaf.substr(0, leaf.find_last_of('.'));
    for (const auto& dir : options.library_dirs) {
      candidates.push_back(Join(dir, file));
      candidates.push_back(Join(Join(dir, stem), leaf));
    }
  }
  for (const auto& candidate : candidates) {
    if (FileExists(candidate)) return candidate;
  }
  std::string searched;
  for (const auto& candidate : candidates) searched += (searched.empty() ? "" : ", ") + candidate;
  throw HostError("library not found: " + text + " (looked for " + searched + ")");
}

Patch LoadPatch(Host& host, const std::string& text, const PatchOptions& options) {
  json root;
  try {
    root = json::parse(text, nullptr, true, true);
  } catch (const json::parse_error& e) {
    // The position as line and column, counted from the byte offset.
    size_t line = 1;
    size_t column = 1;
    const size_t end = std::min(e.byte > 0 ? e.byte - 1 : 0, text.size());
    for (size_t k = 0; k < end; ++k) {
      if (text[k] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    std::string reason = e.what();
    const size_t colon = reason.rfind(": ");
    if (colon != std::string::npos) reason = reason.substr(colon + 2);
    throw HostError(options.source_name + ":" + std::to_string(line) + ":" +
                    std::to_string(column) + ": malformed JSON: " + reason);
  }
  const Context context(options.source_name);
  if (!root.is_object()) context.Fail("top level", "a patch is a JSON object");
  Patch patch;
  LoadSettings(host, root, context);
  LoadModules(host, root, options, patch, context);
  LoadConnections(host, root, context);
  LoadGroups(host, root, context);
  LoadInputs(host, root, options, patch, context);
  LoadTimeline(host, root, context);
  LoadRender(host, root, options, patch, context);
  host.SetLoadedFromPatch(true);
  return patch;
}

Patch LoadPatchFile(Host& host, const std::string& path, std::vector<std::string> library_dirs) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostError("cannot read patch " + path);
  std::ostringstream text;
  text << in.rdbuf();
  PatchOptions options;
  options.source_name = path;
  options.base_dir = DirOf(path);
  options.library_dirs = std::move(library_dirs);
  return LoadPatch(host, text.str(), options);
}

std::string SavePatch(const Host& host, const Patch& patch) {
  ordered_json root;
  root["sample_rate"] = host.SampleRate();
  root["block_size"] = host.BlockSize();
  root["host_version"] = host.HostVersion();

  ordered_json modules = ordered_json::array();
  for (const auto& name : host.ModuleNames()) {
    ordered_json module;
    module["name"] = name;
    auto library = patch.library_texts.find(name);
    module["library"] =
        library != patch.library_texts.end() ? library->second : host.LibraryPath(name);
    if (host.RepeatCount(name) > 0) module["repeat"] = host.RepeatCount(name);
    ordered_json pins = ordered_json::object();
    const auto& table = host.PinTable(name);
    for (const auto& pin : table) {
      const bool input =
          pin.IsInput() && pin.IsDsp() && !host.IsConnectedInput(name, pin.declaration);
      if (!input && !pin.IsGui()) continue;
      pins[PinKey(table, pin)] = JsonOf(host.StoredValue(name, pin.declaration));
    }
    module["pins"] = pins;
    modules.push_back(module);
  }
  root["modules"] = modules;

  ordered_json connections = ordered_json::array();
  for (const auto& connection : host.Connections()) {
    connections.push_back({{"from", PinJson(host, connection.from_module, connection.from_pin)},
                           {"to", PinJson(host, connection.to_module, connection.to_pin)}});
  }
  root["connections"] = connections;

  ordered_json groups = ordered_json::array();
  for (const auto& group : host.VoiceGroups()) {
    ordered_json entry;
    entry["name"] = group.name;
    entry["voices"] = group.voices;
    entry["modules"] = group.modules;
    if (!group.gate_module.empty()) {
      entry["gate"] =
          PinJson(host, group.gate_module, host.Pin(group.gate_module, group.gate_pin).declaration);
    }
    ordered_json resets = ordered_json::array();
    if (group.note_event_reset) resets.push_back("event");
    if (group.note_module_reset) resets.push_back("module");
    entry["note_reset"] = resets;
    groups.push_back(entry);
  }
  root["groups"] = groups;

  ordered_json inputs = ordered_json::array();
  for (const auto& input : patch.inputs) {
    inputs.push_back({{"wav", input.wav_text},
                      {"to", ordered_json::array({input.module, input.pin})},
                      {"channel", input.channel}});
  }
  root["inputs"] = inputs;

  ordered_json timeline = ordered_json::array();
  for (const auto& entry : host.Timeline()) {
    ordered_json item;
    item["sample"] = entry.clock;
    switch (entry.kind) {
      case TimelineEntry::Kind::Set:
      case TimelineEntry::Kind::SetGui:
        item[entry.kind == TimelineEntry::Kind::Set ? "set" : "set_gui"] =
            PinJson(host, entry.module, host.Pin(entry.module, entry.pin).declaration);
        item["value"] = JsonOf(entry.value);
        if (entry.voice >= 0) item["voice"] = entry.voice;
        break;
      case TimelineEntry::Kind::Gate:
        item["gate"] = entry.on ? "on" : "off";
        item["group"] = entry.group;
        item["voice"] = entry.voice;
        item["volts"] = entry.value.number;
        break;
      case TimelineEntry::Kind::Reset:
        item["reset"] = entry.module;
        item["kind"] = entry.reset == ResetKind::Module  ? "module"
                       : entry.reset == ResetKind::Event ? "event"
                                                         : "both";
        item["index"] = entry.reset_index;
        if (entry.voice >= 0) item["voice"] = entry.voice;
        break;
    }
    timeline.push_back(item);
  }
  root["timeline"] = timeline;

  ordered_json render;
  render["samples"] = patch.render.samples;
  ordered_json outputs = ordered_json::array();
  for (const auto& [module, pin] : patch.render.outputs) {
    outputs.push_back(PinJson(host, module, host.Pin(module, pin).declaration));
  }
  render["outputs"] = outputs;
  if (!patch.render.wav_text.empty()) render["wav"] = patch.render.wav_text;
  render["format"] = SampleFormatName(patch.render.format);
  root["render"] = render;
  return root.dump(2) + "\n";
}

void SavePatchFile(const Host& host, const Patch& patch, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw HostError("cannot write patch " + path);
  out << SavePatch(host, patch);
  if (!out) throw HostError("cannot write patch " + path);
}

}  // namespace modhost
