// What ships with a release and comes from ombrisk-host: VST2 preset files
// (their format, the preset command, the factory presets loaded into the
// product) and the manual's parameter table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/FxpFile.h"
#include "host/ManualTable.h"
#include "host/PluginHost.h"
#include "TestFiles.h"

namespace ombrisk::host {
namespace {

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

FxpProgram ParamsProgram() {
  FxpProgram p;
  p.pluginId = 0x756A7061;
  p.pluginVersion = 10000;
  p.name = "Gentle glue";
  p.params = {0.1F, 0.6F, 0.45F, 1.0F, 0.0F, 0.5F, 0.5F};
  return p;
}

TEST(FxpFile, WritesTheStandardLayoutAndReadsItBack) {
  const std::vector<std::uint8_t> bytes = WriteFxp(ParamsProgram());
  ASSERT_EQ(bytes.size(), 56U + 7 * 4);
  const std::uint8_t header[] = {'C', 'c', 'n', 'K', 0, 0, 0, 76, 'F', 'x', 'C', 'k', 0, 0, 0, 1,
                                 'u', 'j', 'p', 'a', 0, 0, 0x27, 0x10, 0, 0, 0, 7, 'G', 'e', 'n', 't'};
  EXPECT_TRUE(std::equal(std::begin(header), std::end(header), bytes.begin()));
  EXPECT_EQ(bytes[28 + 11], 0);  // the name is NUL-terminated and padded
  EXPECT_EQ(bytes[55], 0);
  // 1.0 as a big-endian float: 3F 80 00 00.
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 56 + 12, bytes.begin() + 56 + 16),
            (std::vector<std::uint8_t>{0x3F, 0x80, 0, 0}));

  FxpProgram read;
  std::string error;
  ASSERT_TRUE(ReadFxp(bytes, read, error)) << error;
  EXPECT_EQ(read.form, FxpProgram::Form::Params);
  EXPECT_EQ(read.pluginId, 0x756A7061);
  EXPECT_EQ(read.pluginVersion, 10000);
  EXPECT_EQ(read.name, "Gentle glue");
  EXPECT_EQ(read.params, ParamsProgram().params);

  FxpProgram chunk;
  chunk.form = FxpProgram::Form::Chunk;
  chunk.pluginId = 0x4F546678;
  chunk.name = std::string(40, 'x');  // only 27 characters fit
  chunk.chunk = {1, 2, 3, 4, 5};
  chunk.chunkParamCount = 2;
  const std::vector<std::uint8_t> chunkBytes = WriteFxp(chunk);
  ASSERT_EQ(chunkBytes.size(), 56U + 4 + 5);
  EXPECT_EQ(std::string(chunkBytes.begin() + 8, chunkBytes.begin() + 12), "FPCh");
  ASSERT_TRUE(ReadFxp(chunkBytes, read, error)) << error;
  EXPECT_EQ(read.form, FxpProgram::Form::Chunk);
  EXPECT_EQ(read.name, std::string(27, 'x'));
  EXPECT_EQ(read.chunk, chunk.chunk);
  EXPECT_EQ(read.chunkParamCount, 2);
  EXPECT_TRUE(read.params.empty());

  // Bytes after the announced size are ignored; a name that fills all 28
  // bytes without a NUL is cut, not read past.
  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0xEE);
  std::fill(longer.begin() + 28, longer.begin() + 56, 'n');
  ASSERT_TRUE(ReadFxp(longer, read, error)) << error;
  EXPECT_EQ(read.name, std::string(27, 'n'));
  EXPECT_EQ(read.params.size(), 7U);
}

