#include "frame_sink.h"

#include <filesystem>
#include <system_error>

#include "mp4_sink.h"
#include "png_directory_sink.h"

namespace {

class DiscardSink : public FrameSink {
 public:
  bool Write(int, const uint8_t*, UINT, UINT, std::string*) override { return true; }
  std::string Describe() const override { return "frames discarded"; }
};

}  // namespace

std::unique_ptr<FrameSink> OpenFrameSink(const std::string& out, UINT fps, std::string* error) {
  if (out == "none") return std::make_unique<DiscardSink>();
  if (IsVideoOutput(out)) return OpenMp4Sink(out, fps, error);
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (!std::filesystem::is_directory(out)) {
    *error = "cannot make the output directory '" + out + "'" +
             (ec ? ": " + ec.message() : std::string(": a file of that name is in the way"));
    return nullptr;
  }
  return std::make_unique<PngDirectorySink>(out);
}
