#pragma once

// Reads an exported video back with FFmpeg's libraries, the way a player would: what its
// streams claim, every picture as RGB, and the sound as mono samples.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <string>
#include <vector>

struct media_stream {
    AVCodecID codec = AV_CODEC_ID_NONE;
    int width = 0;
    int height = 0;
    AVRational frame_rate{0, 1};
    int sample_rate = 0;
    double start_seconds = 0;
};

struct media_file {
    bool opened = false;
    double duration_seconds = 0;
    media_stream video;
    media_stream audio;
    // Pictures as packed RGB when decoded as BGR0 (lossless video), else empty.
    std::vector<std::vector<std::uint8_t>> pictures;
    // The sound as floats in -1..1, channels mixed.
    std::vector<float> samples;
};

namespace media_detail {

inline bool decode(AVCodecContext* codec, const AVPacket* packet, AVFrame* frame, media_file& out) {
    if (avcodec_send_packet(codec, packet) < 0) {
        return false;
    }
    while (avcodec_receive_frame(codec, frame) >= 0) {
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
            std::vector<std::uint8_t>& rgb = out.pictures.emplace_back();
            for (int y = 0; frame->format == AV_PIX_FMT_BGR0 && y < frame->height; ++y) {
                const std::uint8_t* row = frame->data[0] + y * frame->linesize[0];
                for (int x = 0; x < frame->width; ++x) {
                    rgb.insert(rgb.end(), {row[4 * x + 2], row[4 * x + 1], row[4 * x]});
                }
            }
            continue;
        }
        const int channels = frame->ch_layout.nb_channels;
        for (int i = 0; i < frame->nb_samples; ++i) {
            float sum = 0;
            for (int c = 0; c < channels; ++c) {
                const bool planar =
                    av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
                const int plane = planar ? c : 0;
                const int at = planar ? i : i * channels + c;
                switch (frame->format) {
                    case AV_SAMPLE_FMT_S16:
                    case AV_SAMPLE_FMT_S16P:
                        sum += reinterpret_cast<const std::int16_t*>(frame->data[plane])[at] /
                               32768.0f;
                        break;
                    case AV_SAMPLE_FMT_FLT:
                    case AV_SAMPLE_FMT_FLTP:
                        sum += reinterpret_cast<const float*>(frame->data[plane])[at];
                        break;
                    default:
                        return false;
                }
            }
            out.samples.push_back(sum / static_cast<float>(channels));
        }
    }
    return true;
}

}  // namespace media_detail

// Every picture is decoded, to count the frames.
inline media_file read_media(const std::string& path) {
    // The decoders' notes on how they trimmed an encoder's priming are not findings.
    av_log_set_level(AV_LOG_ERROR);
    media_file out;
    AVFormatContext* container = nullptr;
    if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0) {
        return out;
    }
    avformat_find_stream_info(container, nullptr);
    out.duration_seconds = static_cast<double>(container->duration) / AV_TIME_BASE;
    std::vector<AVCodecContext*> codecs(container->nb_streams, nullptr);
    for (unsigned i = 0; i < container->nb_streams; ++i) {
        const AVStream* stream = container->streams[i];
        const AVCodecParameters* p = stream->codecpar;
        media_stream& info = p->codec_type == AVMEDIA_TYPE_VIDEO ? out.video : out.audio;
        info = {p->codec_id,
                p->width,
                p->height,
                stream->avg_frame_rate,
                p->sample_rate,
                stream->start_time == AV_NOPTS_VALUE
                    ? 0.0
                    : static_cast<double>(stream->start_time) * av_q2d(stream->time_base)};
        codecs[i] = avcodec_alloc_context3(avcodec_find_decoder(p->codec_id));
        avcodec_parameters_to_context(codecs[i], p);
        avcodec_open2(codecs[i], nullptr, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool good = true;
    while (good && av_read_frame(container, packet) >= 0) {
        good = media_detail::decode(codecs[static_cast<std::size_t>(packet->stream_index)], packet,
                                    frame, out);
        av_packet_unref(packet);
    }
    for (AVCodecContext*& codec : codecs) {
        good = good && media_detail::decode(codec, nullptr, frame, out);
        avcodec_free_context(&codec);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&container);
    out.opened = good;
    return out;
}
