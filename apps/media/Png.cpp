#include "apps/media/Png.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "apps/media/LibAv.h"
#include "apps/media/OutputPath.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace media {

void WritePng(const std::string& path, bool overwrite, const uint8_t* argb, int stride, int width,
              int height) {
    OutputPath out(path, overwrite);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec) throw OutputError("no PNG encoder here");
    CodecPtr enc(avcodec_alloc_context3(codec));
    if (!enc) throw std::bad_alloc();
    enc->width = width;
    enc->height = height;
    enc->pix_fmt = AV_PIX_FMT_RGB24;
    enc->time_base = {1, 25};
    int err = avcodec_open2(enc.get(), codec, nullptr);
    if (err < 0) throw OutputError("cannot start the PNG encoder: " + AvErrorText(err));

    FramePtr picture = NewFrame();
    picture->format = AV_PIX_FMT_RGB24;
    picture->width = width;
    picture->height = height;
    err = av_frame_get_buffer(picture.get(), 0);
    if (err < 0) throw std::bad_alloc();
    SwsContext* sws = sws_getContext(width, height, AV_PIX_FMT_ARGB, width, height,
                                     AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    if (!sws) throw OutputError("cannot convert the picture for PNG");
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