TEST(FxpFile, RefusesHostileAndTruncatedFilesWithAReason) {
  const std::vector<std::uint8_t> good = WriteFxp(ParamsProgram());
  FxpProgram chunkProgram;
  chunkProgram.form = FxpProgram::Form::Chunk;
  chunkProgram.chunk = {9, 9, 9, 9};
  const std::vector<std::uint8_t> goodChunk = WriteFxp(chunkProgram);

  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* reason;  // a part of the error text
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}, "does not start with 'CcnK'"});
  cases.push_back({"three bytes", {'C', 'c', 'n'}, "does not start with 'CcnK'"});
  auto edit = [](std::vector<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    PutBigEndian(b, at, v);
    return b;
  };
  cases.push_back({"other magic", edit(good, 0, 0x52494646), "does not start with 'CcnK'"});
  cases.push_back({"header cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 40), "header needs 56 bytes"});
  cases.push_back({"bank", edit(good, 8, 0x4678426B), "bank of presets"});
  cases.push_back({"chunk bank", edit(good, 8, 0x46424368), "bank of presets"});
  cases.push_back({"unknown form", edit(good, 8, 0x41424344), "unknown preset form 'ABCD'"});
  cases.push_back({"size beyond the file", edit(good, 4, 1000), "announces 1008 bytes"});
  cases.push_back({"size 0xFFFFFFFF", edit(good, 4, 0xFFFFFFFF), "truncated"});
  cases.push_back({"size inside the header", edit(good, 4, 20), "smaller than the header"});
  cases.push_back({"format version 2", edit(good, 12, 2), "format version 2"});
  cases.push_back({"huge count", edit(good, 24, 0x7FFFFFFF), "out of range"});
  cases.push_back({"negative count", edit(good, 24, 0xFFFFFFFF), "out of range"});
  cases.push_back({"more values than bytes", edit(good, 24, 8), "8 parameter values need 32 bytes, 28 follow"});
  cases.push_back({"NaN value", edit(good, 56, 0x7FC00000), "parameter 0 is not in 0..1"});
  cases.push_back({"value above 1", edit(good, 60, 0x3FC00000), "parameter 1 is not in 0..1"});
  cases.push_back({"negative value", edit(good, 64, 0xBF800000), "parameter 2 is not in 0..1"});
  cases.push_back({"chunk beyond the file", edit(goodChunk, 56, 5), "announces 5 bytes, 4 follow"});
  cases.push_back({"chunk size 0xFFFFFFFF", edit(goodChunk, 56, 0xFFFFFFFF), "truncated"});
  cases.push_back({"empty chunk", edit(edit(goodChunk, 56, 0), 4, 52), "chunk is empty"});
  cases.push_back({"chunk size missing", edit(std::vector<std::uint8_t>(goodChunk.begin(), goodChunk.begin() + 56), 4, 48),
                   "chunk size is missing"});
  for (const Case& c : cases) {
    FxpProgram read;
    read.name = "untouched";
    std::string error;
    EXPECT_FALSE(ReadFxp(c.bytes, read, error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(read.name, "untouched") << c.what;
  }
  // Every cut of a good file is refused.
  for (const std::vector<std::uint8_t>* whole : {&good, &goodChunk}) {
    for (std::size_t n = 0; n < whole->size(); ++n) {
      FxpProgram read;
      std::string error;
      EXPECT_FALSE(ReadFxp(std::vector<std::uint8_t>(whole->begin(), whole->begin() + static_cast<std::ptrdiff_t>(n)),
                           read, error))
          << n << " bytes";
    }
  }
}

TEST(PresetCommand, SavesAndLoadsInBothForms) {
  const std::string params = Temp("preset_params.fxp");
  const std::string chunk = Temp("preset_chunk.fxp");
  ASSERT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH, params, "--param", "Gain=50", "--param-norm",
                            "Polarity=1", "--name", "Half, inverted"}),
            0);
  FxpProgram read;
  std::string error;
  ASSERT_TRUE(ReadFxp(Bytes(params), read, error)) << error;
  EXPECT_EQ(read.form, FxpProgram::Form::Params);
  EXPECT_EQ(read.name, "Half, inverted");
  EXPECT_EQ(read.pluginId, 0x4F546678);  // 'OTfx'
  EXPECT_EQ(read.params, (std::vector<float>{0.25F, 1.0F}));

  ASSERT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH, chunk, "--param", "Gain=50", "--form", "chunk"}), 0);
  ASSERT_TRUE(ReadFxp(Bytes(chunk), read, error)) << error;
  EXPECT_EQ(read.form, FxpProgram::Form::Chunk);
  EXPECT_EQ(read.name, "preset_chunk");  // the file name when no --name is given
  EXPECT_EQ(read.chunk.size(), 12U);
  EXPECT_EQ(read.chunkParamCount, 2);

  // What load puts into the plug-in: checked by saving again from a
  // plug-in that got the preset through the chunk.
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, params}), 0);
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, chunk}), 0);
  std::string loadError;
  auto plugin = PluginInstance::Open(OMBRISK_TESTFX_PATH, loadError);
  ASSERT_TRUE(plugin) << loadError;
  ASSERT_EQ(plugin->Dispatch(vst2::effSetChunk, 1, static_cast<std::intptr_t>(read.chunk.size()), read.chunk.data()), 1);
  EXPECT_FLOAT_EQ(plugin->GetParameter(0), 0.25F);
  for (const std::string& f : {params, chunk}) std::remove(f.c_str());
}

