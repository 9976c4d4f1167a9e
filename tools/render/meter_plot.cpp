#include "meter_plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace vanto {

namespace {

constexpr int kWidth = 1400;
constexpr int kHeight = 720;
constexpr double kLeft = 70;
constexpr double kRight = 20;
constexpr double kLevelFloorDb = -60;
constexpr double kReductionRangeDb = 12;

struct Rgb {
    double r, g, b;
};

constexpr Rgb kBackground{0.08, 0.09, 0.11};
constexpr Rgb kGrid{0.2, 0.22, 0.26};
constexpr Rgb kText{0.75, 0.78, 0.84};
constexpr Rgb kInput{0.55, 0.58, 0.65};
constexpr Rgb kOutput{0.42, 0.76, 1.0};
constexpr Rgb kLowBand{0.42, 0.76, 1.0};
constexpr Rgb kGlue{1.0, 0.72, 0.42};
constexpr Rgb kLaneColours[kMeterLanes] = {
    {1.0, 0.42, 0.42}, {1.0, 0.72, 0.42}, {0.56, 0.89, 0.65}, {0.75, 0.78, 0.84}};

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// A panel of the picture: its box and its value range, top value first.
struct Panel {
    double top, bottom, high, low;
    double y(double value) const {
        const double clamped = std::clamp(value, low, high);
        return top + (high - clamped) / (high - low) * (bottom - top);
    }
};

void colour(cairo_t* g, Rgb c) {
    cairo_set_source_rgb(g, c.r, c.g, c.b);
}

void text(cairo_t* g, double x, double y, const char* words) {
    cairo_move_to(g, x, y);
    cairo_show_text(g, words);
}

double peakDb(float peak) {
    return peak > 0 ? 20 * std::log10(peak) : kLevelFloorDb;
}

class Plot {
  public:
    Plot(cairo_t* g, const std::vector<SignalMeterRecord>& records) : g(g), records(records) {
        start = static_cast<double>(records.front().atFrame) / kMeterFrameRate;
        const SignalMeterRecord& last = records.back();
        end = static_cast<double>(last.atFrame + last.frames) / kMeterFrameRate;
    }

    void draw() {
        colour(g, kBackground);
        cairo_paint(g);
        cairo_select_font_face(g, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(g, 12);
        const Panel levels{30, 340, 0, kLevelFloorDb};
        const Panel reduction{400, kHeight - 40, 0, -kReductionRangeDb};
        drawAxes(levels, 12, "Level (dBFS): input grey, output blue");
        drawAxes(reduction, 3, "Gain (dB): low band blue, glue reduction orange");
        drawHits(levels, reduction);
        drawLine(levels, kInput,
                 [](const SignalMeterRecord& r) { return peakDb(std::max(r.inputPeak[0], r.inputPeak[1])); });
        drawLine(levels, kOutput, [](const SignalMeterRecord& r) {
            return peakDb(std::max(r.outputPeak[0], r.outputPeak[1]));
        });
        drawLine(reduction, kLowBand, [](const SignalMeterRecord& r) { return double(r.lowBandGainDb); });
        drawLine(reduction, kGlue, [](const SignalMeterRecord& r) { return -double(r.glueReductionDb); });
        drawTimeAxis(reduction);
    }

  private:
    double x(double seconds) const {
        return kLeft + (seconds - start) / (end - start) * (kWidth - kLeft - kRight);
    }

    void drawAxes(const Panel& panel, double stepDb, const char* title) {
        cairo_set_line_width(g, 1);
        char label[32];
        for (double db = panel.high; db >= panel.low - 1e-9; db -= stepDb) {
            colour(g, kGrid);
            cairo_move_to(g, kLeft, std::round(panel.y(db)) + 0.5);
            cairo_line_to(g, kWidth - kRight, std::round(panel.y(db)) + 0.5);
            cairo_stroke(g);
            colour(g, kText);
            std::snprintf(label, sizeof label, "%g", db);
            text(g, 30, panel.y(db) + 4, label);
        }
        text(g, kLeft, panel.top - 10, title);
    }

    void drawHits(const Panel& levels, const Panel& reduction) {
        cairo_set_line_width(g, 1);
        for (const SignalMeterRecord& record : records) {
            for (int lane = 0; lane < kMeterLanes; ++lane) {
                if (!record.hit(lane)) {
                    continue;
                }
                const double at =
                    std::round(x((record.atFrame + record.hitOffset[lane]) / kMeterFrameRate)) + 0.5;
                colour(g, kLaneColours[lane]);
                const double tick = 6 + 4 * lane;
                // Kick hits run through both panels; the other lanes' sit as ticks below the level panel.
                cairo_move_to(g, at, lane == 0 ? levels.top : levels.bottom + tick - 4);
                cairo_line_to(g, at, lane == 0 ? reduction.bottom : levels.bottom + tick);
                cairo_stroke(g);
            }
        }
    }

    template <class Value> void drawLine(const Panel& panel, Rgb c, Value value) {
        colour(g, c);
        cairo_set_line_width(g, 1.5);
        for (const SignalMeterRecord& record : records) {
            const double t = (record.atFrame + record.frames / 2.0) / kMeterFrameRate;
            cairo_line_to(g, x(t), panel.y(value(record)));
        }
        cairo_stroke(g);
    }

    void drawTimeAxis(const Panel& panel) {
        colour(g, kText);
        const double step = end - start > 20 ? 5 : 1;
        char label[32];
        for (double t = std::ceil(start / step) * step; t <= end; t += step) {
            std::snprintf(label, sizeof label, "%g s", t);
            text(g, x(t) - 8, panel.bottom + 20, label);
        }
    }

    cairo_t* g;
    const std::vector<SignalMeterRecord>& records;
    double start = 0;
    double end = 1;
};

} // namespace

bool writeMeterPlot(const std::string& path, const std::vector<SignalMeterRecord>& records,
                    std::string& error) {
    if (records.empty()) {
        error = "no meter records to plot";
        return false;
    }
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), &cairo_surface_destroy);
    Context context(cairo_create(surface.get()), &cairo_destroy);
    Plot(context.get(), records).draw();
    cairo_surface_flush(surface.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_write_to_png(surface.get(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot write the plot " + path;
        return false;
    }
    return true;
}

} // namespace vanto
