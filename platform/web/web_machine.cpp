#include "platform/web/web_machine.h"

#include <stdexcept>
#include <vector>

#include "platform/files/file_read.h"
#include "platform/files/system.h"
#include "platform/toolkit/atlas_text.h"
#include "platform/web/web_bmp.h"
#include "platform/web/web_page.h"
#include "platform/web/web_sound.h"

namespace tv {
namespace {

// The glyph atlas the build wrote beside the program; no font is to be had otherwise.
std::unique_ptr<TextRenderer> AtlasText() {
  const std::string path = JoinPath(ProgramDirectory(), "atlas");
  std::vector<uint8_t> bytes;
  if (int err = ReadRegularFile(path, 1 << 24, bytes))
    throw std::runtime_error("cannot read the text atlas " + path + ": " + ReadFailureText(err));
  std::string why;
  auto text = LoadAtlasText(bytes, why);
  if (!text) throw std::runtime_error("the text atlas " + path + " is damaged: " + why);
  return text;
}

}  // namespace

WebMachine::WebMachine(Options options) {
  InstallWebBitmapDecoder();
  text_ = AtlasText();
  sound_ = std::make_unique<WebSound>();
  backend_ = MakeWebBackend(sound_->device, *text_, std::move(options.window));
}

// The backend goes first (it beeps on the sound), the sound last; then the
// page says the game has ended.
WebMachine::~WebMachine() {
  backend_.reset();
  sound_.reset();
  text_.reset();
  page::Ended();
}

std::unique_ptr<MediaControl> WebMachine::MakeMediaControl(MediaPostSink post) {
  return MakeWebMediaControl(*sound_, std::move(post));
}

}  // namespace tv