TEST(PresetCommand, RefusesWrongFilesAndOptions) {
  const std::string good = Temp("preset_good.fxp");
  const std::string bad = Temp("preset_bad.fxp");
  ASSERT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH, good}), 0);
  FxpProgram program;
  std::string error;
  ASSERT_TRUE(ReadFxp(Bytes(good), program, error)) << error;

  // A preset of another plug-in.
  FxpProgram other = program;
  other.pluginId = 0x756A7061;
  WriteBytes(bad, WriteFxp(other));
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, bad}), 1);
  // One value too many for the plug-in.
  other = program;
  other.params.push_back(0.5F);
  WriteBytes(bad, WriteFxp(other));
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, bad}), 1);
  // A chunk the plug-in rejects.
  other = program;
  other.form = FxpProgram::Form::Chunk;
  other.chunk = {'j', 'u', 'n', 'k'};
  WriteBytes(bad, WriteFxp(other));
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, bad}), 1);
  // Truncated, missing, not a preset.
  std::vector<std::uint8_t> cut = Bytes(good);
  cut.resize(cut.size() - 1);
  WriteBytes(bad, cut);
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, bad}), 1);
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, Temp("no_such_preset.fxp")}), 1);
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, OMBRISK_TESTFX_PATH}), 1);

  // Command-line mistakes.
  EXPECT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH, bad, "--name", std::string(28, 'n')}), 2);
  EXPECT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH, bad, "--form", "bank"}), 2);
  EXPECT_EQ(RunCommandLine({"preset", "load", OMBRISK_TESTFX_PATH, good, "--name", "x"}), 2);
  EXPECT_EQ(RunCommandLine({"preset", "copy", OMBRISK_TESTFX_PATH, good}), 2);
  EXPECT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH}), 2);
  EXPECT_EQ(RunCommandLine({"preset", "save", OMBRISK_TESTFX_PATH, bad, "--param", "Nothing=1"}), 1);
  for (const std::string& f : {good, bad}) std::remove(f.c_str());
}

