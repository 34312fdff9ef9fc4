#include "tools/show_export/video_writer.hpp"

// Sections: the encoders' settings; the writer's state and its clean-up; opening the streams;
// encoding and muxing; the sound track.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

#include "tools/show_export/picture_planes.hpp"

namespace {

std::string av_reason(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Applies `settings` to an encoder not yet opened; fails naming an option it does not have.
result<> apply_video_settings(const encoder_settings& settings, AVCodecContext* codec) {
    // Every core: the encoder is nearly all of an export's time.
    codec->thread_count = 0;
    if (settings.key_interval > 0) {
        codec->gop_size = settings.key_interval;
    }
    codec->bit_rate = settings.video_bit_rate;
    if (settings.video_max_rate > 0) {
        codec->rc_max_rate = settings.video_max_rate;
        codec->rc_buffer_size =
            static_cast<int>(encoder_settings::buffer_seconds * settings.video_max_rate);
    }
    for (const auto& [name, value] : settings.video_options) {
        // Searched among both the common options and the encoder's own.
        if (av_opt_set(codec, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN) < 0) {
            return failure("the " + std::string(codec->codec->name) + " encoder takes no " + name +
                           " " + value);
        }
    }
    return {};
}

AVPixelFormat pixel_format_for(video_format format) {
    // FFV1 keeps RGB as it is; the lossy codecs take the 4:2:0 YUV every player reads.
    return format == video_format::lossless ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_YUV420P;
}

int audio_rate_for(const AVCodec* codec, int source_rate) {
    if (codec->supported_samplerates == nullptr) {
        return source_rate;
    }
    for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate) {
        if (*rate == source_rate) {
            return source_rate;
        }
    }
    // Opus, for one, runs at 48 kHz only: its list starts with its preferred rate.
    return codec->supported_samplerates[0];
}

}  // namespace

format_codecs codecs_for(video_format format) {
    switch (format) {
        case video_format::webm:
            return {"webm", "libvpx-vp9", "libopus"};
        case video_format::lossless:
            return {"matroska", "ffv1", "flac"};
        case video_format::mp4:
            break;
    }
    return {"mp4", "libx264", "aac"};
}

struct video_writer::state {
    AVFormatContext* container = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* video_stream = nullptr;
    AVStream* audio_stream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound_frame = nullptr;
    AVPacket* packet = nullptr;
    int fps = 0;
    std::int64_t frames = 0;
    // The whole sound track, already in the audio encoder's rate and sample format.
    std::vector<std::uint8_t> track;
    int bytes_per_sample = 0;
    std::int64_t track_samples = 0;
    std::int64_t sent_samples = 0;
    // For encoders that take any length: a video frame's worth of sound at once.
    int default_sound_frame = 1;

    ~state() {
        av_frame_free(&picture);
        av_frame_free(&sound_frame);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (container != nullptr) {
            if (container->pb != nullptr) {
                avio_closep(&container->pb);
            }
            avformat_free_context(container);
        }
    }

    result<> open_video(video_format format, const char* name, int width, int height,
                        const encoder_settings& settings);
    result<> open_audio(const char* name, const sound& music, std::int64_t bit_rate);
    result<> resample(const sound& music);
    result<> encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame);
    result<> send_sound_until(std::int64_t end_sample, bool last);
};

video_writer::video_writer() = default;
video_writer::~video_writer() = default;

