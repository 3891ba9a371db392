// Ogg Vorbis through libvorbisfile, resampled into the mix.
#include "platform/audio/ogg_stream.h"

#include <cstdio>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/fs/fs.h"

namespace platform::audio {
namespace {

size_t ReadCb(void* ptr, size_t size, size_t count, void* source) {
    return std::fread(ptr, size, count, static_cast<FILE*>(source));
}
int SeekCb(void* source, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<FILE*>(source), static_cast<off_t>(offset), whence);
}
long TellCb(void* source) {
    return static_cast<long>(ftello(static_cast<FILE*>(source)));
}
int CloseCb(void* source) {
    return std::fclose(static_cast<FILE*>(source));
}

// Frames decoded per call: small enough to keep the mixer's block short.
constexpr int kDecodeFrames = 1024;
// Consumed frames are dropped from the front once this many have gathered.
constexpr size_t kCompactFrames = 8192;

}  // namespace

struct OggStream::File {
    OggVorbis_File vf{};
    int channels = 0;
    long rate = 0;
    ~File() { ov_clear(&vf); }
};

OggStream::OggStream() = default;
OggStream::~OggStream() = default;

bool OggStream::Open(std::string_view sjisPath) {
    Close();
    FILE* f = platform::fs::OpenGameFile(sjisPath, "rb");
    if (!f) return false;
    auto file = std::make_unique<File>();
    const ov_callbacks callbacks = {ReadCb, SeekCb, CloseCb, TellCb};
    if (ov_open_callbacks(f, &file->vf, nullptr, 0, callbacks) != 0) {
        // On failure libvorbisfile has cleared its state and leaves the file to us;
        // clearing it once more when `file` goes is harmless.
        std::fclose(f);
        return false;
    }
    const vorbis_info* info = ov_info(&file->vf, -1);
    if (!info || info->channels < 1 || info->rate <= 0) return false;
    file->channels = info->channels;
    file->rate = info->rate;
    std::lock_guard lock(mutex_);
    file_ = std::move(file);
    playing_ = false;
    pending_.clear();
    position_ = 0.0;
    decodedSinceStart_ = false;
    return true;
}

void OggStream::Close() {
    std::unique_ptr<File> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(file_);
        playing_ = false;
        pending_.clear();
        position_ = 0.0;
    }
}

void OggStream::Play() {
    std::lock_guard lock(mutex_);
    if (file_) playing_ = true;
}

void OggStream::Stop() {
    std::lock_guard lock(mutex_);
    playing_ = false;
}

void OggStream::SetLoop(int32_t count) {
    std::lock_guard lock(mutex_);
    loopsLeft_ = count < 0 ? 0 : count;
}

bool OggStream::Playing() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

bool OggStream::DecodeMore() {
    for (;;) {
        float** pcm = nullptr;
        int link = 0;
        const long n = ov_read_float(&file_->vf, &pcm, kDecodeFrames, &link);
        if (n > 0) {
            const vorbis_info* info = ov_info(&file_->vf, link);
            const int channels = info ? info->channels : file_->channels;
            const size_t at = pending_.size();
            pending_.resize(at + 2 * static_cast<size_t>(n));
            for (long i = 0; i < n; ++i) {
                pending_[at + 2 * i] = pcm[0][i];
                pending_[at + 2 * i + 1] = pcm[channels > 1 ? 1 : 0][i];
            }
            decodedSinceStart_ = true;
            return true;
        }
        if (n == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
        if (n < 0) return false;
        // End of the song. A song that gave no sound since its start cannot loop.
        if (loopsLeft_ == 0 || !decodedSinceStart_) return false;
        if (loopsLeft_ != kLoopForever) --loopsLeft_;
        if (ov_pcm_seek(&file_->vf, 0) != 0) return false;
        decodedSinceStart_ = false;
    }
}

void OggStream::Mix(float* stereo, int frames, int sampleRate) {
    std::lock_guard lock(mutex_);
    if (!file_ || !playing_ || sampleRate <= 0) return;
    const double step = static_cast<double>(file_->rate) / sampleRate;
    for (int i = 0; i < frames; ++i) {
        size_t available = pending_.size() / 2;
        while (position_ + 1.0 >= static_cast<double>(available)) {
            if (!DecodeMore()) break;
            available = pending_.size() / 2;
        }
        const size_t at = static_cast<size_t>(position_);
        if (at >= available) {
            playing_ = false;  // the song ended and does not loop
            pending_.clear();
            position_ = 0.0;
            return;
        }
        const size_t after = at + 1 < available ? at + 1 : at;
        const float t = static_cast<float>(position_ - static_cast<double>(at));
        for (int c = 0; c < 2; ++c) {
            const float a = pending_[2 * at + c];
            const float b = pending_[2 * after + c];
            stereo[2 * i + c] += a + (b - a) * t;
        }
        position_ += step;
        if (at >= kCompactFrames) {
            pending_.erase(pending_.begin(), pending_.begin() + 2 * at);
            position_ -= static_cast<double>(at);
        }
    }
}

}  // namespace platform::audio
