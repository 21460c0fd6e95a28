// JSON patches: what loads, what is refused with a clear line, and that a
// saved patch reloads to the same state.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host.h"
#include "patch_file.h"
#include "render_command.h"
#include "wav_file.h"

using modhost::Host;
using modhost::HostError;
using modhost::LoadPatch;
using modhost::Patch;
using modhost::SavePatch;

namespace {

std::string Replace(std::string text, const std::string& key, const std::string& value) {
  for (size_t at = text.find(key); at != std::string::npos;
       at = text.find(key, at + value.size())) {
    text.replace(at, key.size(), value);
  }
  return text;
}

// Every kind of entry a patch can hold.
std::string FullPatch() {
  return Replace(Replace(Replace(R"({
  "sample_rate": 48000,
  "block_size": 32,
  "host_version": 200000,
  "modules": [
    {"name": "rec", "library": "@REC@",
     "pins": {"Offset": 0.125, "Choice": "High", "Count": -4, "Name": "hello \"there\"", "In": 3.3}},
    {"name": "gui", "library": "@GUI@", "pins": {"Shared Text": "stored", "Gui Note": "note", "Gui Mode": "C"}},
    {"name": "relay", "library": "@RELAY@"},
    {"name": "rep", "library": "@REP@", "repeat": 2, "pins": {"Input 3": -2.5}}
  ],
  "connections": [
    {"from": "rec.Out", "to": ["relay", "Audio In"]},
    {"from": ["relay", 1], "to": ["relay", "In"]}
  ],
  "groups": [
    {"name": "v", "voices": 2, "modules": ["rec"], "gate": ["rec", "In"], "note_reset": ["event"]}
  ],
  "timeline": [
    {"time": 0.001, "set": ["rec", "Offset"], "value": 0.5, "voice": 1},
    {"sample": 100, "set_gui": ["gui", "Gui Count"], "value": 9},
    {"sample": 120, "gate": "on", "group": "v", "voice": 1, "volts": 7.5},
    {"sample": 200, "gate": "off", "group": "v", "voice": 1},
    {"sample": 210, "reset": "rec", "kind": "module", "index": 3}
  ],
  "render": {"duration": 0.01, "outputs": ["relay.Audio Out", ["rec", "Out"]], "wav": "out.wav", "format": "pcm24"}
})",
                                 "@REC@", FX_RECORDER),
                         "@GUI@", FX_GUI_PAIR),
                 "@RELAY@", FX_RELAY);
}

std::string WithRepeater(std::string text) { return Replace(text, "@REP@", FX_REPEATER); }

TEST(Patch, ASavedPatchReloadsToTheSameState) {
  Host first;
  const Patch loaded = LoadPatch(first, WithRepeater(FullPatch()));
  EXPECT_EQ(loaded.render.samples, 480);
  EXPECT_EQ(first.Timeline()[0].clock, 48) << "seconds at the patch's rate";
  const std::string saved = SavePatch(first, loaded);

  Host second;
  const Patch reloaded = LoadPatch(second, saved);
  EXPECT_EQ(SavePatch(second, reloaded), saved);
  for (const auto& module : first.ModuleNames()) {
    for (const auto& pin : first.PinTable(module)) {
      if (!pin.IsInput() && !pin.IsGui()) continue;
      EXPECT_EQ(first.StoredValue(module, pin.declaration),
                second.StoredValue(module, pin.declaration))
          << module << " " << pin.name;
    }
  }
  EXPECT_EQ(second.StoredValue("rec", "Name").text, "hello \"there\"");
  EXPECT_EQ(second.StoredValue("rec", "Choice").text, "High");
  EXPECT_FLOAT_EQ(static_cast<float>(second.StoredValue("rec", "In").number), 3.3f);
  EXPECT_EQ(second.StoredValue("rep", "Input 3").number, -2.5);
  EXPECT_EQ(second.Connections().size(), 2u);
  EXPECT_EQ(second.VoiceGroups()[0].note_module_reset, false);

  // Both run to the same output.
  for (Host* host : {&first, &second}) host->Run(480);
  EXPECT_EQ(first.Recorded("relay", "Audio Out"), second.Recorded("relay", "Audio Out"));
}

