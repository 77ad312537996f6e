#include "audio/mp3_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "test_files.h"

using platform::audio::Mp3Decoder;

namespace {

std::vector<uint8_t> DecodeAll(Mp3Decoder& decoder) {
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> chunk(7000);  // not a multiple of any frame size on purpose
  size_t got;
  while ((got = decoder.Read(chunk.data(), chunk.size())) > 0) pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + got);
  return pcm;
}

}  // namespace

TEST(Mp3Decoder, EveryRealFileOpensWithItsFormatAndLength) {
  for (const RealMp3& f : kRealMp3s) {
    SCOPED_TRACE(f.name);
    const std::vector<uint8_t> bytes = ReadWholeFile(TestDataPath(std::string("mp3/") + f.name));
    ASSERT_FALSE(bytes.empty());
    std::string error;
    auto decoder = Mp3Decoder::Open(bytes.data(), bytes.size(), &error);
    ASSERT_TRUE(decoder) << error;
    EXPECT_EQ(decoder->Rate(), f.rate);
    EXPECT_EQ(decoder->Channels(), f.channels);
    EXPECT_EQ(decoder->LengthBytes(), f.bytes);
    EXPECT_EQ(DecodeAll(*decoder).size(), f.bytes);
    EXPECT_EQ(decoder->Tell(), f.bytes);
  }
}

TEST(Mp3Decoder, MatchesTheReferenceDecodeWithinOneStep) {
  // The LAME-tagged stream has no decoder delay left, so it lines up with the reference.
  const auto bytes = ReadWholeFile(TestDataPath("mp3/minimp3_l3-nonstandard-sin1k0db_lame_vbrtag.mp3"));
  const auto reference = ReadWholeFile(TestDataPath("mp3/minimp3_l3-nonstandard-sin1k0db_lame_vbrtag.pcm"));
  std::string error;
  auto decoder = Mp3Decoder::Open(bytes.data(), bytes.size(), &error);
  ASSERT_TRUE(decoder) << error;
  const auto pcm = DecodeAll(*decoder);
  ASSERT_EQ(pcm.size(), reference.size());
  int worst = 0;
  for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
    int16_t a, b;
    std::memcpy(&a, &pcm[i], 2);
    std::memcpy(&b, &reference[i], 2);
    worst = std::max(worst, std::abs(a - b));
  }
  EXPECT_LE(worst, 1);
}

TEST(Mp3Decoder, SeeksToTheExactSampleFrame) {
  for (const char* name : {"minimp3_l3-nonstandard-sin1k0db_lame_vbrtag.mp3", "minimp3_l3-he_44khz.mp3",
                           "tinytag_vbr44stereo.mp3"}) {
    SCOPED_TRACE(name);
    const auto bytes = ReadWholeFile(TestDataPath(std::string("mp3/") + name));
    std::string error;
    auto decoder = Mp3Decoder::Open(bytes.data(), bytes.size(), &error);
    ASSERT_TRUE(decoder) << error;
    const auto whole = DecodeAll(*decoder);
    const uint64_t length = decoder->LengthBytes();
    // Frame starts, the middle of an MPEG frame, an odd byte (rounded down), the very end.
    for (uint64_t target : {uint64_t{0}, uint64_t{4608}, uint64_t{123457}, length / 2 + 1, length - 4000, length}) {
      SCOPED_TRACE(target);
      ASSERT_TRUE(decoder->Seek(target));
      const uint64_t at = target - target % decoder->FrameBytes();
      EXPECT_EQ(decoder->Tell(), at);
      std::vector<uint8_t> chunk(4000);
      const size_t got = decoder->Read(chunk.data(), chunk.size());
      ASSERT_EQ(got, std::min<uint64_t>(chunk.size(), length - at));
      EXPECT_EQ(0, std::memcmp(chunk.data(), whole.data() + at, got));
    }
    EXPECT_FALSE(decoder->Seek(length + decoder->FrameBytes()));
  }
}

TEST(Mp3Decoder, RefusesWhatIsNotAnMp3Stream) {
  std::vector<uint8_t> noise(20000);
  uint32_t state = 12345;
  for (auto& b : noise) b = static_cast<uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
  const std::string text = "ID3 is not enough: this is a text file that happens to start like a tag.";
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"noise", noise},
      {"text", std::vector<uint8_t>(text.begin(), text.end())},
      {"jpeg", ReadWholeFile(TestDataPath("images/irr_t351sml.jpg"))},
      // Raw PCM of a sine holds chance frame syncs that a lenient decoder strings together.
      {"pcm", ReadWholeFile(TestDataPath("mp3/minimp3_l3-sin1k0db.pcm"))},
      {"one header", {0xFF, 0xFB, 0x90, 0x64}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_FALSE(Mp3Decoder::Open(c.bytes.data(), c.bytes.size(), &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(Mp3Decoder, ReadsOnlyTheBytesItIsGiven) {
  // The first half of a file, in a buffer of exactly that size: the decoder must stop at its
  // end (the sanitizer builds would see a read past it), giving a shorter stream.
  const auto bytes = ReadWholeFile(TestDataPath("mp3/minimp3_l3-sin1k0db.mp3"));
  const std::vector<uint8_t> half(bytes.begin(), bytes.begin() + bytes.size() / 2);
  std::string error;
  auto decoder = Mp3Decoder::Open(half.data(), half.size(), &error);
  ASSERT_TRUE(decoder) << error;
  const auto pcm = DecodeAll(*decoder);
  EXPECT_EQ(pcm.size(), decoder->LengthBytes());
  EXPECT_GT(pcm.size(), 1460736u / 2 - 20000);
  EXPECT_LT(pcm.size(), 1460736u / 2 + 20000);

  // Damage in the middle: decoding goes on past it and never runs over the length.
  std::vector<uint8_t> damaged = bytes;
  for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 3000; ++i) damaged[i] = static_cast<uint8_t>(i * 7);
  decoder = Mp3Decoder::Open(damaged.data(), damaged.size(), &error);
  ASSERT_TRUE(decoder) << error;
  EXPECT_LE(DecodeAll(*decoder).size(), decoder->LengthBytes());
}
