#include "sound/decode_ahead.hpp"

// A page has no thread to decode on: the output asks for its blocks from the page's
// timer a second or so ahead of the music heard, and each block is decoded when it is
// asked for. The decoding still runs ahead of playback, in slices that fit between
// animation frames; the ring and the thread stay unused.

decode_ahead::decode_ahead(std::unique_ptr<sound_file> file) : file_(std::move(file)) {}

decode_ahead::~decode_ahead() = default;

int decode_ahead::read(std::int16_t* out, int frames) {
    if (file_ended_) {
        return 0;
    }
    const int got = file_->read(out, frames);
    file_ended_ = got < frames;
    return got;
}

bool decode_ahead::at_end() {
    return file_ended_;
}

// Nothing is decoded ahead, so the decoder can jump straight to the first sample wanted.
void decode_ahead::skip(std::int64_t frames) {
    if (!file_ended_) {
        file_ended_ = !file_->skip(frames);
    }
}
