// Reading whole files for the audio tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> ReadWholeFile(const std::string& path);
std::string TestDataPath(const std::string& relative);
