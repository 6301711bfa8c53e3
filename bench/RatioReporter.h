// Prints the console report with aggregates only, then each frame request's
// time as a ratio to the yardstick's at the same size: the median ratio and
// the range of the ratios of same-numbered repetitions, in processor time
// (which a busy shared machine disturbs least) and in wall time. Ratios
// hold where absolute times drift with the machine's load.
#ifndef HZ_BENCH_RATIOREPORTER_H
#define HZ_BENCH_RATIOREPORTER_H

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Runs named `subject` are compared with runs named `yardstick` whose
    // arguments match theirs with any "/fade:..." taken off.
    RatioReporter(std::string subject, std::string yardstick)
        : subject_(std::move(subject)), yardstick_(std::move(yardstick)) {}
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    std::string subject_, yardstick_;
    struct Times {
        std::vector<double> cpu, real;  // one per repetition
    };
    // function name -> arguments -> times
    std::map<std::string, std::map<std::string, Times>> times_;
};

// A benchmark program's main: the benchmarks chosen on the command line,
// reported with `subject`'s ratios to `yardstick`.
int RunWithRatios(int argc, char** argv, std::string subject, std::string yardstick);

}  // namespace bench

#endif