#ifdef OMBRISK_PLUGIN_PATH
// The factory presets, loaded into the product through its VST2 interface
// the way a host loads a parameter preset, with the display texts each
// must give.
TEST(ShippedPresets, LoadIntoOmbriskWithTheirSettings) {
  const std::map<std::string, std::pair<std::string, std::vector<std::string>>> expected = {
      {"gentle-glue.fxp", {"Gentle glue", {"40.00", "70.00", "0.600", "1", "0", "105.00", "0.500"}}},
      {"drum-crush.fxp", {"Drum crush", {"160.00", "100.00", "0.300", "0", "0", "130.00", "0.500"}}},
      {"bass-warmth.fxp", {"Bass warmth", {"80.00", "85.00", "0.500", "1", "0", "95.00", "0.620"}}},
      {"safety-limiter.fxp", {"Safety limiter", {"0.00", "0.00", "0.500", "1", "0", "100.00", "0.500"}}},
      {"bypass-ready.fxp", {"Bypass-ready", {"32.00", "87.00", "0.500", "1", "1", "100.00", "0.500"}}},
  };
  const std::filesystem::path folder = OMBRISK_PRESETS_DIR;
  std::set<std::string> shipped;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".fxp") shipped.insert(entry.path().filename().string());
  std::set<std::string> named;
  for (const auto& [file, settings] : expected) named.insert(file);
  EXPECT_EQ(shipped, named) << "every shipped preset needs its expected settings here";

  for (const auto& [file, settings] : expected) {
    SCOPED_TRACE(file);
    FxpProgram program;
    std::string error;
    ASSERT_TRUE(ReadFxp(Bytes((folder / file).string()), program, error)) << error;
    EXPECT_EQ(program.name, settings.first);
    EXPECT_EQ(program.form, FxpProgram::Form::Params);
    auto plugin = PluginInstance::Open(OMBRISK_PLUGIN_PATH, error);
    ASSERT_TRUE(plugin) << error;
    EXPECT_EQ(program.pluginId, plugin->Effect().uniqueID);
    ASSERT_EQ(static_cast<std::int32_t>(program.params.size()), plugin->NumParams());
    // Start from the opposite end of every range, so that a value the
    // preset fails to set shows.
    for (std::int32_t i = 0; i < plugin->NumParams(); ++i)
      plugin->SetParameter(i, program.params[static_cast<std::size_t>(i)] < 0.5F ? 1.0F : 0.0F);
    for (std::int32_t i = 0; i < plugin->NumParams(); ++i)
      plugin->SetParameter(i, program.params[static_cast<std::size_t>(i)]);
    for (std::int32_t i = 0; i < plugin->NumParams(); ++i)
      EXPECT_EQ(plugin->ParamDisplay(i), settings.second[static_cast<std::size_t>(i)]) << plugin->ParamName(i);
  }
}
#endif

TEST(ManualTable, ParsesOneNoteAParameterAndNamesBadLines) {
  std::map<std::string, std::string> notes;
  std::string error;
  ASSERT_TRUE(ParseParameterNotes("# comment\n\nGain:  louder | softer \r\nPolarity: flips\n", notes, error)) << error;
  EXPECT_EQ(notes, (std::map<std::string, std::string>{{"Gain", "louder | softer"}, {"Polarity", "flips"}}));
  EXPECT_FALSE(ParseParameterNotes("Gain: a\nno colon here\n", notes, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(ParseParameterNotes(": no name\n", notes, error));
  EXPECT_FALSE(ParseParameterNotes("Gain:\n", notes, error));
  EXPECT_FALSE(ParseParameterNotes("Gain: a\n\nGain: b\n", notes, error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

TEST(ManualTable, FailsWhenNotesAndParametersDisagree) {
  const std::string notes = Temp("manual_notes.txt");
  const auto run = [&](const char* text) {
    std::ofstream(notes, std::ios::trunc) << text;
    return RunCommandLine({"manual-table", OMBRISK_TESTFX_PATH, "--notes", notes});
  };
  EXPECT_EQ(run("Gain: level\nPolarity: flips the signal\n"), 0);
  EXPECT_EQ(run("Gain: level\n"), 1);                                       // a parameter without a note
  EXPECT_EQ(run("Gain: level\nPolarity: flips\nDrive: more\n"), 1);         // a note without a parameter
  EXPECT_EQ(run("Gain level\nPolarity: flips\n"), 1);                       // not a note
  EXPECT_EQ(RunCommandLine({"manual-table", OMBRISK_TESTFX_PATH}), 2);      // no notes
  EXPECT_EQ(RunCommandLine({"manual-table", OMBRISK_TESTFX_PATH, "--notes", Temp("no_such_notes.txt")}), 1);
  std::remove(notes.c_str());
}

}  // namespace
}  // namespace ombrisk::host
