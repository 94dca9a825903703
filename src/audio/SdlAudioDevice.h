#pragma once
// The real sound device through SDL2's audio subsystem: one playback device
// (the engine's mixer feeds it from SDL's audio thread) and one capture
// device. With SDL_AUDIODRIVER=disk, what is played goes to the raw S16LE
// file SDL_DISKAUDIOFILE and recording reads SDL_DISKAUDIOFILEIN;
// SDL_DISKAUDIODELAY=0 drops real-time pacing.

#include "audio/AudioDevice.h"

#include <memory>

namespace zarelo {

// The device the program uses by default.
std::unique_ptr<AudioDevice> MakeSdlAudioDevice();

} // namespace zarelo
