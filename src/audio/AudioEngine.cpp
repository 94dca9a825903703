// The BASS_* operations: argument checks, opening decoders, and sending each
// call to the part that owns its handle: the Recorder for the recording's
// handle, the Mixer for every other (stream) handle.

#include "audio/AudioEngine.h"

#include "audio/Decoder.h"
#include "audio/HandleTable.h"
#include "audio/Mixer.h"
#include "audio/Recorder.h"

#include <atomic>
#include <cmath>

namespace zarelo {
namespace {

bool isByteMode(DWORD mode)
{
    return (mode & 0xFFFF) == BASS_POS_BYTE;
}

} // namespace

struct AudioEngine::Impl {
    explicit Impl(std::unique_ptr<AudioDevice> owned)
        : device(std::move(owned)), mixer(device.get(), error, handles),
          recorder(device.get(), error, handles)
    {
    }

    bool fail(int code)
    {
        error = code;
        return false;
    }

    std::unique_ptr<AudioDevice> device;
    std::atomic<int> error{BASS_OK};
    HandleCounter handles;
    Mixer mixer;
    Recorder recorder;
};

AudioEngine::AudioEngine(std::unique_ptr<AudioDevice> device)
    : impl_(std::make_unique<Impl>(std::move(device)))
{
}

AudioEngine::~AudioEngine()
{
    BASS_Free();
}

AudioDevice* AudioEngine::device() const
{
    return impl_->device.get();
}

bool AudioEngine::BASS_Init(int device, DWORD freq, DWORD, void*, void*)
{
    if (device != -1 && device != 1)
        return impl_->fail(BASS_ERROR_DEVICE);
    return impl_->mixer.open(freq);
}

bool AudioEngine::BASS_Start()
{
    return impl_->mixer.start();
}

bool AudioEngine::BASS_Free()
{
    impl_->recorder.release();
    return impl_->mixer.close();
}

HSTREAM AudioEngine::BASS_StreamCreateFile(bool mem, const void* file, QWORD offset, QWORD length,
                                           DWORD flags)
{
    Impl& d = *impl_;
    if (!d.mixer.isOpen())
        return d.fail(BASS_ERROR_INIT), 0;
    if (!file)
        return d.fail(BASS_ERROR_ILLPARAM), 0;
    std::unique_ptr<ByteSource> source;
    if (mem) {
        if (length == 0 || length > static_cast<QWORD>(INT64_MAX) || offset > length)
            return d.fail(BASS_ERROR_ILLPARAM), 0;
        source = MemorySource(static_cast<const uint8_t*>(file) + offset,
                              static_cast<int64_t>(length - offset));
    } else {
        source = FileSource(static_cast<const char*>(file), static_cast<int64_t>(offset),
                            static_cast<int64_t>(length));
        if (!source)
            return d.fail(BASS_ERROR_FILEOPEN), 0;
    }
    // Opening (an MP3 is scanned whole) takes no lock, so the device goes on
    // playing meanwhile.
    std::unique_ptr<Decoder> decoder = OpenDecoder(std::move(source));
    if (!decoder)
        return d.fail(BASS_ERROR_FILEFORM), 0;
    return d.mixer.add(std::move(decoder), (flags & BASS_STREAM_DECODE) != 0);
}

bool AudioEngine::BASS_StreamFree(HSTREAM handle)
{
    return impl_->mixer.remove(handle);
}

bool AudioEngine::BASS_ChannelPlay(DWORD handle, bool restart)
{
    Impl& d = *impl_;
    return d.recorder.owns(handle) ? d.recorder.resume() : d.mixer.play(handle, restart);
}

bool AudioEngine::BASS_ChannelStop(DWORD handle)
{
    Impl& d = *impl_;
    if (d.recorder.owns(handle)) {
        d.recorder.stop();
        return true;
    }
    return d.mixer.stop(handle);
}

DWORD AudioEngine::BASS_ChannelIsActive(DWORD handle)
{
    Impl& d = *impl_;
    const bool active =
        d.recorder.owns(handle) ? d.recorder.isRecording() : d.mixer.isPlaying(handle);
    return active ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

QWORD AudioEngine::BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    if (!isByteMode(mode))
        return impl_->fail(BASS_ERROR_NOTAVAIL), ~QWORD{0};
    return impl_->mixer.position(handle);
}

QWORD AudioEngine::BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    if (!isByteMode(mode))
        return impl_->fail(BASS_ERROR_NOTAVAIL), ~QWORD{0};
    return impl_->mixer.length(handle);
}

bool AudioEngine::BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode)
{
    if (!isByteMode(mode))
        return impl_->fail(BASS_ERROR_NOTAVAIL);
    return impl_->mixer.setPosition(handle, pos);
}

QWORD AudioEngine::BASS_ChannelSeconds2Bytes(DWORD handle, double seconds)
{
    return impl_->mixer.secondsToBytes(handle, seconds);
}

double AudioEngine::BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    return impl_->mixer.bytesToSeconds(handle, pos);
}

bool AudioEngine::BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value)
{
    Impl& d = *impl_;
    if (attrib != BASS_ATTRIB_FREQ || !value)
        return d.fail(BASS_ERROR_ILLTYPE);
    if (d.recorder.owns(handle)) {
        *value = d.recorder.rate();
        return true;
    }
    return d.mixer.rate(handle, value);
}

bool AudioEngine::BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value)
{
    if (attrib != BASS_ATTRIB_FREQ || !std::isfinite(value) || value < 0)
        return impl_->fail(BASS_ERROR_ILLPARAM);
    return impl_->mixer.setRate(handle, value);
}

bool AudioEngine::BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD)
{
    return BASS_ChannelSetAttribute(handle, attrib, value);
}

DWORD AudioEngine::BASS_ChannelGetLevel(DWORD handle)
{
    Impl& d = *impl_;
    return d.recorder.owns(handle) ? d.recorder.level() : d.mixer.level(handle);
}

DWORD AudioEngine::BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    Impl& d = *impl_;
    if (length != BASS_DATA_FFT1024 || !buffer)
        return d.fail(BASS_ERROR_ILLPARAM), ~DWORD{0};
    if (!d.recorder.owns(handle))
        return d.fail(BASS_ERROR_HANDLE), ~DWORD{0};
    d.recorder.spectrum(static_cast<float*>(buffer));
    return (Recorder::kSpectrumFrames / 2) * sizeof(float);
}

bool AudioEngine::BASS_RecordInit(int device)
{
    return impl_->recorder.init(device);
}

bool AudioEngine::BASS_RecordFree()
{
    return impl_->recorder.release();
}

const char* AudioEngine::BASS_RecordGetInputName(int input)
{
    return impl_->recorder.inputName(input);
}

DWORD AudioEngine::BASS_RecordGetInput(int input, float* volume)
{
    return impl_->recorder.input(input, volume);
}

bool AudioEngine::BASS_RecordSetInput(int input, DWORD flags, float volume)
{
    return impl_->recorder.setInput(input, flags, volume);
}

HRECORD AudioEngine::BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc,
                                      void* user)
{
    return impl_->recorder.start(freq, chans, flags, proc, user);
}

int AudioEngine::BASS_ErrorGetCode() const
{
    return impl_->error;
}

std::unique_lock<std::recursive_mutex> AudioEngine::HoldDevice()
{
    return impl_->mixer.hold();
}

int AudioEngine::PlaybackBufferFrames() const
{
    return impl_->mixer.bufferFrames();
}

} // namespace zarelo
