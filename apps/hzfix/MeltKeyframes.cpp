#include "apps/hzfix/MeltKeyframes.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "apps/frei0r/Frei0rParams.h"

namespace hzfix {

namespace {

// Douglas-Peucker: between two kept frames, the one farthest from the line
// joining them is kept too when it is too far, and both halves are looked
// at again.
std::vector<bool> NeededFrames(const std::vector<int32_t>& turns) {
    std::vector<bool> keep(turns.size(), false);
    if (turns.empty()) return keep;
    keep.front() = keep.back() = true;
    std::vector<std::pair<size_t, size_t>> spans = {{0, turns.size() - 1}};
    while (!spans.empty()) {
        const auto [a, b] = spans.back();
        spans.pop_back();
        size_t worst = a;
        double worstMiss = cKeyframeSlack;
        for (size_t i = a + 1; i < b; ++i) {
            const double along = static_cast<double>(i - a) / static_cast<double>(b - a);
            const double line = turns[a] + along * (turns[b] - turns[a]);
            const double miss = std::abs(turns[i] - line);
            if (miss > worstMiss) worst = i, worstMiss = miss;
        }
        if (worst == a) continue;
        keep[worst] = true;
        spans.push_back({a, worst});
        spans.push_back({worst, b});
    }
    return keep;
}

}  // namespace

std::string MeltTurnKeyframes(int64_t first, const std::vector<int32_t>& turns) {
    const SettingDescRec& turn = *SliderDesc(cTurnSlider);
    const std::vector<bool> keep = NeededFrames(turns);
    std::string text;
    for (size_t i = 0; i < turns.size(); ++i) {
        if (!keep[i]) continue;
        char key[64];
        std::snprintf(key, sizeof key, "%s%lld=%.6f", text.empty() ? "" : ";",
                      static_cast<long long>(first + static_cast<int64_t>(i)),
                      hzfrei0r::ToUnit(turn, turns[i] / 100.0));
        text += key;
    }
    return text;
}

}  // namespace hzfix