TEST(Patch, TextsThatAreNotUtf8SurviveSaveAndReload) {
  const struct {
    std::string text;
    bool as_bytes;
  } cases[] = {{"\x80\x80\x80\x80\x10 packed \xff\x01", true},
               {"caf\xc3\xa9", false},  // UTF-8 stays readable
               {"\xc3", true},          // cut short
               {"\xed\xa0\x80", true},  // a surrogate
               {"\xc0\xaf", true}};     // an overlong form
  for (const auto& c : cases) {
    Host first;
    const Patch loaded = LoadPatch(first, WithRepeater(FullPatch()));
    first.Set("rec", "Name", c.text);
    const std::string saved = SavePatch(first, loaded);
    EXPECT_EQ(saved.find("\"bytes\"") != std::string::npos, c.as_bytes) << saved;
    Host second;
    LoadPatch(second, saved);
    EXPECT_EQ(second.StoredValue("rec", "Name").text, c.text);
  }
  Host host;
  std::string patch =
      Replace(WithRepeater(FullPatch()), "\"hello \\\"there\\\"\"", "{\"bytes\": \"8g\"}");
  EXPECT_THROW(LoadPatch(host, patch), HostError);
}

TEST(Patch, GuiEditsAreStoredWithThePatch) {
  Host host;
  const Patch loaded = LoadPatch(host, WithRepeater(FullPatch()));
  host.Run(32);
  host.Gui("gui").ButtonDown(33, 0);  // writes Gui Count, Shared Level and Shared Text
  const std::string saved = SavePatch(host, loaded);
  Host reloaded;
  LoadPatch(reloaded, saved);
  EXPECT_EQ(reloaded.StoredValue("gui", "Gui Count").number, 33);
  EXPECT_EQ(reloaded.StoredValue("gui", "Shared Text").text, "from gui");
  EXPECT_FLOAT_EQ(static_cast<float>(reloaded.StoredValue("gui", "Shared Level").number), 0.75f);
}

struct BadPatch {
  const char* label;
  std::string text;
  const char* expected;
};

class BadPatches : public ::testing::TestWithParam<BadPatch> {};

TEST_P(BadPatches, GiveOneClearLine) {
  Host host;
  modhost::PatchOptions options;
  options.source_name = "bad.json";
  try {
    LoadPatch(host, GetParam().text, options);
    FAIL() << "loaded";
  } catch (const HostError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find(GetParam().expected), std::string::npos) << message;
    EXPECT_EQ(message.rfind("bad.json", 0), 0u) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
}

std::string Rec(const std::string& extra) {
  const std::string head =
      R"({"modules": [{"name": "rec", "library": "@REC@"}, {"name": "g", "library": "@GUI@"}], )";
  return Replace(Replace(head, "@REC@", FX_RECORDER), "@GUI@", FX_GUI_PAIR) + extra + "}";
}

