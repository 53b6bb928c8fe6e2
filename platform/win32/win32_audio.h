#pragma once
#include <memory>

#include "platform/sound/audio_output.h"

namespace tv {

// Windows' waveOut as the mixer's output: float frames in a few 10 ms
// buffers, refilled by a thread of the output's own that sleeps on the
// device's event. The device and the thread go as soon as the mix lets them.
std::unique_ptr<AudioOutput> MakeWaveOutOutput();

}  // namespace tv
