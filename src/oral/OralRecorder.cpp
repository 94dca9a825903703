#include "oral/OralRecorder.h"

#include "oral/VoiceWave.h"

#include <QFile>

namespace zarelo {

QString InputTypeName(DWORD flags)
{
    static const char* const names[] = {"digital",   "line-in",   "话筒",       "midi synth",
                                        "analog cd", "telephone", "pc speaker", "wave/pcm",
                                        "aux",       "analog"};
    const DWORD type = flags >> 24;
    if (type >= 1 && type <= 10)
        return QString::fromUtf8(names[type - 1]);
    return QStringLiteral("undefined");
}

OralRecorder::OralRecorder(AudioEngine& engine) : engine_(engine) {}

OralRecorder::~OralRecorder()
{
    Release();
}

bool OralRecorder::InitDevice()
{
    deviceOpen_ = engine_.BASS_RecordInit(-1);
    return deviceOpen_;
}

QStringList OralRecorder::InputNames()
{
    QStringList names;
    for (int i = 0;; ++i) {
        const char* name = engine_.BASS_RecordGetInputName(i);
        if (!name)
            break;
        names << QString::fromUtf8(name);
    }
    return names;
}

DWORD OralRecorder::InputFlags(int input, float* volume)
{
    return engine_.BASS_RecordGetInput(input, volume);
}

void OralRecorder::SelectInput(int input)
{
    for (int i = 0; engine_.BASS_RecordSetInput(i, BASS_INPUT_OFF, -1.0f); ++i) {
    }
    engine_.BASS_RecordSetInput(input, BASS_INPUT_ON, -1.0f);
}

void OralRecorder::SetInputVolume(int input, float volume)
{
    engine_.BASS_RecordSetInput(input, 0, volume);
}

bool OralRecorder::IsRecording() const
{
    return RecordingHandle != 0 && engine_.BASS_ChannelIsActive(RecordingHandle) != 0;
}

bool OralRecorder::Start()
{
    // The stream reads the buffer in place: it goes first.
    if (!Buffer.empty()) {
        engine_.BASS_StreamFree(OwnVoiceStream);
        OwnVoiceStream = 0;
        Buffer.clear();
    }
    uint8_t header[kWavHeaderBytes];
    WriteWavHeader(header);
    Buffer.append(header, sizeof header);
    RecordingHandle =
        engine_.BASS_RecordStart(kRecordRate, kRecordChannels, 0, &RecordCallback, this);
    if (RecordingHandle == 0) {
        Buffer.clear();
        return false;
    }
    return true;
}

bool OralRecorder::Stop()
{
    // Once the stop returns no callback runs: the buffer is this thread's again.
    engine_.BASS_ChannelStop(RecordingHandle);
    if (Buffer.size() < kWavHeaderBytes)
        return false; // no recording was started
    WriteWavSizes(Buffer.data(), Buffer.size());
    OwnVoiceStream = engine_.BASS_StreamCreateFile(true, Buffer.data(), 0, Buffer.size(), 0);
    return OwnVoiceStream != 0;
}

bool OralRecorder::Save(const QString& path, QString* error) const
{
    QFile file(path);
    const auto bytes = reinterpret_cast<const char*>(Buffer.data());
    const qint64 size = qint64(Buffer.size());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes, size) == size &&
        file.flush())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

std::vector<uint32_t> OralRecorder::MeasureOwnLevels(const QString& savedFile)
{
    if (OwnVoiceStream == 0)
        return {};
    const QByteArray path = QFile::encodeName(savedFile);
    const HSTREAM decoder =
        savedFile.isEmpty()
            ? engine_.BASS_StreamCreateFile(true, Buffer.data(), 0, Buffer.size(),
                                            BASS_STREAM_DECODE)
            : engine_.BASS_StreamCreateFile(false, path.constData(), 0, 0, BASS_STREAM_DECODE);
    if (decoder == 0)
        return {};
    const double seconds = engine_.BASS_ChannelBytes2Seconds(
        decoder, engine_.BASS_ChannelGetLength(OwnVoiceStream, BASS_POS_BYTE));
    std::vector<uint32_t> levels = ReadLevels(engine_, decoder, LevelCount(seconds));
    engine_.BASS_StreamFree(decoder);
    return levels;
}

void OralRecorder::Release()
{
    if (deviceOpen_) {
        engine_.BASS_RecordFree(); // a running recording ends with it
        deviceOpen_ = false;
    }
    engine_.BASS_StreamFree(OwnVoiceStream);
    OwnVoiceStream = 0;
    Buffer.clear();
}

bool OralRecorder::RecordCallback(HRECORD, const void* buffer, DWORD length, void* user)
{
    return static_cast<OralRecorder*>(user)->Buffer.append(buffer, length);
}

} // namespace zarelo
