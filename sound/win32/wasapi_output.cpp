#include "sound/win32/wasapi_output.hpp"
#include "sound/sound_device.hpp"

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

// About 40 ms of buffer: the engine wakes the feeding thread every half of it or so,
// which keeps the device fed on a busy machine without putting the picture far behind.
constexpr REFERENCE_TIME buffer_duration_100ns = 400'000;

failure com_failure(const char* what, HRESULT result) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (0x%08lx)", what,
                  static_cast<unsigned long>(result));
    return failure(text);
}

template <typename T>
void release_com(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace

wasapi_output::wasapi_output(block_source& source, int frames_per_second, const time_source& time)
    : source_(source), frames_per_second_(frames_per_second), time_(time) {}

result<std::unique_ptr<wasapi_output>> wasapi_output::open(block_source& source,
                                                           int frames_per_second,
                                                           const time_source& time) {
    // The calling thread joins the multithreaded apartment; the show uses COM nowhere
    // else, so this cannot clash with another choice.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::unique_ptr<wasapi_output> output(new wasapi_output(source, frames_per_second, time));

    IMMDeviceEnumerator* devices = nullptr;
    HRESULT result =
        CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                         __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&devices));
    if (FAILED(result)) {
        return com_failure("creating the device enumerator", result);
    }
    IMMDevice* device = nullptr;
    result = devices->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    devices->Release();
    if (FAILED(result)) {
        return com_failure("finding the default sound device", result);
    }
    result = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                              reinterpret_cast<void**>(&output->client_));
    device->Release();
    if (FAILED(result)) {
        return com_failure("activating the sound device", result);
    }

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(frames_per_second);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    const DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                        AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
    result = output->client_->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, buffer_duration_100ns, 0,
                                         &format, nullptr);
    if (FAILED(result)) {
        return com_failure("opening the sound device for 16-bit mono", result);
    }
    output->wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    UINT32 buffer_frames = 0;
    if (output->wake_ == nullptr ||
        FAILED(result = output->client_->SetEventHandle(output->wake_)) ||
        FAILED(result = output->client_->GetBufferSize(&buffer_frames)) ||
        FAILED(result = output->client_->GetService(__uuidof(IAudioRenderClient),
                                                    reinterpret_cast<void**>(&output->render_))) ||
        FAILED(result = output->client_->GetService(__uuidof(IAudioClock),
                                                    reinterpret_cast<void**>(&output->clock_)))) {
        return com_failure("setting up the sound stream", result);
    }
    output->buffer_frames_ = buffer_frames;
    UINT64 frequency = 0;
    output->clock_->GetFrequency(&frequency);
    output->clock_frequency_ = frequency;
    return output;
}

wasapi_output::~wasapi_output() {
    stop();
    release();
}

void wasapi_output::release() {
    release_com(clock_);
    release_com(render_);
    release_com(client_);
    if (wake_ != nullptr) {
        CloseHandle(wake_);
        wake_ = nullptr;
    }
}

void wasapi_output::start() {
    // The buffer is full before the device starts, so the first thing heard is the
    // beginning of the stream rather than a gap.
    feed();
    client_->Start();
    thread_ = std::thread([this] { run(); });
}

void wasapi_output::stop() {
    if (!thread_.joinable()) {
        return;
    }
    stop_requested_ = true;
    SetEvent(wake_);
    thread_.join();
    client_->Stop();
}

void wasapi_output::run() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    while (!stop_requested_) {
        WaitForSingleObject(wake_, 200);
        if (stop_requested_ || !feed()) {
            break;
        }
    }
    CoUninitialize();
}

bool wasapi_output::feed() {
    UINT32 queued = 0;
    if (FAILED(client_->GetCurrentPadding(&queued))) {
        return false;
    }
    const UINT32 room = buffer_frames_ - queued;
    if (room == 0) {
        return true;
    }
    BYTE* block = nullptr;
    if (FAILED(render_->GetBuffer(room, &block))) {
        return false;
    }
    // What the device has played so far, by the engine's own count; everything written
    // beyond it is still to be heard before this block is.
    UINT64 position = 0;
    std::int64_t heard_frames = 0;
    if (clock_frequency_ != 0 && SUCCEEDED(clock_->GetPosition(&position, nullptr))) {
        heard_frames = static_cast<std::int64_t>(
            position * static_cast<UINT64>(frames_per_second_) / clock_frequency_);
    }
    source_.heard(std::min(heard_frames, frames_written_) * 1'000'000'000 / frames_per_second_,
                  time_.now_ns());
    source_.fill(reinterpret_cast<std::int16_t*>(block), static_cast<int>(room));
    frames_written_ += room;
    render_->ReleaseBuffer(room, 0);
    return true;
}

result<std::unique_ptr<audio_output>> open_sound_device(block_source& source, int frames_per_second,
                                                        const time_source& time) {
    return wasapi_output::open(source, frames_per_second, time);
}
