#include "apps/hzfix/Pipeline.h"

#include <sys/mman.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "apps/hzfix/Errors.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

namespace {

// With the picture each stage holds besides, one waiting picture between
// stages keeps every stage busy (deeper queues measured no faster); each
// one more is a 4:2:0 picture more of memory, 12 MB at 4K.
constexpr size_t kQueueDepth = 1;
constexpr int kBufferAlignment = 64;
constexpr size_t kHugePage = 2 << 20;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

Pipeline::Pipeline(media::InputFile& in, media::OutputFile& out, const media::PictureShape& shape,
                   int64_t startFrame, int64_t frameCount, AudioRouter* audio, OtherStreams* others,
                   Progress& progress, const std::atomic<bool>& interrupt)
    : in_(in),
      out_(out),
      shape_(shape),
      start_(startFrame),
      count_(frameCount),
      audio_(audio),
      others_(others),
      progress_(progress),
      interrupt_(interrupt),
      decoded_(kQueueDepth),
      rendered_(kQueueDepth),
      provider_(*this, shape) {
    const int width = shape.format.width, height = shape.format.height;
    const int stride = (width * 4 + kBufferAlignment - 1) / kBufferAlignment * kBufferAlignment;
    const Rect bounds = {0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    std::vector<Buffer*> buffers = {&source_, &destination_};
    if (shape.fields) buffers.push_back(&fieldDestination_);
    // A destructor does not run for a constructor that throws: what was
    // made before the failure is given back here.
    try {
        for (Buffer* b : buffers) {
            b->stride = stride;
            // The plug-in's turned rows cross many source rows, each on
            // pages of its own: on 2 MB pages those stay in the TLB (5%
            // less processor time for a 4K render).
            const size_t bytes =
                (static_cast<size_t>(stride) * height + kHugePage - 1) / kHugePage * kHugePage;
            b->pixels = static_cast<uint8_t*>(std::aligned_alloc(kHugePage, bytes));
            if (!b->pixels) throw std::bad_alloc();
            madvise(b->pixels, bytes, MADV_HUGEPAGE);
            if (NewGWorldFromPtr(&b->world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                                 reinterpret_cast<Ptr>(b->pixels), stride) != noErr)
                throw std::bad_alloc();
        }
    } catch (...) {
        ReleaseBuffers();
        throw;
    }
}

Pipeline::~Pipeline() { ReleaseBuffers(); }

void Pipeline::ReleaseBuffers() {
    for (Buffer* b : {&source_, &destination_, &fieldDestination_}) {
        if (b->world) DisposeGWorld(b->world);
        std::free(b->pixels);
        *b = Buffer{};
    }
}

void Pipeline::Fail(std::exception_ptr error) {
    {
        std::lock_guard lock(errorMutex_);
        if (!error_) error_ = error;
    }
    AbortAll();
}

void Pipeline::AbortAll() {
    decoded_.Abort();
    rendered_.Abort();
    if (audio_) audio_->CloseInput();
}

void Pipeline::DecodeStage() {
    try {
        if (start_ > 0) in_.SeekTo(start_);
        const int64_t end = start_ + count_;
        for (int64_t produced = 0; produced < count_;) {
            if (interrupt_.load(std::memory_order_relaxed)) throw Interrupted();
            const auto begin = Clock::now();
            Decoded item;
            if (!in_.Next(&item.frame, &item.index) || item.index >= end) break;
            times_.decode += Since(begin);
            if (!decoded_.Push(std::move(item))) return;
            ++produced;
        }
        if (audio_) {
            const bool wholeClip = end >= in_.frameCount();
            in_.ReadAudioUntil(wholeClip ? std::numeric_limits<double>::infinity()
                                         : in_.FrameSeconds(end + 1));
        }
    } catch (...) {
        Fail(std::current_exception());
        return;
    }
    decoded_.Close();
    if (audio_) audio_->CloseInput();
}

void Pipeline::EncodeStage() {
    try {
        while (auto item = rendered_.Pop()) {
            const auto begin = Clock::now();
            out_.EncodePicture(item->picture.get(),
                               in_.FramePts(start_ + item->renderFrame) - in_.FramePts(start_));
            item->picture.reset();
            if (audio_) audio_->FrameDone(item->renderFrame, item->audioPassed);
            if (others_)
                others_->CopyUntil(in_.FrameSeconds(start_ + item->renderFrame + 1) -
                                   in_.FrameSeconds(start_));
            times_.encode += Since(begin);
            bytes_.store(out_.bytesWritten(), std::memory_order_relaxed);
            encoded_.fetch_add(1, std::memory_order_relaxed);
        }
        if (encoded_.load() == count_) {
            const auto begin = Clock::now();
            if (audio_) audio_->Finish();
            if (others_) others_->CopyRest();
            times_.encode += Since(begin);
        }
    } catch (...) {
        Fail(std::current_exception());
    }
}

const Pipeline::Decoded* Pipeline::Provider::Find(int32_t frameNumber) {
    while (window_.empty() || window_.back().index < frameNumber) {
        const auto begin = Clock::now();
        auto item = owner_.decoded_.Pop();
        waited += Since(begin);
        if (!item) return nullptr;
        window_.push_back(std::move(*item));
    }
    while (window_.size() > 1 && window_.front().index < frameNumber - 1) window_.pop_front();
    for (const Decoded& d : window_)
        if (d.index == frameNumber) return &d;
    return nullptr;
}

void Pipeline::Provider::Convert(const Decoded& d, bool fast) {
    if (converted_ == d.index && convertedFast_ == fast && convertedField_ == field) return;
    const auto begin = Clock::now();
    const Buffer& b = owner_.source_;
    pictures_.Convert(d.frame.get(), field, b.pixels, b.stride, fast);
    converted_ = d.index;
    convertedFast_ = fast;
    convertedField_ = field;
    converting += Since(begin);
}

bool Pipeline::Provider::LendFrame(int32_t frameNumber, HYRefDVQuality quality, int16_t width,
                                   int16_t height, pluginhost::LentPixels* out) {
    if (width != owner_.shape_.format.width || height != owner_.shape_.format.height) return false;
    const Decoded* found = Find(frameNumber);
    if (!found) return false;
    Convert(*found, quality == kDVLowQuality);
    out->rows = owner_.source_.pixels;
    out->rowBytes = owner_.source_.stride;
    return true;
}

HYPluginResult Pipeline::Provider::ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                                GWorldPtr out) {
    const Decoded* found = Find(frameNumber);
    if (!found) return kPluginCantGetNeededFrame;

    PixMapHandle pm = GetGWorldPixMap(out);
    Rect bounds;
    GetPortBounds(out, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    auto* dest = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
    const int32_t destStride = GetPixRowBytes(pm);
    const bool fast = quality == kDVLowQuality;
    if (width == owner_.shape_.format.width && height == owner_.shape_.format.height) {
        Convert(*found, fast);
        const auto begin = Clock::now();
        for (int y = 0; y < height; ++y)
            std::memcpy(dest + static_cast<size_t>(y) * destStride,
                        owner_.source_.pixels + static_cast<size_t>(y) * owner_.source_.stride,
                        static_cast<size_t>(width) * 4);
        copying += Since(begin);
    } else {
        const auto begin = Clock::now();
        pictures_.ConvertScaled(found->frame.get(), field, dest, destStride, width, height, fast);
        converting += Since(begin);
    }
    return kPluginOK;
}

void Pipeline::Run(FrameRenderer& renderer) {
    const auto started = Clock::now();
    const Rect frameRect = {0, 0, static_cast<int16_t>(shape_.format.height),
                            static_cast<int16_t>(shape_.format.width)};
    std::thread decoder(&Pipeline::DecodeStage, this);
    std::thread encoder(&Pipeline::EncodeStage, this);
    double rendering = 0;
    const std::vector<int> fields =
        shape_.fields ? std::vector<int>{0, 1} : std::vector<int>{media::kWholeFrame};
    try {
        for (int32_t i = 0; i < count_; ++i) {
            if (interrupt_.load(std::memory_order_relaxed)) throw Interrupted();
            bool passed = true;
            for (const int field : fields) {
                // The first field is drawn where the picture is put
                // together; the second beside it, and its rows moved over.
                const Buffer& into = field == 1 ? fieldDestination_ : destination_;
                provider_.field = field;
                bool fieldPassed = false;
                auto begin = Clock::now();
                HYPluginResult result = renderer.Render(i, into.world, frameRect, &fieldPassed);
                rendering += Since(begin);
                if (result != kPluginOK)
                    throw PluginFailure("frame " + std::to_string(start_ + i), result);
                passed = passed && fieldPassed;
                if (field == 1) {
                    begin = Clock::now();
                    media::CopyField(into.pixels, into.stride, destination_.pixels,
                                     destination_.stride, shape_.format.width, shape_.format.height,
                                     field);
                    times_.fromArgb += Since(begin);
                }
            }
            auto begin = Clock::now();
            media::FramePtr picture = out_.ConvertPicture(destination_.pixels, destination_.stride);
            times_.fromArgb += Since(begin);
            if (!rendered_.Push({std::move(picture), i, passed})) break;
            progress_.Update(encoded_.load(std::memory_order_relaxed),
                             bytes_.load(std::memory_order_relaxed));
        }
        rendered_.Close();
        // Frames the plug-in never asked for must not leave decoding
        // blocked, or the audio behind them would never arrive.
        while (decoded_.Pop()) {
        }
    } catch (...) {
        Fail(std::current_exception());
    }
    encoder.join();
    decoder.join();

    times_.frames = encoded_.load();
    times_.wall = Since(started);
    times_.handOver = provider_.copying;
    times_.toArgb = provider_.converting;
    times_.plugin = rendering - provider_.copying - provider_.converting - provider_.waited;
    if (interrupt_.load()) throw Interrupted();
    std::lock_guard lock(errorMutex_);
    if (error_) std::rethrow_exception(error_);
    progress_.Done(times_.frames, bytes_.load());
}

}  // namespace hzfix
