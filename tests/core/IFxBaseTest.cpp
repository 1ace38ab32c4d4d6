#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPlugin.h"
#include "TraceCapture.h"

namespace {

using fx::IFxBase;
using fx::StateChunk;
using testing_support::TestConfig;
using testing_support::TestPlugin;
using testing_support::TraceCapture;

StateChunk ProgramChunk(IFxBase& p) {
  StateChunk c;
  IFxBase::WriteChunkHeader(c);
  p.WriteState(c);
  return c;
}

void SetValues(IFxBase& p, std::initializer_list<double> values) {
  std::int32_t i = 0;
  for (double v : values) p.GetParam(i++)->SetValue(v);
}

std::vector<double> Values(const IFxBase& p) {
  std::vector<double> v;
  for (std::int32_t i = 0; i < p.NParams(); ++i) v.push_back(p.GetParam(i)->GetValue());
  return v;
}

TEST(IFxBaseState, ProgramChunkForSevenParametersIs64BytesWithHeader) {
  TestPlugin p;
  SetValues(p, {100.0, 50.0, 0.25, 0.0, 1.0, 150.0, 0.75});
  TraceCapture trace;
  const StateChunk c = ProgramChunk(p);
  ASSERT_EQ(c.Size(), 64);
  const std::vector<int> head(c.Data(), c.Data() + 8);
  EXPECT_EQ(head, (std::vector<int>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  // Value of "Wet" (50.0) at offset 16, little-endian.
  const std::vector<int> wet(c.Data() + 16, c.Data() + 24);
  EXPECT_EQ(wet, (std::vector<int>{0, 0, 0, 0, 0, 0, 0x49, 0x40}));
  const auto texts = trace.TextsOf("fx::IFxBase::SerializeParams");
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts[1], "1 Wet 50.000000");
  EXPECT_EQ(trace.Records().back().format, "%d %s %f");

  TestPlugin q;
  std::int32_t pos = 0;
  EXPECT_EQ(IFxBase::ReadChunkVersion(c, pos), fx::ChunkFormatVersion);
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(q.ReadState(c, pos), 64);
  EXPECT_EQ(Values(q), Values(p));
}

TEST(IFxBaseState, ShortProgramChunkRestoresWhatItHoldsAndFails) {
  TestPlugin p;
  SetValues(p, {100.0, 50.0, 0.25, 0.0, 1.0, 150.0, 0.75});
  StateChunk c = ProgramChunk(p);
  c.Resize(60);
  TestPlugin q;
  q.GetParam(6)->InitReal("Bias", 0.5, 0.25, 1.0, 0.001, "", fx::IParam::ShapeLinear());
  q.log.clear();
  TraceCapture trace;
  std::int32_t pos = 0;
  IFxBase::ReadChunkVersion(c, pos);
  EXPECT_EQ(q.ReadState(c, pos), -1);
  std::vector<double> v = Values(q);
  const std::vector<double> written = Values(p);
  EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 6), std::vector<double>(written.begin(), written.begin() + 6));
  EXPECT_EQ(v[6], 0.25);  // ClampToRange(0.0) with minimum 0.25
  EXPECT_EQ(trace.TextsOf("fx::IFxBase::UnserializeParams").back(), "6 Bias 0.250000");
  // The all-parameters notification still goes out, with source Preset.
  EXPECT_EQ(q.LogOf("inEditor").size(), 7u);
  EXPECT_EQ(q.LogOf("inEditor").front(), "inEditor 0 Preset");
}

TEST(IFxBaseState, MissingBytesStopReadingLaterParametersKeepTheirValues) {
  TestPlugin q;
  StateChunk c;
  c.PutDouble(12.0);
  c.PutBytes("abc", 3);
  EXPECT_EQ(q.UnserializeParams(c, 0), -1);
  EXPECT_EQ(q.GetParam(0)->GetValue(), 12.0);
  EXPECT_EQ(q.GetParam(1)->GetValue(), 0.0);
  EXPECT_EQ(q.GetParam(2)->GetValue(), 0.5);  // default, untouched
  EXPECT_EQ(q.UnserializeParams(c, -1), -1);
  EXPECT_EQ(q.GetParam(0)->GetValue(), 12.0);
}

