// The media control layer: the MCI command surface the media player talks to,
// the devices it opens, and the media voice they play through. Portable: the
// sound backend gives the output and the MIDI renderer (platform/sound/sound_output.h).
#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "platform/files/file_report.h"
#include "platform/sound/media_files.h"
#include "platform/sound/sound_output.h"

namespace tv {

namespace {

constexpr uint32_t kErrUnrecognizedCommand = MCIERR_BASE + 5;
constexpr uint32_t kErrInvalidDeviceName = MCIERR_BASE + 7;
constexpr uint32_t kErrMissingParameter = MCIERR_BASE + 17;
constexpr uint32_t kErrUnsupportedFunction = MCIERR_BASE + 18;
constexpr uint32_t kErrExtensionNotFound = MCIERR_BASE + 25;
constexpr uint32_t kErrNullParameterBlock = MCIERR_BASE + 41;
constexpr uint32_t kErrFilenameRequired = MCIERR_BASE + 48;
// This layer's own codes, 256 above the base, clear of the standard ones: a code
// is looked up by number for its text and for whether its file is named on stderr.
constexpr uint32_t kErrDriver = MCIERR_BASE + 256;
constexpr uint32_t kErrFileEmpty = kErrDriver + 0;
constexpr uint32_t kErrNotMidi = kErrDriver + 1;
constexpr uint32_t kErrNotWave = kErrDriver + 2;
constexpr uint32_t kErrNoAudioDevice = kErrDriver + 3;
constexpr uint32_t kErrNoSoundFont = kErrDriver + 4;
constexpr uint32_t kErrUnreadable = kErrDriver + 5;
constexpr uint32_t kErrTooLarge = kErrDriver + 6;
constexpr uint32_t kErrTooManyDevices = kErrDriver + 7;
constexpr uint32_t kErrNotRegular = kErrDriver + 8;
constexpr uint32_t kErrNoSynthesiser = kErrDriver + 9;
constexpr uint32_t kErrNoMidiOutput = kErrDriver + 10;

struct CodeText {
  uint32_t code;
  const char* text;
};
constexpr CodeText kTexts[] = {
    {MCIERR_INVALID_DEVICE_ID, "The device identifier is not that of an open device."},
    {kErrUnrecognizedCommand, "The device does not recognise this command."},
    {kErrInvalidDeviceName, "The device type is not known: use sequencer or waveaudio."},
    {kErrMissingParameter, "The command needs a parameter that was not given."},
    {kErrUnsupportedFunction, "The device cannot carry out this command with the options given."},
    {MCIERR_FILE_NOT_FOUND, "The specified file was not found."},
    {kErrExtensionNotFound, "No device plays files of this kind: use .mid, .midi, .rmi or .wav."},
    {kErrNullParameterBlock, "The command was given no parameter record."},
    {kErrFilenameRequired, "A file name is required to open this device."},
    {kErrFileEmpty, "The file is empty."},
    {kErrNotMidi, "The file is not a valid MIDI file."},
    {kErrNotWave, "The file is not a valid wave file."},
    {kErrNoAudioDevice, "No audio device is available."},
    {kErrNoSoundFont, "The sound font for MIDI music could not be loaded."},
    {kErrUnreadable, "The file cannot be read."},
    {kErrTooLarge, "The file is too large to be played."},
    {kErrTooManyDevices, "Too many devices are open."},
    {kErrNotRegular, "The file is not a regular file."},
    {kErrNoSynthesiser, "The synthesiser for MIDI music (FluidSynth) could not be loaded."},
    {kErrNoMidiOutput, "No MIDI output device is available for music without its recording."},
};

uint32_t CodeOf(FileCheck check) {
  switch (check) {
    case FileCheck::Ok: return 0;
    case FileCheck::NotFound: return MCIERR_FILE_NOT_FOUND;
    case FileCheck::NotRegular: return kErrNotRegular;
    case FileCheck::Unreadable: return kErrUnreadable;
    case FileCheck::Empty: return kErrFileEmpty;
    case FileCheck::TooLarge: return kErrTooLarge;
    case FileCheck::NotMidi: return kErrNotMidi;
    case FileCheck::NotWave: return kErrNotWave;
  }
  return kErrUnreadable;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Whether an open failed for the file itself (what it holds, or that it is
// missing): such a file is named on stderr. No audio device or no synthesiser
// is the machine's state, not the file's, said once on stderr as it is found.
bool FileCannotBePlayed(uint32_t code) {
  for (uint32_t c : {MCIERR_FILE_NOT_FOUND, kErrExtensionNotFound, kErrFileEmpty, kErrNotMidi, kErrNotWave,
                     kErrNoSoundFont, kErrUnreadable, kErrTooLarge, kErrNotRegular})
    if (code == c) return true;
  return false;
}

// Only the rate's whole milliseconds: the same conversion for position and length,
// so a medium played to its end reports a position equal to its length.
uint32_t FramesToMs(uint64_t frames, int rate) {
  return uint32_t(std::min<uint64_t>(frames * 1000 / uint64_t(rate), UINT32_MAX));
}

enum class Kind { Sequencer, WaveAudio };

struct Device {
  uint16_t id = 0;
  Kind kind = Kind::WaveAudio;
  uint32_t lengthMs = 0;
  uint64_t lengthFrames = 0;
  std::vector<float> pcm;                   // wave audio, interleaved stereo
  std::unique_ptr<MidiRenderer> midi;       // sequencer
  // Shared with the audio thread: changed only with the audio device locked.
  uint64_t position = 0;     // frames played
  bool playing = false;
  bool ended = false;        // the sequencer reached the end of its piece
  MciCallback notifyTo = 0;  // who is told when the play in progress ends
};

struct Notice {
  uint16_t id;
  uint32_t code;
  MciCallback to;
};

class MediaControlLayer final : public MediaControl, private MediaVoice {
 public:
  MediaControlLayer(SoundOutput& output, MidiRendererMaker midi, MediaPostSink post)
      : output_(output), makeMidi_(std::move(midi)), post_(std::move(post)) {}

  ~MediaControlLayer() override {
    SoundOutputLock lock(output_);
    output_.RemoveVoice(this);
    // Nobody is left to read notices; the sequences go with the synthesiser locked out.
    voice_ = nullptr;
    devices_.clear();
  }

  uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) override {
    if (!params) return kErrNullParameterBlock;
    if (command == MCI_OPEN) {
      auto& open = *static_cast<MciOpenParms*>(params);
      const uint32_t err = Open(flags, open);
      if (FileCannotBePlayed(err)) ReportUnusableFile(open.elementName, ErrorText(err));
      return err;
    }
    auto it = devices_.find(deviceId);
    if (it == devices_.end()) return MCIERR_INVALID_DEVICE_ID;
    Device& d = *it->second;
    switch (command) {
      case MCI_CLOSE: return Close(it, flags, static_cast<MciGenericParms*>(params)->callback);
      case MCI_PLAY: return Play(d, flags, *static_cast<MciPlayParms*>(params));
      case MCI_SEEK: return Seek(d, flags, *static_cast<MciSeekParms*>(params));
      case MCI_STATUS: return Status(d, flags, *static_cast<MciStatusParms*>(params));
      case MCI_GETDEVCAPS: return DevCaps(d, flags, *static_cast<MciGetDevCapsParms*>(params));
      default: return kErrUnrecognizedCommand;
    }
  }

  std::string ErrorText(uint32_t code) override {
    for (const auto& t : kTexts)
      if (t.code == code) return t.text;
    return {};
  }

 private:
  using DeviceMap = std::map<uint16_t, std::unique_ptr<Device>>;

  uint32_t Open(uint32_t flags, MciOpenParms& p) {
    constexpr uint32_t kKnown = MCI_NOTIFY | MCI_WAIT | MCI_OPEN_SHAREABLE | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE;
    if (flags & ~kKnown) return kErrUnsupportedFunction;
    if (!(flags & MCI_OPEN_ELEMENT) || p.elementName.empty()) return kErrFilenameRequired;

    Kind kind;
    if (flags & MCI_OPEN_TYPE) {
      const std::string type = Lower(p.deviceType);
      if (type == "sequencer") kind = Kind::Sequencer;
      else if (type == "waveaudio") kind = Kind::WaveAudio;
      else return kErrInvalidDeviceName;
    } else {
      const std::string& name = p.elementName;
      const size_t dot = name.find_last_of('.');
      const std::string ext = dot == std::string::npos || name.find('/', dot) != std::string::npos
                                  ? std::string()
                                  : Lower(name.substr(dot));
      if (ext == ".mid" || ext == ".midi" || ext == ".rmi") kind = Kind::Sequencer;
      else if (ext == ".wav") kind = Kind::WaveAudio;
      else return kErrExtensionNotFound;
    }

    if (!output_.Ready()) return kErrNoAudioDevice;

    auto d = std::make_unique<Device>();
    d->kind = kind;
    std::vector<uint8_t> bytes;
    if (uint32_t err = CodeOf(ReadMediaFile(p.elementName, bytes))) return err;
    if (kind == Kind::Sequencer) {
      if (uint32_t err = CodeOf(ParseMidi(bytes, d->lengthMs))) return err;
      d->lengthFrames = uint64_t(d->lengthMs) * uint64_t(output_.Rate()) / 1000;
      // Made before the lock (it may open a recording or load a synthesiser),
      // swapped in under it below: the audio thread never waits for a maker.
      MidiMissing missing = MidiMissing::SoundFont;
      d->midi = makeMidi_ ? makeMidi_(std::move(bytes), missing) : nullptr;
      if (!d->midi) {
        if (missing == MidiMissing::Output) return kErrNoMidiOutput;
        return missing == MidiMissing::Synthesiser ? kErrNoSynthesiser : kErrNoSoundFont;
      }
    } else {
      if (uint32_t err = CodeOf(DecodeWave(bytes, output_.Rate(), d->pcm))) return err;
      d->lengthFrames = d->pcm.size() / 2;
      d->lengthMs = FramesToMs(d->lengthFrames, output_.Rate());
    }

    const uint16_t id = NextId();
    if (id == 0) {
      SoundOutputLock lock(output_);
      d.reset();
      return kErrTooManyDevices;
    }
    d->id = id;
    std::vector<Notice> notices;
    {
      // One sound at a time: what sounded stops as the new medium is ready.
      SoundOutputLock lock(output_);
      CutVoice(MCI_NOTIFY_ABORTED, notices);
      devices_[id] = std::move(d);
    }
    p.deviceId = id;
    if (flags & MCI_NOTIFY) notices.push_back({id, MCI_NOTIFY_SUCCESSFUL, p.callback});
    Post(notices);
    return 0;
  }

  uint32_t Close(DeviceMap::iterator it, uint32_t flags, MciCallback callback) {
    const uint16_t id = it->first;
    std::vector<Notice> notices;
    {
      SoundOutputLock lock(output_);
      if (voice_ == it->second.get()) CutVoice(MCI_NOTIFY_ABORTED, notices);
      devices_.erase(it);  // a sequence must go while the synthesiser is locked
    }
    if (flags & MCI_NOTIFY) notices.push_back({id, MCI_NOTIFY_SUCCESSFUL, callback});
    Post(notices);
    return 0;
  }

  uint32_t Play(Device& d, uint32_t flags, const MciPlayParms& p) {
    // Playing a stretch, or holding the caller until the end, is more than the game needs.
    if (flags & ~(MCI_NOTIFY)) return kErrUnsupportedFunction;
    std::vector<Notice> notices;
    {
      SoundOutputLock lock(output_);
      if (voice_ != &d) CutVoice(MCI_NOTIFY_ABORTED, notices);
      if (d.notifyTo) notices.push_back({d.id, MCI_NOTIFY_SUPERSEDED, d.notifyTo});
      d.notifyTo = (flags & MCI_NOTIFY) ? p.callback : 0;
      // A sequence already at its end is not started again: it ends at once, as a wave does.
      if (d.kind == Kind::Sequencer && !d.playing && !d.ended) d.midi->Start();
      d.playing = true;
      voice_ = &d;
      tail_ = 0;
      output_.SetVoice(this);
    }
    Post(notices);
    return 0;
  }

  uint32_t Seek(Device& d, uint32_t flags, const MciSeekParms& p) {
    const uint32_t where = flags & (MCI_SEEK_TO_START | MCI_SEEK_TO_END | MCI_TO);
    if (where != MCI_SEEK_TO_START && where != MCI_SEEK_TO_END) return kErrUnsupportedFunction;
    std::vector<Notice> notices;
    bool lost = false;
    {
      SoundOutputLock lock(output_);
      // Seeking stops the piece and tells the cut-off play so (aborted): the
      // renderer is left halted at its new place and Play starts only a stopped
      // device, so a tune left marked playing would stay silent at the next Play
      // (SdlMediaTest.SeekingToTheStartRewindsAndStopsAPlayingPiece).
      if (voice_ == &d) CutVoice(MCI_NOTIFY_ABORTED, notices);
      if (where == MCI_SEEK_TO_START) {
        d.position = 0;
        d.ended = false;
        lost = d.midi && !d.midi->Rewind();
      } else {
        d.position = d.lengthFrames;
        d.ended = true;
        if (d.midi) d.midi->Stop();
      }
    }
    // The play that was cut off is told so even when the seek itself fails.
    if (!lost && (flags & MCI_NOTIFY)) notices.push_back({d.id, MCI_NOTIFY_SUCCESSFUL, p.callback});
    Post(notices);
    return lost ? kErrNoSoundFont : 0;
  }

  uint32_t Status(Device& d, uint32_t flags, MciStatusParms& p) {
    if (!(flags & MCI_STATUS_ITEM)) return kErrMissingParameter;
    SoundOutputLock lock(output_);
    switch (p.item) {
      case MCI_STATUS_LENGTH: p.returnValue = d.lengthMs; break;
      case MCI_STATUS_POSITION:
        p.returnValue = d.ended ? d.lengthMs : std::min(FramesToMs(d.position, output_.Rate()), d.lengthMs);
        break;
      case MCI_STATUS_MODE: p.returnValue = d.playing ? MCI_MODE_PLAY : MCI_MODE_STOP; break;
      case MCI_STATUS_READY: p.returnValue = 1; break;
      default: return kErrUnsupportedFunction;
    }
    return 0;
  }

  uint32_t DevCaps(Device&, uint32_t flags, MciGetDevCapsParms& p) {
    if (!(flags & MCI_GETDEVCAPS_ITEM)) return kErrMissingParameter;
    switch (p.item) {
      case MCI_GETDEVCAPS_CAN_PLAY:
      case MCI_GETDEVCAPS_HAS_AUDIO: p.returnValue = 1; break;
      case MCI_GETDEVCAPS_CAN_RECORD:
      case MCI_GETDEVCAPS_CAN_EJECT: p.returnValue = 0; break;
      default: return kErrUnsupportedFunction;
    }
    return 0;
  }

  // The smallest free identifier after the last one handed out; 0 if none is free.
  uint16_t NextId() {
    for (int n = 0; n < 65535; ++n) {
      lastId_ = uint16_t(lastId_ == 65535 ? 1 : lastId_ + 1);
      if (!devices_.count(lastId_)) return lastId_;
    }
    return 0;
  }

  // With the audio device locked: silences the sounding device, if any.
  void CutVoice(uint32_t code, std::vector<Notice>& notices) {
    Device* v = voice_;
    if (!v) return;
    if (v->midi) v->midi->Stop();
    v->playing = false;
    if (v->notifyTo) notices.push_back({v->id, code, v->notifyTo});
    v->notifyTo = 0;
    voice_ = nullptr;
    tail_ = 0;
  }

  void Post(const std::vector<Notice>& notices) {
    for (const auto& n : notices) {
      if (!post_ || n.to == 0) continue;
      Event ev;
      ev.type = Event::Type::MediaNotify;
      ev.id = n.id;
      ev.param = n.code;
      post_(ev);
    }
  }

  // The audio thread, with the device locked. True while the voice plays or rings out.
  bool MixInto(float* out, int frames) override {
    Device* d = voice_;
    if (!d) return false;
    if (d->kind == Kind::WaveAudio) {
      if (!d->playing) return false;
      const uint64_t left = d->lengthFrames - std::min(d->position, d->lengthFrames);
      const size_t n = size_t(std::min<uint64_t>(left, uint64_t(frames)));
      const float* src = d->pcm.data() + 2 * d->position;
      for (size_t i = 0; i < 2 * n; ++i) out[i] += src[i];
      d->position += n;
      if (d->position >= d->lengthFrames) Finish(*d);
      return true;
    }
    if (!d->playing && tail_ == 0) return false;
    d->midi->RenderInto(out, frames);
    if (d->playing) {
      d->position += uint64_t(frames);
      if (d->midi->Finished()) {
        d->ended = true;
        d->position = std::max(d->position, d->lengthFrames);
        tail_ = uint64_t(kTailSeconds) * uint64_t(output_.Rate());
        Finish(*d);
      }
    } else {
      tail_ -= std::min<uint64_t>(tail_, uint64_t(frames));
    }
    return true;
  }

  // Another media control took the audio device's voice.
  void Replaced() override {
    std::vector<Notice> notices;
    CutVoice(MCI_NOTIFY_ABORTED, notices);
    Post(notices);
  }

  void Finish(Device& d) {
    d.playing = false;
    if (d.notifyTo) Post({{d.id, MCI_NOTIFY_SUCCESSFUL, d.notifyTo}});
    d.notifyTo = 0;
  }

  // After a sequence ends its last notes still ring out for a while.
  static constexpr int kTailSeconds = 2;

  SoundOutput& output_;
  MidiRendererMaker makeMidi_;
  MediaPostSink post_;
  DeviceMap devices_;
  Device* voice_ = nullptr;  // read by the audio thread
  uint64_t tail_ = 0;        // frames of ringing still to render after a sequence ended
  uint16_t lastId_ = 0;
};

}  // namespace

std::unique_ptr<MediaControl> MakeMediaControl(SoundOutput& output, MidiRendererMaker midi, MediaPostSink post) {
  return std::make_unique<MediaControlLayer>(output, std::move(midi), std::move(post));
}

}  // namespace tv
