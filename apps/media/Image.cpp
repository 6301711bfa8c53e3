#include "apps/media/Image.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "apps/media/LibAv.h"
#include "apps/media/OutputPath.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace media {

namespace {

struct ImageType {
    AVCodecID codec;
    AVPixelFormat format;
    const char* name;
};

ImageType TypeOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (!strcasecmp(ext.c_str(), "png")) return {AV_CODEC_ID_PNG, AV_PIX_FMT_RGB24, "PNG"};
    // Full-range 4:2:0, as JPEG files are read.
    if (!strcasecmp(ext.c_str(), "jpg") || !strcasecmp(ext.c_str(), "jpeg"))
        return {AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P, "JPEG"};
    throw OutputError("cannot tell a picture type from the name " + path +
                      "; end it in .png or .jpg");
}

}  // namespace

void WriteImage(const std::string& path, bool overwrite, const uint8_t* argb, int stride, int width,
                int height) {
    const ImageType type = TypeOf(path);
    OutputPath out(path, overwrite);
    const AVCodec* codec = avcodec_find_encoder(type.codec);
    if (!codec) throw OutputError(std::string("no ") + type.name + " encoder here");
    CodecPtr enc(avcodec_alloc_context3(codec));
    if (!enc) throw std::bad_alloc();
    enc->width = width;
    enc->height = height;
    enc->pix_fmt = type.format;
    enc->time_base = {1, 25};
    if (type.codec == AV_CODEC_ID_MJPEG) {
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        enc->global_quality = 2 * FF_QP2LAMBDA;  // close to the best JPEG can do
        enc->color_range = AVCOL_RANGE_JPEG;
    }
    int err = avcodec_open2(enc.get(), codec, nullptr);
    if (err < 0)
        throw OutputError(std::string("cannot start the ") + type.name +
                          " encoder: " + AvErrorText(err));

    FramePtr picture = NewFrame();
    picture->format = type.format;
    picture->width = width;
    picture->height = height;
    picture->quality = enc->global_quality;
    err = av_frame_get_buffer(picture.get(), 0);
    if (err < 0) throw std::bad_alloc();
    SwsContext* sws = sws_getContext(width, height, AV_PIX_FMT_ARGB, width, height, type.format,
                                     SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                     nullptr, nullptr);
    if (!sws) throw OutputError(std::string("cannot convert the picture for ") + type.name);
    const uint8_t* planes[4] = {argb, nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    sws_scale(sws, planes, strides, 0, height, picture->data, picture->linesize);
    sws_freeContext(sws);

    PacketPtr packet = NewPacket();
    err = avcodec_send_frame(enc.get(), picture.get());
    if (err >= 0) err = avcodec_receive_packet(enc.get(), packet.get());
    if (err < 0) throw OutputError("encoding " + path + " failed: " + AvErrorText(err));

    FILE* file = std::fopen(out.temporary().c_str(), "wb");
    if (!file) throw OutputError("cannot write " + path + ": " + std::strerror(errno));
    bool ok = std::fwrite(packet->data, 1, packet->size, file) == static_cast<size_t>(packet->size);
    int writeErr = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        writeErr = errno;
    }
    if (!ok) throw OutputError("writing " + path + " failed: " + std::strerror(writeErr));
    out.Commit();
}

}  // namespace media
