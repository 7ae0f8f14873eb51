// SPDX-License-Identifier: Apache-2.0
// Cost of the dialog's picture of the bounds: the 500 positions of a picture
// sampled from the library (sample_picture), the picture drawn into an image
// the size of the window's (draw_picture), and both, for each method on 9
// moments of the uniform distribution and of a 3-atom distribution on [0, 1].
// Target: sampling and drawing together <= 50 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <vector>

#include "app/bounds_plot.h"
#include "bench/bench_support.h"

namespace {

using vendrill::PlotPicture;

struct Case {
    const char* name;
    Method method;
    std::vector<double> (*moments)(int);
};

const Case cases[] = {
    {"classic/uniform", Method::classic, bench_support::uniform_moments},
    {"classic/three_atoms", Method::classic, bench_support::three_atom_moments},
    {"sharp/uniform", Method::sharp, bench_support::uniform_moments},
    {"sharp/three_atoms", Method::sharp, bench_support::three_atom_moments},
};

constexpr int moment_count = 9;
constexpr double position = 0.3;

BoundsRequest request_of(const Case& c) {
    return BoundsRequest{Support::interval, 0.0, 1.0, c.moments(moment_count), c.method};
}

PlotPicture picture_of(const Case& c) {
    const BoundsRequest request = request_of(c);
    return vendrill::sample_picture(request, default_span(request, position), position);
}

// An image of the plot window's picture at its first size.
void draw(QImage& image, const PlotPicture& picture) {
    image.fill(Qt::white);
    QPainter painter(&image);
    vendrill::draw_picture(painter, image.rect(), picture);
}

void sample_cost(benchmark::State& state, const Case& c) {
    const BoundsRequest request = request_of(c);
    for (auto _ : state) {
        PlotPicture picture =
            vendrill::sample_picture(request, default_span(request, position), position);
        benchmark::DoNotOptimize(picture.envelope.lower_bound.data());
    }
}

void draw_cost(benchmark::State& state, const Case& c) {
    const PlotPicture picture = picture_of(c);
    QImage image(700, 420, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        draw(image, picture);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void sample_and_draw_cost(benchmark::State& state, const Case& c) {
    const BoundsRequest request = request_of(c);
    QImage image(700, 420, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const PlotPicture picture =
            vendrill::sample_picture(request, default_span(request, position), position);
        draw(image, picture);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void register_all() {
    for (const Case& c : cases) {
        const std::string name = c.name;
        benchmark::RegisterBenchmark(("plot_sample/" + name).c_str(), sample_cost, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("plot_draw/" + name).c_str(), draw_cost, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("plot_sample_and_draw/" + name).c_str(), sample_and_draw_cost,
                                     c)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Drawing text needs a GUI application, which needs no display here.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    register_all();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
