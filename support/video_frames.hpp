#pragma once

// Chosen pictures of a video file, decoded with FFmpeg's libraries and turned into packed
// RGB the way a player reads the file's colour tags: the matrix it names (or, untagged,
// the one players guess from the height: BT.709 from 720 lines up, else BT.601) and its
// range. Each chroma sample is taken for the whole block of pixels it covers, with no
// filtering across blocks. Pictures are counted in the order the decoder gives them,
// from 0, so a file is compared frame by frame, not by timestamps.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct video_frames {
    // Empty when the file was read; else what went wrong.
    std::string problem;
    int width = 0;
    int height = 0;
    int decoded = 0;
    std::map<int, std::vector<std::uint8_t>> rgb;
};

namespace video_frames_detail {

struct matrix {
    double kr;
    double kb;
};

inline bool matrix_of(const AVFrame& frame, matrix& out) {
    switch (frame.colorspace) {
        case AVCOL_SPC_BT709:
            out = {0.2126, 0.0722};
            return true;
        case AVCOL_SPC_BT470BG:
        case AVCOL_SPC_SMPTE170M:
            out = {0.299, 0.114};
            return true;
        case AVCOL_SPC_UNSPECIFIED:
            out = frame.height >= 720 ? matrix{0.2126, 0.0722} : matrix{0.299, 0.114};
            return true;
        default:
            return false;
    }
}

inline std::uint8_t to_byte(double value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

inline std::string to_rgb(const AVFrame& frame, std::vector<std::uint8_t>& rgb) {
    const auto w = static_cast<std::size_t>(frame.width);
    rgb.resize(w * static_cast<std::size_t>(frame.height) * 3);
    if (frame.format == AV_PIX_FMT_BGR0) {
        for (int y = 0; y < frame.height; ++y) {
            const std::uint8_t* row = frame.data[0] + y * frame.linesize[0];
            std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * w * 3;
            for (std::size_t x = 0; x < w; ++x) {
                out[3 * x] = row[4 * x + 2];
                out[3 * x + 1] = row[4 * x + 1];
                out[3 * x + 2] = row[4 * x];
            }
        }
        return {};
    }
    const AVPixFmtDescriptor* layout =
        av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    matrix m{};
    if (layout == nullptr || (layout->flags & AV_PIX_FMT_FLAG_RGB) != 0 ||
        layout->nb_components != 3 || layout->comp[0].depth != 8 || !matrix_of(frame, m)) {
        return "a picture layout or colour matrix these tests do not read";
    }
    const bool full = frame.color_range == AVCOL_RANGE_JPEG;
    const double kg = 1 - m.kr - m.kb;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* luma = frame.data[0] + y * frame.linesize[0];
        const int cy = y >> layout->log2_chroma_h;
        const std::uint8_t* cb = frame.data[1] + cy * frame.linesize[1];
        const std::uint8_t* cr = frame.data[2] + cy * frame.linesize[2];
        std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t cx = x >> layout->log2_chroma_w;
            const double l = full ? luma[x] / 255.0 : (luma[x] - 16) / 219.0;
            const double pb = (cb[cx] - 128) / (full ? 255.0 : 224.0);
            const double pr = (cr[cx] - 128) / (full ? 255.0 : 224.0);
            const double r = l + 2 * (1 - m.kr) * pr;
            const double b = l + 2 * (1 - m.kb) * pb;
            out[3 * x] = to_byte(r);
            out[3 * x + 1] = to_byte((l - m.kr * r - m.kb * b) / kg);
            out[3 * x + 2] = to_byte(b);
        }
    }
    return {};
}

inline void receive(AVCodecContext* codec, AVFrame* frame, const std::set<int>& wanted,
                    video_frames& out) {
    while (out.problem.empty() && avcodec_receive_frame(codec, frame) >= 0) {
        out.width = frame->width;
        out.height = frame->height;
        if (wanted.contains(out.decoded)) {
            out.problem = to_rgb(*frame, out.rgb[out.decoded]);
        }
        ++out.decoded;
        av_frame_unref(frame);
    }
}

}  // namespace video_frames_detail

// Decodes every picture of `path` and keeps those whose numbers are in `wanted`.
inline video_frames read_video_frames(const std::string& path, const std::set<int>& wanted) {
    av_log_set_level(AV_LOG_ERROR);
    video_frames out;
    AVFormatContext* container = nullptr;
    if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0) {
        out.problem = "cannot open " + path;
        return out;
    }
    avformat_find_stream_info(container, nullptr);
    const int stream = av_find_best_stream(container, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0) {
        avformat_close_input(&container);
        out.problem = "no video in " + path;
        return out;
    }
    const AVCodecParameters* parameters = container->streams[stream]->codecpar;
    AVCodecContext* codec = avcodec_alloc_context3(avcodec_find_decoder(parameters->codec_id));
    avcodec_parameters_to_context(codec, parameters);
    codec->thread_count = 0;
    avcodec_open2(codec, nullptr, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    while (out.problem.empty() && av_read_frame(container, packet) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(codec, packet) >= 0) {
            video_frames_detail::receive(codec, frame, wanted, out);
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    video_frames_detail::receive(codec, frame, wanted, out);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&container);
    if (out.problem.empty() && out.rgb.size() != wanted.size()) {
        out.problem = path + " has " + std::to_string(out.decoded) + " pictures, fewer than asked";
    }
    return out;
}