result<> video_writer::state::open_video(video_format format, const char* name, int width,
                                         int height, const encoder_settings& settings) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (codec == nullptr) {
        return failure(std::string("this FFmpeg has no ") + name + " encoder");
    }
    video = avcodec_alloc_context3(codec);
    video->width = width;
    video->height = height;
    video->time_base = AVRational{1, fps};
    video->framerate = AVRational{fps, 1};
    video->pix_fmt = pixel_format_for(format);
    video->sample_aspect_ratio = AVRational{1, 1};
    if (format != video_format::lossless) {
        // What fill_yuv420 produces, said out loud so players undo it exactly.
        video->colorspace = AVCOL_SPC_SMPTE170M;
        video->color_primaries = AVCOL_PRI_SMPTE170M;
        video->color_trc = AVCOL_TRC_SMPTE170M;
        video->color_range = AVCOL_RANGE_MPEG;
        // Each chroma sample is the mean of the 2 x 2 pixels it covers, so it sits at their
        // centre, not beside the left pair where H.264 places it unless told.
        video->chroma_sample_location = AVCHROMA_LOC_CENTER;
    }
    if ((container->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (result<> applied = apply_video_settings(settings, video); !applied) {
        return applied;
    }
    const int opened = avcodec_open2(video, codec, nullptr);
    if (opened < 0) {
        return failure(std::string("cannot start the ") + name + " encoder: " + av_reason(opened));
    }
    video_stream = avformat_new_stream(container, nullptr);
    video_stream->time_base = video->time_base;
    video_stream->avg_frame_rate = video->framerate;
    avcodec_parameters_from_context(video_stream->codecpar, video);

    picture = av_frame_alloc();
    picture->format = video->pix_fmt;
    picture->width = width;
    picture->height = height;
    if (av_frame_get_buffer(picture, 0) < 0) {
        return failure("out of memory");
    }
    return {};
}

result<> video_writer::state::open_audio(const char* name, const sound& music,
                                         std::int64_t bit_rate) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (codec == nullptr) {
        return failure(std::string("this FFmpeg has no ") + name + " encoder");
    }
    audio = avcodec_alloc_context3(codec);
    audio->sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    audio->sample_rate = audio_rate_for(codec, music.frames_per_second);
    audio->ch_layout = AV_CHANNEL_LAYOUT_MONO;
    audio->time_base = AVRational{1, audio->sample_rate};
    audio->bit_rate = bit_rate;
    if ((container->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    const int opened = avcodec_open2(audio, codec, nullptr);
    if (opened < 0) {
        return failure(std::string("cannot start the ") + name + " encoder: " + av_reason(opened));
    }
    audio_stream = avformat_new_stream(container, nullptr);
    audio_stream->time_base = audio->time_base;
    avcodec_parameters_from_context(audio_stream->codecpar, audio);

    sound_frame = av_frame_alloc();
    sound_frame->format = audio->sample_fmt;
    sound_frame->sample_rate = audio->sample_rate;
    av_channel_layout_copy(&sound_frame->ch_layout, &audio->ch_layout);
    default_sound_frame = std::max(1, audio->sample_rate / fps);
    sound_frame->nb_samples = audio->frame_size > 0 ? audio->frame_size : default_sound_frame;
    if (av_frame_get_buffer(sound_frame, 0) < 0) {
        return failure("out of memory");
    }
    return resample(music);
}

// Converts the whole track at once: a few megabytes for the show, and it leaves the
// encoding loop nothing to do but copy.
result<> video_writer::state::resample(const sound& music) {
    bytes_per_sample = av_get_bytes_per_sample(audio->sample_fmt);
    SwrContext* resampler = nullptr;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    if (swr_alloc_set_opts2(&resampler, &mono, audio->sample_fmt, audio->sample_rate, &mono,
                            AV_SAMPLE_FMT_S16, music.frames_per_second, 0, nullptr) < 0 ||
        swr_init(resampler) < 0) {
        swr_free(&resampler);
        return failure("cannot convert the music for the audio encoder");
    }
    const auto in_count = static_cast<int>(music.samples.size());
    const int capacity = swr_get_out_samples(resampler, in_count) + 64;
    track.resize(static_cast<std::size_t>(capacity) * static_cast<std::size_t>(bytes_per_sample));
    std::uint8_t* out[] = {track.data()};
    const auto* in_bytes = reinterpret_cast<const std::uint8_t*>(music.samples.data());
    const std::uint8_t* in[] = {in_bytes};
    int done = swr_convert(resampler, out, capacity, in, in_count);
    if (done >= 0) {
        // What the resampler still holds back for its filter.
        std::uint8_t* rest[] = {track.data() + static_cast<std::size_t>(done) *
                                                   static_cast<std::size_t>(bytes_per_sample)};
        const int tail = swr_convert(resampler, rest, capacity - done, nullptr, 0);
        done = tail < 0 ? tail : done + tail;
    }
    swr_free(&resampler);
    if (done < 0) {
        return failure("cannot convert the music for the audio encoder: " + av_reason(done));
    }
    track_samples = done;
    return {};
}

result<> video_writer::open(const std::string& path, video_format format, int fps, int width,
                            int height, sound music, const encoder_settings& settings) {
    state_ = std::make_unique<state>();
    state& s = *state_;
    s.fps = fps;
    const format_codecs codecs = codecs_for(format);
    if (avformat_alloc_output_context2(&s.container, nullptr, codecs.container, path.c_str()) < 0) {
        return failure(std::string("this FFmpeg cannot write ") + codecs.container);
    }
    if (result<> started = s.open_video(format, codecs.video, width, height, settings); !started) {
        return started;
    }
    if (result<> started = s.open_audio(codecs.audio, music, settings.audio_bit_rate); !started) {
        return started;
    }
    s.packet = av_packet_alloc();
    const int opened = avio_open(&s.container->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        return failure(av_reason(opened));
    }
    AVDictionary* muxer_options = nullptr;
    if (format == video_format::mp4) {
        // The index up front, so a browser can start playing before the whole file is in.
        av_dict_set(&muxer_options, "movflags", "+faststart", 0);
    }
    const int header = avformat_write_header(s.container, &muxer_options);
    av_dict_free(&muxer_options);
    if (header < 0) {
        return failure("cannot start the file: " + av_reason(header));
    }
    return {};
}

result<> video_writer::state::encode(AVCodecContext* codec, AVStream* stream,
                                     const AVFrame* frame) {
    int code = avcodec_send_frame(codec, frame);
    if (code < 0) {
        return failure("encoding failed: " + av_reason(code));
    }
    while ((code = avcodec_receive_packet(codec, packet)) >= 0) {
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        code = av_interleaved_write_frame(container, packet);
        if (code < 0) {
            return failure(av_reason(code));
        }
    }
    if (code != AVERROR(EAGAIN) && code != AVERROR_EOF) {
        return failure("encoding failed: " + av_reason(code));
    }
    return {};
}

// Sends whole sound frames up to `end_sample`, past the track's end as silence. Only the
// `last` call may send a short frame to end exactly there: encoders with a fixed frame
// size accept a short one only at the end.
result<> video_writer::state::send_sound_until(std::int64_t end_sample, bool last) {
    const std::int64_t full = audio->frame_size > 0 ? audio->frame_size : default_sound_frame;
    while (sent_samples < end_sample && (last || sent_samples + full <= end_sample)) {
        if (av_frame_make_writable(sound_frame) < 0) {
            return failure("out of memory");
        }
        const std::int64_t count = std::min(full, end_sample - sent_samples);
        const std::int64_t from_track =
            std::clamp<std::int64_t>(track_samples - sent_samples, 0, count);
        const auto size = static_cast<std::size_t>(bytes_per_sample);
        std::uint8_t* out = sound_frame->data[0];
        std::copy_n(track.data() + static_cast<std::size_t>(sent_samples) * size,
                    static_cast<std::size_t>(from_track) * size, out);
        std::fill_n(out + static_cast<std::size_t>(from_track) * size,
                    static_cast<std::size_t>(count - from_track) * size, std::uint8_t{0});
        sound_frame->nb_samples = static_cast<int>(count);
        sound_frame->pts = sent_samples;
        if (result<> sent = encode(audio, audio_stream, sound_frame); !sent) {
            return sent;
        }
        sent_samples += count;
    }
    return {};
}

result<> video_writer::add_frame(const frame_picture& picture) {
    state& s = *state_;
    if (av_frame_make_writable(s.picture) < 0) {
        return failure("out of memory");
    }
    AVFrame& out = *s.picture;
    if (out.format == AV_PIX_FMT_BGR0) {
        fill_bgr0(picture, out.data[0], out.linesize[0]);
    } else {
        fill_yuv420(picture, out.data[0], out.linesize[0], out.data[1], out.linesize[1],
                    out.data[2], out.linesize[2]);
    }
    s.picture->pts = s.frames;
    if (result<> sent = s.encode(s.video, s.video_stream, s.picture); !sent) {
        return sent;
    }
    ++s.frames;
    // The sound is kept level with the pictures so the muxer interleaves them closely.
    return s.send_sound_until(s.frames * s.audio->sample_rate / s.fps, false);
}

result<> video_writer::finish() {
    state& s = *state_;
    // The sound ends with the last picture, rounded to the nearest sample.
    const std::int64_t end = (s.frames * s.audio->sample_rate + s.fps / 2) / s.fps;
    if (result<> sent = s.send_sound_until(end, true); !sent) {
        return sent;
    }
    if (result<> drained = s.encode(s.video, s.video_stream, nullptr); !drained) {
        return drained;
    }
    if (result<> drained = s.encode(s.audio, s.audio_stream, nullptr); !drained) {
        return drained;
    }
    const int trailer = av_write_trailer(s.container);
    if (trailer < 0) {
        return failure(av_reason(trailer));
    }
    const int closed = avio_closep(&s.container->pb);
    if (closed < 0) {
        return failure(av_reason(closed));
    }
    return {};
}
