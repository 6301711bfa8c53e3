#include "bench/RatioReporter.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Size(const std::string& args) { return args.substr(0, args.find("/fade:")); }

void PrintRatio(const std::vector<double>& times, const std::vector<double>& base) {
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(times.size(), base.size()); ++i)
        ratios.push_back(times[i] / base[i]);
    if (ratios.empty()) return;
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("  %.2f (%.2f-%.2f)", Median(times) / Median(base), *low, *high);
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    std::vector<Run> aggregates;
    for (const Run& run : runs) {
        if (run.run_type == Run::RT_Aggregate) {
            aggregates.push_back(run);
        } else if (!run.error_occurred) {
            Times& t = times_[run.run_name.function_name][run.run_name.args];
            t.cpu.push_back(run.GetAdjustedCPUTime());
            t.real.push_back(run.GetAdjustedRealTime());
        }
    }
    if (!aggregates.empty()) ConsoleReporter::ReportRuns(aggregates);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    const auto& subjects = times_[subject_];
    const auto& yardsticks = times_[yardstick_];
    if (subjects.empty() || yardsticks.empty()) return;
    std::printf("\n%s against %s: median ratio (range over repetitions)\n", subject_.c_str(),
                yardstick_.c_str());
    std::printf("  %-28s  %-18s  %s\n", "", "processor time", "wall time");
    for (const auto& [args, times] : subjects) {
        const auto found = yardsticks.find(Size(args));
        if (found == yardsticks.end()) continue;
        std::printf("  %-28s", args.c_str());
        PrintRatio(times.cpu, found->second.cpu);
        PrintRatio(times.real, found->second.real);
        std::printf("\n");
    }
}

int RunWithRatios(int argc, char** argv, std::string subject, std::string yardstick) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(std::move(subject), std::move(yardstick));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
