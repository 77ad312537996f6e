// The soundtrack the build generates, decoded as the demo will decode it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/mp3_decoder.h"
#include "test_files.h"

using platform::audio::Mp3Decoder;

namespace {

constexpr double kBytesPerSecond = 176400.0;

class Soundtrack : public ::testing::Test {
 protected:
  void SetUp() override {
    mp3 = ReadWholeFile(VANTREL_SOUNDTRACK_MP3);
    ASSERT_FALSE(mp3.empty()) << VANTREL_SOUNDTRACK_MP3;
    std::string error;
    decoder = Mp3Decoder::Open(mp3.data(), mp3.size(), &error);
    ASSERT_TRUE(decoder) << error;
    std::vector<uint8_t> chunk(65536);
    size_t got;
    while ((got = decoder->Read(chunk.data(), chunk.size())) > 0) {
      const size_t at = pcm.size();
      pcm.resize(at + got / 2);
      std::memcpy(pcm.data() + at, chunk.data(), got);
    }
  }

  // RMS level of the mix between two times, in dBFS.
  double Rms(double from, double to, bool side = false) const {
    const size_t a = static_cast<size_t>(from * 44100) * 2, b = static_cast<size_t>(to * 44100) * 2;
    double sum = 0;
    for (size_t i = a; i < b && i + 1 < pcm.size(); i += 2) {
      const double v = side ? (pcm[i] - pcm[i + 1]) * 0.5 : (pcm[i] + pcm[i + 1]) * 0.5;
      sum += v * v;
    }
    return 10.0 * std::log10(sum / ((b - a) / 2) / (32768.0 * 32768.0) + 1e-20);
  }

  std::vector<uint8_t> mp3;
  std::unique_ptr<Mp3Decoder> decoder;
  std::vector<int16_t> pcm;
};

}  // namespace

TEST_F(Soundtrack, Is44100HzStereoLongerThanTheDemoAt192KbitOrMore) {
  EXPECT_EQ(decoder->Rate(), 44100);
  EXPECT_EQ(decoder->Channels(), 2);
  EXPECT_GT(decoder->LengthBytes(), 2838000u);
  EXPECT_GE(decoder->LengthBytes(), 17 * 176400u);
  EXPECT_EQ(pcm.size() * 2, decoder->LengthBytes());
  const double seconds = decoder->LengthBytes() / kBytesPerSecond;
  EXPECT_GE(mp3.size() * 8.0 / seconds, 192000.0);
}

TEST_F(Soundtrack, PeaksNearMinusOneDbfsWithoutClipping) {
  int peak = 0;
  size_t railHits = 0;
  for (int16_t s : pcm) {
    peak = std::max(peak, std::abs(static_cast<int>(s)));
    railHits += (s == 32767 || s == -32768);
  }
  EXPECT_EQ(railHits, 0u);
  const double peakDb = 20.0 * std::log10(peak / 32768.0);
  EXPECT_GT(peakDb, -2.0);
  EXPECT_LT(peakDb, -0.2);
}

TEST_F(Soundtrack, FollowsTheTimeline) {
  // Silence is not music: every stretch carries sound up to the end of the demo.
  for (double t = 0.5; t < 16.0; t += 0.5) EXPECT_GT(Rms(t, t + 0.5), -40.0) << "at " << t << " s";
  // The cut at 9.16 s brings a clear step up in energy...
  EXPECT_GT(Rms(9.16, 10.99), Rms(5.5, 7.33) + 4.0);
  // ...the closing chord is still sounding at the end of the demo and decays after it.
  EXPECT_GT(Rms(15.6, 16.09), -30.0);
  EXPECT_LT(Rms(17.0, 17.5), Rms(15.6, 16.09) - 6.0);
  // Real stereo: the difference of the channels is far from silent.
  EXPECT_GT(Rms(2.0, 16.0, true), Rms(2.0, 16.0) - 12.0);
}
