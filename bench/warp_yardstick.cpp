// The yardstick the frame request is judged by: OpenCV's bilinear
// warpAffine on one thread, the same frame size, a comparable turn,
// enlargement and move, constant border.
#include <benchmark/benchmark.h>

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

void WarpAffine(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    cv::setNumThreads(1);
    cv::Mat source(h, w, CV_8UC4), dest(h, w, CV_8UC4);
    cv::randu(source, cv::Scalar::all(0), cv::Scalar::all(256));
    cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(w / 2.0f, h / 2.0f), 2.0, 1.1);
    m.at<double>(0, 2) -= 0.02 * w;
    m.at<double>(1, 2) += 0.03 * w;
    for (auto _ : state) {
        cv::warpAffine(source, dest, m, dest.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                       cv::Scalar(255, 0, 0, 255));
        benchmark::ClobberMemory();
    }
}

BENCHMARK(WarpAffine)
    ->Name("opencv")
    ->ArgNames({"w", "h"})
    ->Args({720, 480})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7);

}  // namespace