TEST(IFxBaseState, ChunkWithoutHeaderReadsFromItsStart) {
  TestPlugin p;
  SetValues(p, {1.0, 2.0, 0.3, 0.0, 1.0, 5.0, 0.6});
  StateChunk body;
  p.SerializeParams(body);
  ASSERT_EQ(body.Size(), 56);
  std::int32_t pos = 0;
  EXPECT_EQ(IFxBase::ReadChunkVersion(body, pos), 0);
  EXPECT_EQ(pos, 0);
  TestPlugin q;
  EXPECT_EQ(q.ReadState(body, pos), 56);
  EXPECT_EQ(Values(q), Values(p));

  StateChunk magicOnly;
  magicOnly.PutInt32(fx::ChunkMagic);
  pos = 0;
  EXPECT_EQ(IFxBase::ReadChunkVersion(magicOnly, pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(IFxBasePresets, LoadPresetNamesUninitialisedPresetsAfterTheUserPresets) {
  TestPlugin p(TestConfig(7, 4));
  EXPECT_STREQ(p.GetPresetName(0), "empty");
  EXPECT_STREQ(p.GetPresetName(4), "");
  p.GetPreset(0)->SetName("user preset 1");
  p.GetPreset(1)->SetName("my user preset 2");
  p.log.clear();
  EXPECT_TRUE(p.LoadPreset(2));
  EXPECT_STREQ(p.GetPresetName(2), "user preset 3");
  EXPECT_TRUE(p.GetPreset(2)->initialized);
  EXPECT_EQ(p.GetPreset(2)->chunk.Size(), 56);
  EXPECT_EQ(p.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(p.log.front(), "presetsChanged");
  EXPECT_TRUE(p.LogOf("inEditor").empty()) << "the editor hears of a restore at its next tick";
  EXPECT_FALSE(p.LoadPreset(-1));
  EXPECT_FALSE(p.LoadPreset(4));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 2);

  // Loading an initialised preset restores its values.
  const double stored = p.GetParam(0)->GetValue();
  p.GetParam(0)->SetValue(150.0);
  EXPECT_TRUE(p.LoadPreset(2));
  EXPECT_EQ(p.GetParam(0)->GetValue(), stored);
  // An initialised preset with an empty chunk cannot be loaded.
  p.GetPreset(3)->initialized = true;
  EXPECT_FALSE(p.LoadPreset(3));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 2);
}

TEST(IFxBasePresets, ModifyCurrentPresetStoresTheStateAndCutsLongNames) {
  TestPlugin p(TestConfig(7, 2));
  TraceCapture trace;
  p.GetParam(1)->SetValue(10.0);
  p.ModifyCurrentPreset(nullptr);
  EXPECT_STREQ(p.GetPresetName(0), "empty");
  EXPECT_FALSE(p.GetPreset(0)->initialized);  // the mark is not changed
  EXPECT_EQ(p.GetPreset(0)->chunk.Size(), 56);
  EXPECT_EQ(trace.TextsOf("fx::IFxBase::ModifyCurrentPreset"), std::vector<std::string>{"0 empty"});
  p.ModifyCurrentPreset("");
  EXPECT_STREQ(p.GetPresetName(0), "empty");
  EXPECT_EQ(p.GetPreset(0)->chunk.Size(), 56);  // emptied before writing, not appended
  const std::string longName(300, 'n');
  p.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::string(p.GetPresetName(0)), std::string(255, 'n'));

  TestPlugin none(TestConfig(7, 0));
  none.ModifyCurrentPreset("x");  // no preset: nothing to modify
  EXPECT_STREQ(none.GetPresetName(0), "");
}

TEST(IFxBasePresets, BankRoundTripsNamesMarksAndCurrentValues) {
  TestPlugin p(TestConfig(7, 3));
  SetValues(p, {10.0, 20.0, 0.1, 1.0, 0.0, 30.0, 0.2});
  p.GetPreset(0)->SetName("first");
  p.GetPreset(0)->initialized = true;
  p.ModifyCurrentPreset();
  p.GetPreset(1)->SetName("");
  p.GetPreset(2)->SetName("third, not initialised");
  TraceCapture trace;
  StateChunk bank;
  IFxBase::WriteChunkHeader(bank);
  ASSERT_TRUE(p.SerializePresets(bank));
  EXPECT_EQ(trace.TextsOf("fx::IFxBase::SerializePresets"),
            (std::vector<std::string>{"0 first", "1 ", "2 third, not initialised"}));
  // name, mark, body; name, mark; name, mark
  EXPECT_EQ(bank.Size(), 8 + (4 + 5 + 1 + 56) + (4 + 0 + 1) + (4 + 22 + 1));

  TestPlugin q(TestConfig(7, 3));
  q.GetPreset(1)->initialized = true;  // marks are overwritten from the bank
  std::int32_t pos = 0;
  ASSERT_EQ(IFxBase::ReadChunkVersion(bank, pos), fx::ChunkFormatVersion);
  EXPECT_EQ(q.UnserializePresets(bank, pos), bank.Size());
  for (std::int32_t i = 0; i < 3; ++i) {
    EXPECT_STREQ(q.GetPresetName(i), p.GetPresetName(i));
    EXPECT_EQ(q.GetPreset(i)->initialized, p.GetPreset(i)->initialized);
  }
  EXPECT_EQ(Values(q), Values(p));
  EXPECT_EQ(trace.TextsOf("fx::IFxBase::UnserializePresets").size(), 3u);
}

TEST(IFxBasePresets, TruncatedBankKeepsPreviousNameAndFails) {
  TestPlugin p(TestConfig(7, 2));
  p.GetPreset(0)->SetName("alpha");
  p.GetPreset(0)->initialized = true;
  p.ModifyCurrentPreset();
  StateChunk bank;
  p.SerializePresets(bank);
  bank.Resize(bank.Size() - 3);  // second name runs past the end
  TestPlugin q(TestConfig(7, 2));
  EXPECT_EQ(q.UnserializePresets(bank, 0), -1);
  EXPECT_STREQ(q.GetPresetName(0), "alpha");
  EXPECT_STREQ(q.GetPresetName(1), "alpha");  // the work text keeps the previous name
}

TEST(IFxBasePresets, OverlongStoredNameIsCutTo255Characters) {
  StateChunk bank;
  const std::string longName(1000, 'q');
  bank.PutText(longName.c_str());
  bank.PutByte(1);
  TestPlugin q(TestConfig(7, 1));
  q.SerializeParams(bank);
  EXPECT_EQ(q.UnserializePresets(bank, 0), bank.Size());
  EXPECT_EQ(std::string(q.GetPresetName(0)), std::string(255, 'q'));
}

TEST(IFxAPIBaseState, StateMatchesComparesToFloatPrecision) {
  TestPlugin p;
  std::vector<double> data(9, 0.0);
  for (std::int32_t i = 0; i < 7; ++i) data[static_cast<std::size_t>(i) + 2] = p.GetParam(i)->GetValue();
  data[3] += 1e-9;  // lost when narrowed to float
  EXPECT_TRUE(p.StateMatches(data.data(), 9, 2));
  data[4] += 0.001;
  EXPECT_FALSE(p.StateMatches(data.data(), 9, 2));
  EXPECT_FALSE(p.StateMatches(data.data(), 9, 3));  // would read past the data
  EXPECT_FALSE(p.StateMatches(nullptr, 9, 0));
  EXPECT_FALSE(p.StateMatches(data.data(), 9, -1));
}

}  // namespace
