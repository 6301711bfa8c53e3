#include "apps/media/OutputFile.h"

#include "apps/media/DescriptionCopy.h"

namespace media {

OutputFile::OutputFile(const std::string& path, bool overwrite) : muxer_(path, overwrite) {}

// The lanes go before the muxer they write into.
OutputFile::~OutputFile() = default;

std::string OutputFile::AddVideo(const VideoEncoding& encoding) {
    video_ = std::make_unique<VideoEncoderLane>(muxer_, encoding);
    return video_->words();
}

void OutputFile::AddAudioCopy(const AVStream* source) {
    audioStream_ = muxer_.NewStream();
    muxer_.Check(avcodec_parameters_copy(audioStream_->codecpar, source->codecpar), "preparing");
    audioStream_->codecpar->codec_tag = 0;
    audioStream_->time_base = source->time_base;
}

std::string OutputFile::AddAudioEncoder(int sampleRate, const AVChannelLayout& layout,
                                        const std::string& encoder) {
    audioEncoder_ = std::make_unique<AudioEncoderLane>(muxer_, sampleRate, layout, encoder);
    audioEncoder_->setLimit(audioLimit_);
    audioStream_ = audioEncoder_->stream();
    return audioEncoder_->words();
}

int OutputFile::audioSampleRate() const { return audioEncoder_ ? audioEncoder_->sampleRate() : 0; }

void OutputFile::setAudioLimit(int64_t samples) {
    audioLimit_ = samples;
    if (audioEncoder_) audioEncoder_->setLimit(samples);
}

std::vector<std::string> OutputFile::CopyDescription(const InputFile& in, double from, double to) {
    return media::CopyDescription(in, from, to, keepRotation_, muxer_,
                                  video_ ? video_->stream() : nullptr, audioStream_);
}

int OutputFile::AddStreamCopy(const AVStream* source) {
    return muxer_.AddStreamCopy(source)->index;
}

void OutputFile::WriteCopiedPacket(int stream, AVPacket* packet, AVRational timeBase,
                                   double origin) {
    muxer_.WriteCopied(stream, packet, timeBase, origin);
}

void OutputFile::Start() { muxer_.Start(); }

void OutputFile::WriteVideo(const uint8_t* argb, int stride, int64_t pts) {
    EncodePicture(ConvertPicture(argb, stride).get(), pts);
}

FramePtr OutputFile::ConvertPicture(const uint8_t* argb, int stride) {
    return video_->ConvertPicture(argb, stride);
}

void OutputFile::EncodePicture(AVFrame* picture, int64_t pts) {
    video_->EncodePicture(picture, pts);
}

void OutputFile::WriteAudioPacket(AVPacket* packet, AVRational timeBase, double origin) {
    muxer_.WriteCopied(audioStream_->index, packet, timeBase, origin);
}

void OutputFile::WriteAudio(const AVFrame* samples, int64_t position,
                            const std::function<bool(int64_t)>& audible) {
    audioEncoder_->Write(samples, position, audible);
}

void OutputFile::Finish() {
    FinishUnplaced();
    muxer_.Place();
}

void OutputFile::FinishUnplaced() {
    if (!muxer_.started()) muxer_.Start();
    if (video_) video_->Drain();
    if (audioEncoder_) audioEncoder_->Finish();
    muxer_.Close();
}

}  // namespace media
