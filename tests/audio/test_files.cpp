#include "test_files.h"

#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TestDataPath(const std::string& relative) { return std::string(VANTREL_TESTDATA_DIR) + "/" + relative; }

const RealMp3 kRealMp3s[7] = {
    {"minimp3_l3-sin1k0db.mp3", 44100, 2, 730368 * 2},
    {"minimp3_l3-nonstandard-sin1k0db_lame_vbrtag.mp3", 44100, 2, 725760 * 2},
    {"minimp3_l3-he_44khz.mp3", 44100, 1, 942336 + 1152 * 2},
    {"minimp3_l3-si_block.mp3", 44100, 1, 147456},   // 1.67 s
    {"minimp3_l3-compl.mp3", 48000, 1, 248832 * 2},
    {"tinytag_vbr44stereo.mp3", 44100, 2, 1594656},  // 9.04 s once the encoder padding is cut
    {"tinytag_mpeg1_44_1khz_cbr.mp3", 44100, 2, 17640},
};
