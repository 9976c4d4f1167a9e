#include "progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace vanto {

namespace {

constexpr auto kDelayBeforeShowing = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

} // namespace

ProgressBar::ProgressBar(uint64_t total)
    : total(total), enabled(isatty(STDERR_FILENO) != 0), started(Clock::now()), lastDrawn(started) {}

ProgressBar::~ProgressBar() {
    if (shown) {
        std::fprintf(stderr, "\r%*s\r", kBarWidth + 8, "");
        std::fflush(stderr);
    }
}

void ProgressBar::update(uint64_t done) {
    if (!enabled || total == 0) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now - started < kDelayBeforeShowing || (shown && now - lastDrawn < kRedrawInterval)) {
        return;
    }
    shown = true;
    lastDrawn = now;
    const double fraction = std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
    const int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    std::fill(bar, bar + filled, '#');
    std::fill(bar + filled, bar + kBarWidth, ' ');
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, static_cast<int>(fraction * 100));
    std::fflush(stderr);
}

} // namespace vanto
