// SPDX-License-Identifier: Apache-2.0
#include "cli/plot.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/output.h"
#include "estimation/envelope.h"
#include "sharp/sharp.h"

namespace vendrill::cli {

namespace {

// Pixels are written with three decimals: a thousandth of a pixel is far
// below what a screen shows, and keeps the curves' values to 1e-5.
constexpr int pixel_decimals = 3;
// About this many ticks on the x axis.
constexpr double x_tick_target = 6.0;
constexpr int y_ticks = 5; // 0, 0.2, ..., 1

const char* const lower_colour = "#1f5fa8";
const char* const upper_colour = "#c0392b";
const char* const band_colour = "#8fb8e6";
const char* const atom_colour = "#2a8a3e";

std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

std::string pixel(double value) {
    return fixed(value, pixel_decimals);
}

// Text for an XML element or attribute.
std::string xml_text(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// The x range of the picture, never empty.
struct Axis {
    double from = 0.0;
    double to = 1.0;

    // Halved before the difference, so that ends near the largest double do
    // not overflow it.
    double pixel_of(double x) const {
        return plot_left + (x / 2 - from / 2) / (to / 2 - from / 2) * (plot_right - plot_left);
    }
};

Axis axis_of(const PositionRange& range) {
    Axis axis{std::min(range.from, range.to), std::max(range.from, range.to)};
    if (!(axis.from < axis.to)) {
        const double half = std::max(0.5, std::fabs(axis.from) * 1e-6);
        axis = {axis.from - half, axis.to + half};
    }
    return axis;
}

double y_pixel(double probability) {
    return plot_bottom - probability * (plot_bottom - plot_top);
}

// Tick labels: as many significant digits as the ticks' spacing needs.
std::string tick_label(double value, double step, const Axis& axis) {
    if (value == 0.0 || std::fabs(value) < step * 1e-9)
        return "0";
    const double largest = std::max(std::fabs(axis.from), std::fabs(axis.to));
    const int digits = static_cast<int>(std::floor(std::log10(largest))) -
                       static_cast<int>(std::floor(std::log10(step))) + 1;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, std::clamp(digits, 1, 15));
    return std::string(buffer, result.ptr);
}

// Ticks at 1, 2 or 5 times a power of ten.
std::vector<double> x_ticks(const Axis& axis, double& step) {
    std::vector<double> ticks;
    const double raw = (axis.to / 2 - axis.from / 2) / (x_tick_target / 2);
    if (!(raw > 0) || !std::isfinite(raw))
        return ticks;
    const double base = std::pow(10.0, std::floor(std::log10(raw)));
    const double ratio = raw / base;
    step = (ratio < 1.5 ? 1.0 : ratio < 3.5 ? 2.0 : ratio < 7.5 ? 5.0 : 10.0) * base;
    if (!(step > 0) || !std::isfinite(step))
        return ticks;
    const double first = std::ceil(axis.from / step);
    for (int k = 0; k < 4 * static_cast<int>(x_tick_target); ++k) {
        const double tick = (first + k) * step;
        if (tick > axis.to || (!ticks.empty() && tick == ticks.back()))
            break;
        ticks.push_back(tick);
    }
    return ticks;
}

std::string support_text(const Request& request) {
    switch (request.support) {
    case Support::whole:
        return "(-inf, inf)";
    case Support::half:
        return "[" + display_number(request.lower) + ", inf)";
    case Support::interval:
        break;
    }
    return "[" + display_number(request.lower) + ", " + display_number(request.upper) + "]";
}

BoundsRequest bounds_request(const Request& request) {
    BoundsRequest bounds;
    bounds.support = request.support;
    bounds.lower = request.lower;
    bounds.upper = request.upper;
    bounds.moments = request.moments;
    bounds.method = request.method == Method::sharp ? ::Method::sharp : ::Method::classic;
    bounds.centre = request.centre;
    return bounds;
}

// "M x y L x y ..." through the points.
std::string path_through(const std::vector<double>& x, const std::vector<double>& y) {
    std::string d;
    for (std::size_t i = 0; i < x.size(); ++i)
        d += (i == 0 ? "M" : " L") + pixel(x[i]) + " " + pixel(y[i]);
    return d;
}

void axes(std::string& svg, const Axis& axis) {
    const std::string left = pixel(plot_left);
    const std::string right = pixel(plot_right);
    const std::string top = pixel(plot_top);
    const std::string bottom = pixel(plot_bottom);
    svg += "<g id=\"axes\" font-size=\"12\" fill=\"#222\">\n";
    for (int i = 0; i <= y_ticks; ++i) {
        const double p = static_cast<double>(i) / y_ticks;
        const std::string y = pixel(y_pixel(p));
        svg += "<line x1=\"" + left + "\" y1=\"" + y + "\" x2=\"" + right + "\" y2=\"" + y +
               "\" stroke=\"#ddd\"/>\n";
        svg += "<text x=\"" + pixel(plot_left - 8) + "\" y=\"" + pixel(y_pixel(p) + 4) +
               "\" text-anchor=\"end\">" + fixed(p, 1) + "</text>\n";
    }
    double step = 0.0;
    for (const double tick : x_ticks(axis, step)) {
        const std::string x = pixel(axis.pixel_of(tick));
        svg += "<line x1=\"" + x + "\" y1=\"" + bottom + "\" x2=\"" + x + "\" y2=\"" +
               pixel(plot_bottom + 6) + "\" stroke=\"#222\"/>\n";
        svg += "<text x=\"" + x + "\" y=\"" + pixel(plot_bottom + 22) +
               "\" text-anchor=\"middle\">" + xml_text(tick_label(tick, step, axis)) + "</text>\n";
    }
    svg += "<rect x=\"" + left + "\" y=\"" + top + "\" width=\"" + pixel(plot_right - plot_left) +
           "\" height=\"" + pixel(plot_bottom - plot_top) + "\" fill=\"none\" stroke=\"#222\"/>\n";
    svg += "<text x=\"" + pixel((plot_left + plot_right) / 2) + "\" y=\"" +
           pixel(plot_bottom + 44) + "\" text-anchor=\"middle\" font-size=\"14\">x</text>\n";
    svg += "<text transform=\"translate(22 " + pixel((plot_top + plot_bottom) / 2) +
           ") rotate(-90)\" text-anchor=\"middle\" font-size=\"14\">probability</text>\n";
    svg += "</g>\n";
}

void legend(std::string& svg, bool atoms) {
    const double y = plot_height - 30;
    struct Entry {
        const char* colour;
        const char* text;
        double width;
    };
    std::vector<Entry> entries = {
        {lower_colour, "L(x), lower bound for P(X < x)", 250},
        {upper_colour, "U(x), upper bound for P(X \xe2\x89\xa4 x)", 250},
    };
    if (atoms)
        entries.push_back({atom_colour, "atoms (height: mass)", 180});
    svg += "<g id=\"legend\" font-size=\"12\" fill=\"#222\">\n";
    double x = plot_left;
    for (const Entry& e : entries) {
        svg += "<line x1=\"" + pixel(x) + "\" y1=\"" + pixel(y) + "\" x2=\"" + pixel(x + 24) +
               "\" y2=\"" + pixel(y) + "\" stroke=\"" + e.colour + "\" stroke-width=\"3\"/>\n";
        svg += "<text x=\"" + pixel(x + 30) + "\" y=\"" + pixel(y + 4) + "\">" + xml_text(e.text) +
               "</text>\n";
        x += e.width;
    }
    svg += "</g>\n";
}

} // namespace

std::string band_svg(const Request& request) {
    const PositionRange range = request.range.value_or(PositionRange{0.0, 1.0, 2});
    const Axis axis = axis_of(range);
    const BoundsRequest bounds = bounds_request(request);
    const Envelope band =
        sample_envelope(bounds, PositionSpan{range.from, range.to},
                        static_cast<int>(std::min<std::uint64_t>(range.count, max_plot_positions)));

    std::vector<double> xs;
    std::vector<double> lows;
    std::vector<double> highs;
    for (std::size_t i = 0; i < band.position.size(); ++i) {
        xs.push_back(axis.pixel_of(band.position[i]));
        lows.push_back(y_pixel(band.lower_bound[i]));
        highs.push_back(y_pixel(band.upper_bound[i]));
    }
    const bool show_atoms = band.status == SharpStatus::determinate && !band.atoms.empty();
    const std::string method = request.method == Method::sharp ? "Sharp" : "Classic";
    const std::string heading =
        method + " bounds on P(X < x) and P(X \xe2\x89\xa4 x), X on " + support_text(request);
    const std::string title = heading + ": " + request.description;

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(plot_width, 0) +
           "\" height=\"" + fixed(plot_height, 0) + "\" viewBox=\"0 0 " + fixed(plot_width, 0) +
           " " + fixed(plot_height, 0) + "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
    svg += "<title>" + xml_text(title) + "</title>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    svg += "<text x=\"" + pixel(plot_left) + "\" y=\"24\" font-size=\"15\">" + xml_text(heading) +
           "</text>\n";
    svg += "<text x=\"" + pixel(plot_left) + "\" y=\"44\" font-size=\"12\" fill=\"#444\">" +
           xml_text(request.description) + "</text>\n";
    axes(svg, axis);

    // The band: along L, back along U.
    std::vector<double> ring_x(xs);
    std::vector<double> ring_y(lows);
    ring_x.insert(ring_x.end(), xs.rbegin(), xs.rend());
    ring_y.insert(ring_y.end(), highs.rbegin(), highs.rend());
    svg += "<path id=\"band\" d=\"" + path_through(ring_x, ring_y) + " Z\" fill=\"" + band_colour +
           "\" fill-opacity=\"0.45\" stroke=\"none\"/>\n";
    svg += "<path id=\"lower-bound\" d=\"" + path_through(xs, lows) + "\" fill=\"none\" stroke=\"" +
           lower_colour + "\" stroke-width=\"2\"/>\n";
    svg += "<path id=\"upper-bound\" d=\"" + path_through(xs, highs) +
           "\" fill=\"none\" stroke=\"" + upper_colour + "\" stroke-width=\"2\"/>\n";

    if (show_atoms) {
        svg += "<g id=\"atoms\" stroke=\"" + std::string(atom_colour) + "\" fill=\"" + atom_colour +
               "\">\n";
        for (const SharpAtom& atom : band.atoms) {
            if (!(atom.point >= axis.from && atom.point <= axis.to))
                continue;
            const std::string x = pixel(axis.pixel_of(atom.point));
            const std::string y = pixel(y_pixel(std::clamp(atom.mass, 0.0, 1.0)));
            svg += "<g><title>atom at " + round_trip_number(atom.point) + ", mass " +
                   round_trip_number(atom.mass) + "</title><line x1=\"" + x + "\" y1=\"" +
                   pixel(plot_bottom) + "\" x2=\"" + x + "\" y2=\"" + y +
                   "\" stroke-width=\"3\"/><circle cx=\"" + x + "\" cy=\"" + y +
                   "\" r=\"3.5\"/></g>\n";
        }
        svg += "</g>\n";
    }

    if (!request.positions.empty()) {
        svg += "<g id=\"positions\" stroke=\"#111\" stroke-width=\"1.5\">\n";
        for (const double position : request.positions) {
            if (!(position >= axis.from && position <= axis.to))
                continue;
            const Envelope one = sample_envelope(bounds, PositionSpan{position, position}, 1);
            const double x = axis.pixel_of(position);
            const std::string low = pixel(y_pixel(one.lower_bound.front()));
            const std::string high = pixel(y_pixel(one.upper_bound.front()));
            svg += "<g><title>x = " + round_trip_number(position) +
                   ": L = " + round_trip_number(one.lower_bound.front()) +
                   ", U = " + round_trip_number(one.upper_bound.front()) + "</title>";
            svg += "<line x1=\"" + pixel(x) + "\" y1=\"" + low + "\" x2=\"" + pixel(x) +
                   "\" y2=\"" + high + "\"/>";
            for (const std::string& y : {low, high})
                svg += "<line x1=\"" + pixel(x - 5) + "\" y1=\"" + y + "\" x2=\"" + pixel(x + 5) +
                       "\" y2=\"" + y + "\"/>";
            svg += "</g>\n";
        }
        svg += "</g>\n";
    }
    legend(svg, show_atoms);
    svg += "</svg>\n";
    return svg;
}

int write_plot(const Request& request) {
    const std::string svg = band_svg(request);
    errno = 0;
    std::FILE* file = std::fopen(request.plot_path->c_str(), "wb");
    if (file == nullptr)
        return errno != 0 ? errno : EIO;
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    const int write_error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written)
        return write_error != 0 ? write_error : EIO;
    if (!closed)
        return errno != 0 ? errno : EIO;
    return 0;
}

} // namespace vendrill::cli
