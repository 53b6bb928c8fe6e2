#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/base/event.h"
#include "platform/sound/media_control.h"

namespace tv {

enum class MPDeviceType { dtAutoSelect, dtWaveAudio, dtSequencer };

// The hidden media player widget M1: opens the file named by FileName on the
// media control layer, plays it without waiting and closes it. One device at
// a time: opening closes whatever was open before, so the old sound stops.
class TMediaPlayer {
 public:
  // What the player's (never shown) buttons would reflect, refreshed after
  // each successful Open and each completion notice.
  struct ButtonState {
    uint32_t length = 0;
    uint32_t position = 0;
    uint32_t mode = 0;
    bool canPlay = false;
    bool canRecord = false;
    bool canEject = false;
  };

  explicit TMediaPlayer(MediaControl& mci);
  ~TMediaPlayer();
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  // Opens FileName; raises EMCIDeviceError with the layer's text on failure,
  // leaving no device open.
  void Open();
  // Starts the open device and returns at once; raises EMCIDeviceError when
  // none is open. The layer's result for the play command is kept in Error().
  void Play();
  // Closes the open device, stopping its sound. Raises nothing.
  void Close();

  // A completion notice from the loop (Event::Type::MediaNotify).
  void HandleNotify(const Event& ev);
  // The notify event; the game binds nothing to it.
  std::function<void(uint32_t notifyCode)> OnNotify;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name) { fileName_ = name; }  // opens nothing

  MPDeviceType DeviceType() const { return deviceType_; }
  void SetDeviceType(MPDeviceType t) { deviceType_ = t; }
  bool Shareable() const { return shareable_; }
  void SetShareable(bool s) { shareable_ = s; }
  bool AutoRewind() const { return autoRewind_; }
  void SetAutoRewind(bool r) { autoRewind_ = r; }
  bool AutoOpen() const { return false; }
  bool Visible() const { return false; }

  bool IsOpen() const { return opened_; }
  uint16_t DeviceID() const { return deviceId_; }
  uint32_t Error() const { return error_; }        // last result of the layer
  uint32_t LastFlags() const { return flags_; }    // flags of the last command sent
  const ButtonState& Buttons() const { return buttons_; }

  // The token the layer's notices are addressed to: this player's window.
  MciCallback Handle() const { return reinterpret_cast<MciCallback>(this); }

 private:
  uint32_t StatusItem(uint32_t item);
  bool DevCap(uint32_t item);
  void RefreshButtons();
  std::string ErrorMessage(uint32_t code);

  MediaControl& mci_;
  std::string fileName_;
  MPDeviceType deviceType_ = MPDeviceType::dtAutoSelect;
  bool shareable_ = false;
  bool autoRewind_ = true;

  bool opened_ = false;
  uint16_t deviceId_ = 0;
  uint32_t error_ = 0;
  uint32_t flags_ = 0;
  ButtonState buttons_;
};

// The game's one use of the player: name the file, open it, play it. Errors
// propagate; each call site decides whether to drop them.
void PlayFile(TMediaPlayer& player, const std::string& path);

}  // namespace tv