INSTANTIATE_TEST_SUITE_P(
    Host, BadPatches,
    ::testing::Values(
        BadPatch{"malformed", "{\n  \"modules\": [\n    {\"name\": 1,,}\n",
                 "bad.json:3:16: malformed JSON"},
        BadPatch{"not_an_object", "[1, 2]", "a patch is a JSON object"},
        BadPatch{"unknown_library", R"({"modules": [{"name": "x", "library": "no_such_lib"}]})",
                 "modules[0]: library not found: no_such_lib"},
        BadPatch{"unknown_pin",
                 Rec(R"("timeline": [{"sample": 1, "set": ["rec", "Volume"], "value": 1}])"),
                 "timeline[0]: module rec has no pin \"Volume\""},
        BadPatch{"unknown_module",
                 Rec(R"("connections": [{"from": "nobody.Out", "to": "rec.In"}])"),
                 "connections[0]: unknown module \"nobody\""},
        BadPatch{"wrong_type", Rec(R"("connections": [{"from": "rec.Level Out", "to": "rec.In"}])"),
                 "(float) to module rec pin \"In\" (audio): data types differ"},
        BadPatch{
            "text_for_a_number",
            Rec(R"("render": {"samples": 1}, "timeline": [{"sample": 0, "set": "rec.Offset", "value": "loud"}])"),
            "module rec pin \"Offset\": \"loud\" is not a number"},
        BadPatch{"enum_text",
                 Rec(R"("timeline": [{"sample": 0, "set": "rec.Choice", "value": "Max"}])"),
                 "\"Max\" is not one of \"Low,Mid,High\""},
        BadPatch{"negative_duration", Rec(R"("render": {"duration": -1})"),
                 "\"duration\" must not be negative"},
        BadPatch{"negative_time",
                 Rec(R"("timeline": [{"time": -0.5, "set": "rec.Offset", "value": 1}])"),
                 "\"time\" must not be negative"},
        BadPatch{"block_size_0", R"({"block_size": 0})",
                 "block_size: \"block_size\" must be a whole number from 1 to 4096"},
        BadPatch{"sample_rate", R"({"sample_rate": 4000})", "must be from 8000 to 384000 Hz"},
        BadPatch{
            "input_twice",
            Rec(R"("connections": [{"from": "rec.Out", "to": "rec.In"}, {"from": "rec.Out", "to": "rec.In"}])"),
            "connections[1]: module rec pin \"In\" is already connected"},
        BadPatch{"gui_only_as_dsp",
                 Rec(R"("connections": [{"from": "rec.Out", "to": "g.Gui Count"}])"),
                 "a GUI pin connects only to a GUI pin"},
        BadPatch{"no_such_voice",
                 Rec(R"("timeline": [{"sample": 0, "set": "rec.Offset", "value": 1, "voice": 3}])"),
                 "timeline[0]: module rec has no voice 3"},
        BadPatch{"bad_gate", Rec(R"("timeline": [{"sample": 0, "gate": "on", "group": "none"}])"),
                 "unknown voice group \"none\""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Patch, LibrariesAreFoundByNameInLibraryFolders) {
  modhost::PatchOptions options;
  options.base_dir = "/nonexistent-patch-folder";  // wherever the test runs
  const std::string path = FX_RELAY;
  const std::string dir = path.substr(0, path.find_last_of('/'));
  const std::string parent = dir.substr(0, dir.find_last_of('/'));
  options.library_dirs = {"/nonexistent", dir};
  EXPECT_EQ(modhost::ResolveLibrary("fx_relay", options),
            dir + "/fx_relay" + path.substr(path.find_last_of('.')));
  // A folder holding one sub-folder per library, as a build tree does:
  // <parent>/host/fx_relay... is not there, <dir> is named "host".
  options.library_dirs = {parent};
  EXPECT_THROW(modhost::ResolveLibrary("fx_relay", options), HostError);
  EXPECT_EQ(modhost::ResolveLibrary("host/fx_relay", options),
            dir + "/fx_relay" + path.substr(path.find_last_of('.')));
}

class WavFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!modhost::WavSupported()) GTEST_SKIP() << "WAV files need the Linux build";
  }
  std::string Temp(const std::string& name) { return std::string(HOST_TEST_DIR) + "/" + name; }
};

TEST_F(WavFiles, RenderWritesTheOutputsAndReadsAnInputFile) {
  // An input file: a ramp, played through a relay into the render.
  std::vector<float> ramp(300);
  for (size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<float>(k) / 512.0f;
  modhost::WriteWav(Temp("ramp_in.wav"), {ramp}, 48000, modhost::SampleFormat::Float32);

  for (const char* format : {"float32", "pcm24", "pcm16"}) {
    std::ofstream(Temp("render.json")) << Replace(Replace(R"({
      "sample_rate": 48000, "block_size": 64,
      "modules": [{"name": "relay", "library": "@RELAY@"}],
      "inputs": [{"wav": "ramp_in.wav", "to": "relay.Audio In"}],
      "render": {"samples": 400, "outputs": ["relay.Audio Out"], "wav": "render_out.wav", "format": "@F@"}
    })",
                                                          "@RELAY@", FX_RELAY),
                                                  "@F@", format);
    std::ostringstream summary;
    modhost::RenderOptions options;
    options.patch_path = Temp("render.json");
    modhost::RenderPatch(options, summary);
    EXPECT_NE(summary.str().find("rendered 400 samples"), std::string::npos);

    const modhost::WavData wav = modhost::ReadWav(Temp("render_out.wav"));
    ASSERT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.sample_rate, 48000);
    ASSERT_EQ(wav.frames, 400u);
    const float tolerance = std::string(format) == "pcm16" ? 1.0f / 32768 : 1.0f / 8388608 * 2;
    for (size_t k = 0; k < 400; ++k) {
      const float expected = k < ramp.size() ? ramp[k] : 0.0f;
      ASSERT_NEAR(wav.samples[k], expected, std::string(format) == "float32" ? 0.0f : tolerance)
          << format << " sample " << k;
    }
  }
}

TEST(Patch, RenderOnWindowsSaysWavNeedsTheLinuxBuild) {
  if (modhost::WavSupported()) GTEST_SKIP() << "this build writes WAV files";
  modhost::RenderOptions options;
  options.patch_path = "any.json";
  std::ostringstream out;
  try {
    modhost::RenderPatch(options, out);
    FAIL();
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("needs the Linux build"), std::string::npos);
  }
}

}  // namespace
