// The analysis of one moment list: input checks, standardisation, the Hankel
// forms of the support through the Chebyshev algorithm, and the verdict.

#include "sharp/double_double.h"
#include "sharp/jacobi.h"
#include "sharp/sharp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace sharp_detail {

namespace {

// Unit roundoff; the given moments are exact doubles known to about EPS relative.
constexpr double eps = 0x1p-53;
// Safety factor on the first-order rounding estimates (worst-case sums that
// overstate the observed errors 10-100 times); keeps rounding from reading as
// a negative pivot.
constexpr double noise_factor = 16.0;
// A pivot whose beta is uncertain by more than 1% of the variance is dropped.
constexpr double tau_resolve = 1e-2;
// A zero pivot counts as a true boundary only when pinned this well.
constexpr double tau_pin = 1e-4;
// A pivot must be known to 0.1% of itself ...
constexpr double tau_relative = 1e-3;
// ... unless its beta is so small that it only moves masses of its own size.
constexpr double tau_small = 1e-8;
// Atom against position or end point, in standard deviations.
constexpr double tol_position = 1e-9;
// Relative moment check of a determinate distribution.
constexpr double tol_verify = 1e-8;
// Negative mass still accepted in a determinate distribution.
constexpr double tol_mass = 1e-9;

constexpr int max_moments = sharp_max_moments;
constexpr int max_nu = 2 * max_size + 1;

enum class Event { interior, unresolved, negative, boundary, loose };

struct Standardised {
    int count = 0;
    double z[max_moments] = {};
    double zbar[max_moments] = {}; // rounding level of the data in these units
    double lower = 0.0;            // a'
    double upper = 0.0;            // b'
};

// The Chebyshev algorithm on nu = w mu, with the monic polynomials and the
// pivots, run up to the first doubtful pivot.
struct Recurrence {
    SharpWeight weight = SharpWeight::one;
    int largest = -1; // largest form size the degrees need; -1: not needed
    double w[3] = {};
    int w_degree = 0;
    double nu[max_nu] = {};
    double nubar[max_nu] = {};
    double alpha[max_size + 1] = {};
    double beta[max_size + 1] = {};
    double root_beta[max_size + 1] = {};
    double pivot[max_size + 1] = {};
    double poly[max_size + 1][max_size + 1] = {}; // P_k, ascending coefficients
    int event_order = 0;                          // largest + 1 when no event
    Event event = Event::interior;
};

struct FormSpec {
    SharpWeight weight;
    int size;
};

int weight_index(SharpWeight weight) {
    return static_cast<int>(weight);
}

// The forms whose positivity decides the moments of degree dd on the support.
int forms_of_degree(int type, int dd, FormSpec* out) {
    int half = dd / 2;
    bool even = dd % 2 == 0;
    int count = 0;
    auto add = [&](SharpWeight weight, int size) {
        if (size >= 0)
            out[count++] = {weight, size};
    };
    if (type == 0) {
        add(SharpWeight::one, half);
    } else if (type == 1) {
        add(SharpWeight::one, half);
        add(SharpWeight::above_lower, even ? half - 1 : half);
    } else if (even) {
        add(SharpWeight::one, half);
        add(SharpWeight::between, half - 1);
    } else {
        add(SharpWeight::above_lower, half);
        add(SharpWeight::below_upper, half);
    }
    return count;
}

double binomial(int n, int k) {
    double value = 1.0;
    for (int i = 1; i <= k; ++i)
        value = value * static_cast<double>(n - k + i) / static_cast<double>(i);
    return std::round(value);
}

// value / scale^power: one division where the power is a normal number,
// repeated divisions where it would overflow or underflow.
double divide_by_power(double value, double scale, int power) {
    double divisor = 1.0;
    for (int i = 0; i < power; ++i)
        divisor *= scale;
    if (std::isnormal(divisor))
        return value / divisor;
    for (int i = 0; i < power; ++i)
        value /= scale;
    return value;
}

// z_j = E[((X - centre)/scale)^j], the shift summed in double-double because
// its terms cancel; zbar_j = the sum of the |terms| in the same units.
void standardise(const double* c, int n, double centre, double scale, Standardised& s) {
    s.count = n;
    DoubleDouble power[max_moments];
    power[0] = {1.0, 0.0};
    for (int k = 1; k < n; ++k)
        power[k] = multiply(power[k - 1], -centre);
    for (int j = 0; j < n; ++j) {
        DoubleDouble sum{};
        double magnitude = 0.0;
        for (int i = 0; i <= j; ++i) {
            DoubleDouble term = multiply(multiply(power[j - i], binomial(j, i)), c[i]);
            sum = add(sum, term);
            magnitude += std::fabs(term.hi);
        }
        s.z[j] = divide_by_power(to_double(sum), scale, j);
        s.zbar[j] = divide_by_power(magnitude, scale, j);
    }
    s.z[0] = 1.0;
    if (n >= 2)
        s.z[1] = 0.0;
    if (n >= 3)
        s.z[2] = 1.0;
}

void set_weight(Recurrence& rec, SharpWeight weight, const Standardised& s) {
    rec.weight = weight;
    switch (weight) {
    case SharpWeight::one:
        rec.w[0] = 1.0;
        rec.w_degree = 0;
        break;
    case SharpWeight::above_lower:
        rec.w[0] = -s.lower;
        rec.w[1] = 1.0;
        rec.w_degree = 1;
        break;
    case SharpWeight::below_upper:
        rec.w[0] = s.upper;
        rec.w[1] = -1.0;
        rec.w_degree = 1;
        break;
    case SharpWeight::between:
        rec.w[0] = -s.lower * s.upper;
        rec.w[1] = s.lower + s.upper;
        rec.w[2] = -1.0;
        rec.w_degree = 2;
        break;
    }
}

// prod over the roots of w of (|root| + 1): the scale of nu_0 against which
// the rounding of the first pivot is judged.
double root_scale(const Recurrence& rec, const Standardised& s) {
    switch (rec.weight) {
    case SharpWeight::one:
        return 1.0;
    case SharpWeight::above_lower:
        return std::fabs(s.lower) + 1.0;
    case SharpWeight::below_upper:
        return std::fabs(s.upper) + 1.0;
    case SharpWeight::between:
        return (std::fabs(s.lower) + 1.0) * (std::fabs(s.upper) + 1.0);
    }
    return 1.0;
}

void weighted_moments(Recurrence& rec, const Standardised& s) {
    for (int j = 0; j <= 2 * rec.largest; ++j) {
        double value = 0.0;
        double level = 0.0;
        for (int l = 0; l <= rec.w_degree; ++l) {
            value += rec.w[l] * s.z[j + l];
            level += std::fabs(rec.w[l]) * s.zbar[j + l];
        }
        rec.nu[j] = value;
        rec.nubar[j] = level;
    }
}

// sigma_k: how far the pivot d_k can move when every moment moves by its
// rounding level (first order: |P_k|^T Nbar |P_k|).
double pivot_rounding(const Recurrence& rec, int k) {
    double sum = 0.0;
    for (int i = 0; i <= k; ++i)
        for (int j = 0; j <= k; ++j)
            sum += std::fabs(rec.poly[k][i]) * std::fabs(rec.poly[k][j]) * rec.nubar[i + j];
    return noise_factor * eps * sum;
}

// Runs the recurrence and stops at the first pivot that is not trusted.
void chebyshev(Recurrence& rec, const Standardised& s) {
    int largest = rec.largest;
    double sig_older[max_nu] = {}; // sig_(k-2, l)
    double sig_old[max_nu] = {};   // sig_(k-1, l)
    double sig[max_nu] = {};       // sig_(k, l)
    for (int l = 0; l <= 2 * largest; ++l)
        sig[l] = rec.nu[l];
    rec.poly[0][0] = 1.0;
    rec.event_order = largest + 1;
    rec.event = Event::interior;
    for (int k = 0; k <= largest; ++k) {
        if (k >= 1) {
            for (int l = 0; l <= 2 * largest; ++l) {
                sig_older[l] = sig_old[l];
                sig_old[l] = sig[l];
            }
            double a = rec.alpha[k - 1];
            double b = k >= 2 ? rec.beta[k - 1] : 0.0;
            for (int l = k; l <= 2 * largest - k; ++l)
                sig[l] = sig_old[l + 1] - a * sig_old[l] - b * sig_older[l];
            // P_k = (t - alpha_(k-1)) P_(k-1) - beta_(k-1) P_(k-2)
            for (int i = 0; i <= k; ++i) {
                double shifted = i >= 1 ? rec.poly[k - 1][i - 1] : 0.0;
                double kept = i <= k - 1 ? rec.poly[k - 1][i] : 0.0;
                double older = (k >= 2 && i <= k - 2) ? rec.poly[k - 2][i] : 0.0;
                rec.poly[k][i] = shifted - a * kept - b * older;
            }
        }
        double d = sig[k];
        double sigma = pivot_rounding(rec, k);
        double eta = k == 0 ? sigma / root_scale(rec, s) : sigma / rec.pivot[k - 1];
        Event event = Event::interior;
        if (!std::isfinite(d) || !std::isfinite(eta) || eta > tau_resolve)
            event = Event::unresolved;
        else if (d < -sigma)
            event = Event::negative;
        else if (d <= sigma)
            event = eta <= tau_pin ? Event::boundary : Event::loose;
        else if (k >= 1 && sigma > tau_relative * d && d / rec.pivot[k - 1] > tau_small)
            event = Event::unresolved;
        if (event != Event::interior) {
            rec.event = event;
            rec.event_order = k;
            return;
        }
        rec.pivot[k] = d;
        rec.beta[k] = k == 0 ? d : d / rec.pivot[k - 1];
        rec.root_beta[k] = std::sqrt(rec.beta[k]);
        if (k < largest) {
            double previous = k == 0 ? 0.0 : sig_old[k] / sig_old[k - 1];
            rec.alpha[k] = sig[k + 1] / sig[k] - previous;
        }
    }
}

double weight_at(const Recurrence& rec, double t) {
    double value = 0.0;
    for (int l = rec.w_degree; l >= 0; --l)
        value = value * t + rec.w[l];
    return value;
}

double horner(const double* coefficients, int degree, double t) {
    double value = 0.0;
    for (int i = degree; i >= 0; --i)
        value = value * t + coefficients[i];
    return value;
}

double horner_slope(const double* coefficients, int degree, double t) {
    double value = 0.0;
    for (int i = degree; i >= 1; --i)
        value = value * t + static_cast<double>(i) * coefficients[i];
    return value;
}

// How far the zero t of P_r can move with the rounding of the data:
// |dP_r(t)| / |P_r'(t)|, dP_r bounded through the kernel polynomial
// y = sum_(k<r) P_k(t) P_k / d_k.
double node_uncertainty(const Recurrence& rec, int r, double t) {
    double y[max_size + 1] = {};
    for (int k = 0; k < r; ++k) {
        double factor = horner(rec.poly[k], k, t) / rec.pivot[k];
        for (int i = 0; i <= k; ++i)
            y[i] += factor * rec.poly[k][i];
    }
    double change = 0.0;
    for (int i = 0; i < r; ++i) {
        double inner = 0.0;
        for (int k = 0; k <= r; ++k)
            inner += rec.nubar[i + k] * std::fabs(rec.poly[r][k]);
        change += std::fabs(y[i]) * inner;
    }
    change *= noise_factor * eps;
    return change / std::fabs(horner_slope(rec.poly[r], r, t));
}

void add_atom(Discrete& dist, double point, double mass, double spread, bool at_lower,
              bool at_upper) {
    int i = dist.count++;
    dist.point[i] = point;
    dist.mass[i] = mass;
    dist.near[i] = spread; // node uncertainty for now; the position tolerance is added later
    dist.at_lower[i] = at_lower;
    dist.at_upper[i] = at_upper;
}

// The one distribution of a form singular at order r: the r-node Gauss rule of
// nu, divided by w, plus the masses at the zeros of w that close mu0 and mu1.
Discrete determinate_distribution(const Recurrence& rec, int r, const Standardised& s) {
    Discrete dist;
    double nodes[max_size + 1] = {};
    eigenvalues(rec.alpha, rec.beta, r, nodes);
    double rest0 = 1.0;
    double rest1 = 0.0;
    for (int i = 0; i < r; ++i) {
        double t = nodes[i];
        double mass = 1.0 / christoffel_sum(rec.alpha, rec.root_beta, r - 1, t) / weight_at(rec, t);
        add_atom(dist, t, mass, node_uncertainty(rec, r, t), false, false);
        rest0 -= mass;
        rest1 -= mass * t;
    }
    // End masses: a residual of O(1) quantities at rounding level is no atom.
    double noise = noise_factor * eps;
    double dropped = 0.0;
    auto add_end = [&](double point, double mass, bool at_lower) {
        if (std::fabs(mass) <= noise)
            dropped += std::fabs(mass);
        else
            add_atom(dist, point, mass, 0.0, at_lower, !at_lower);
    };
    switch (rec.weight) {
    case SharpWeight::one:
        break;
    case SharpWeight::above_lower:
        add_end(s.lower, rest0, true);
        break;
    case SharpWeight::below_upper:
        add_end(s.upper, rest0, false);
        break;
    case SharpWeight::between: {
        double at_upper = (rest1 - s.lower * rest0) / (s.upper - s.lower);
        add_end(s.lower, rest0 - at_upper, true);
        add_end(s.upper, at_upper, false);
        break;
    }
    }
    // Widening: the masses move with the nodes (slopes of the Lagrange basis).
    double widening = 0.0;
    for (int j = 0; j < dist.count; ++j)
        for (int i = 0; i < dist.count; ++i)
            if (i != j)
                widening += std::fabs(dist.mass[j]) * (dist.near[j] + dist.near[i]) /
                            std::fabs(dist.point[j] - dist.point[i]);
    dist.widening = 2.0 * widening + dropped;
    return dist;
}

// Checks the distribution against the support, the signs of its masses and the
// moments up to degree dd, with tolerances that include its own uncertainty.
bool verify(const Discrete& dist, int type, int dd, const Standardised& s) {
    double spread = dist.widening;
    if (!std::isfinite(spread))
        return false;
    double max_power[max_moments] = {};
    double sum[max_moments] = {};
    double magnitude[max_moments] = {};
    double slope[max_moments] = {};
    for (int i = 0; i < dist.count; ++i) {
        double t = dist.point[i];
        double m = dist.mass[i];
        double dt = dist.near[i];
        if (!std::isfinite(t) || !std::isfinite(m) || !std::isfinite(dt))
            return false;
        if (type >= 1 && t < s.lower - (tol_position * (1.0 + std::fabs(s.lower)) + dt))
            return false;
        if (type == 2 && t > s.upper + (tol_position * (1.0 + std::fabs(s.upper)) + dt))
            return false;
        if (m < -(tol_mass + spread))
            return false;
        double power = 1.0; // t^j
        double below = 0.0; // |t|^(j-1)
        for (int j = 0; j <= dd; ++j) {
            sum[j] += m * power;
            magnitude[j] += std::fabs(m) * std::fabs(power);
            slope[j] += std::fabs(m) * static_cast<double>(j) * below * dt;
            max_power[j] = std::max(max_power[j], std::fabs(power));
            below = std::fabs(power);
            power *= t;
        }
    }
    for (int j = 0; j <= dd; ++j) {
        double tolerance =
            tol_verify * (s.zbar[j] + magnitude[j]) + slope[j] + spread * max_power[j];
        if (!(std::fabs(s.z[j] - sum[j]) <= tolerance))
            return false;
    }
    return true;
}

// Drops the negative masses that verification accepted and turns the node
// uncertainties into position tolerances.
void finish_distribution(Discrete& dist) {
    Discrete kept;
    kept.widening = dist.widening;
    for (int i = 0; i < dist.count; ++i) {
        if (dist.mass[i] <= 0.0)
            continue;
        add_atom(kept, dist.point[i], dist.mass[i], dist.near[i] + tol_position, dist.at_lower[i],
                 dist.at_upper[i]);
    }
    dist = kept;
}

std::string count_text(int count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

struct Verdict {
    SharpStatus status = SharpStatus::sharp;
    int degree = 0;
    std::string message;
};

} // namespace

} // namespace sharp_detail

using namespace sharp_detail;

const char* status_name(SharpStatus status) {
    switch (status) {
    case SharpStatus::sharp:
        return "sharp";
    case SharpStatus::determinate:
        return "determinate";
    case SharpStatus::infeasible:
        return "infeasible";
    case SharpStatus::invalid:
        return "invalid";
    }
    return "invalid";
}

const char* weight_name(SharpWeight weight) {
    switch (weight) {
    case SharpWeight::one:
        return "1";
    case SharpWeight::above_lower:
        return "t-a";
    case SharpWeight::below_upper:
        return "b-t";
    case SharpWeight::between:
        return "(t-a)(b-t)";
    }
    return "1";
}

namespace {

void set_verdict(SharpAnalysis& analysis, SharpStatus status, int used, std::string message) {
    analysis.status = status;
    analysis.moments_used = used;
    analysis.message = std::move(message);
}

// The reasons a request cannot be analysed at all; empty when it can.
std::string invalid_reason(int type, double lower, double upper, const double* moments, int count) {
    if (type < 0 || type > 2)
        return "Unknown support type.";
    if (count < 1 || moments == nullptr)
        return "No moments were given.";
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(moments[i]))
            return "Every moment must be a finite number.";
    if (moments[0] != 1.0)
        return "The first moment must be exactly 1.";
    if (type >= 1 && !std::isfinite(lower))
        return "The lower limit must be a finite number.";
    if (type == 2 && !(std::isfinite(upper) && lower < upper))
        return "The upper limit must be a finite number above the lower limit.";
    return {};
}

// Zero variance within rounding: the only candidate is one atom at the mean.
void analyse_one_atom(SharpAnalysis& analysis, const double* c, int n, double noise) {
    double mean = c[1];
    double tolerance = 1e-9 * std::fabs(mean) + std::sqrt(noise);
    bool inside = (analysis.type == 0 || mean >= analysis.lower - tolerance) &&
                  (analysis.type != 2 || mean <= analysis.upper + tolerance);
    if (!inside) {
        set_verdict(analysis, SharpStatus::infeasible, n,
                    "The variance is zero and the mean lies outside the support.");
        return;
    }
    double power = 1.0;
    for (int j = 1; j < n; ++j) {
        power *= mean;
        if (!(std::fabs(c[j] - power) <=
              tol_verify * std::max(std::fabs(c[j]), std::fabs(power)))) {
            set_verdict(analysis, SharpStatus::infeasible, j + 1,
                        "The variance is zero, but moment " + std::to_string(j) +
                            " contradicts the single atom at the mean.");
            return;
        }
    }
    analysis.centre = mean;
    analysis.scale = 1.0;
    Discrete& dist = analysis.determinate;
    dist = Discrete{};
    dist.count = 1;
    dist.point[0] = 0.0;
    dist.mass[0] = 1.0;
    dist.near[0] = tolerance;
    analysis.atoms = {SharpAtom{mean, 1.0}};
    set_verdict(analysis, SharpStatus::determinate, n,
                "The moments determine the distribution: one atom.");
}

double original_point(const SharpAnalysis& analysis, const Discrete& dist, int i) {
    if (dist.at_lower[i])
        return analysis.lower;
    if (dist.at_upper[i])
        return analysis.upper;
    return analysis.centre + analysis.scale * dist.point[i];
}

void copy_form(Form& form, const Recurrence& rec, int size) {
    form.weight = rec.weight;
    form.size = size;
    for (int k = 0; k < size; ++k)
        form.alpha[k] = rec.alpha[k];
    for (int k = 0; k <= size; ++k) {
        form.beta[k] = rec.beta[k];
        form.root_beta[k] = rec.root_beta[k];
    }
    eigenvalues(form.alpha.data(), form.beta.data(), size, form.zeros.data());
}

} // namespace

SharpAnalysis analyse_moments(int type, double lower, double upper, const double* moments,
                              int count) {
    SharpAnalysis analysis;
    analysis.type = type;
    analysis.lower = lower;
    analysis.upper = upper;
    analysis.moments_given = count;
    std::string reason = invalid_reason(type, lower, upper, moments, count);
    if (!reason.empty()) {
        set_verdict(analysis, SharpStatus::invalid, 0, reason);
        return analysis;
    }
    const double* c = moments;
    int n = std::min(count, sharp_max_moments);

    double centre = 0.0;
    double scale = 1.0;
    if (n >= 3) {
        // The variance in double-double: c2 - c1^2 cancels for a small spread.
        DoubleDouble square = two_prod(c[1], c[1]);
        DoubleDouble variance_dd = add({c[2], 0.0}, {-square.hi, -square.lo});
        double variance = to_double(variance_dd);
        double noise = noise_factor * eps * (std::fabs(c[2]) + square.hi);
        if (!std::isfinite(square.hi) || !std::isfinite(variance) || variance < -noise) {
            set_verdict(analysis, SharpStatus::infeasible, 3,
                        "The variance is negative: no distribution has these moments.");
            return analysis;
        }
        if (variance <= noise) {
            analyse_one_atom(analysis, c, n, noise);
            return analysis;
        }
        centre = c[1];
        scale = std::sqrt(variance);
    } else if (n == 2) {
        centre = c[1];
        scale = type == 2 ? upper - lower : type == 1 ? std::fabs(c[1] - lower) : 1.0;
        if (!(scale > 0.0) || !std::isfinite(scale))
            scale = 1.0;
    }
    analysis.centre = centre;
    analysis.scale = scale;

    Standardised s;
    standardise(c, n, centre, scale, s);
    if (type >= 1)
        s.lower = (lower - centre) / scale;
    if (type == 2)
        s.upper = (upper - centre) / scale;
    analysis.lower_std = s.lower;
    analysis.upper_std = s.upper;

    // The recurrences that some degree needs, each up to the largest size needed.
    int d = n - 1;
    Recurrence runs[4];
    FormSpec specs[2];
    for (int dd = 0; dd <= d; ++dd) {
        int forms = forms_of_degree(type, dd, specs);
        for (int f = 0; f < forms; ++f) {
            Recurrence& rec = runs[weight_index(specs[f].weight)];
            rec.largest = std::max(rec.largest, specs[f].size);
        }
    }
    for (int w = 0; w < 4; ++w) {
        Recurrence& rec = runs[w];
        if (rec.largest < 0)
            continue;
        set_weight(rec, static_cast<SharpWeight>(w), s);
        weighted_moments(rec, s);
        chebyshev(rec, s);
    }

    // From the full degree down: the first degree whose forms are all trusted
    // gives the sharp bounds; a boundary form gives the determinate answer.
    bool have_hull = false;
    Discrete hull;
    for (int dd = d; dd >= 0; --dd) {
        int forms = forms_of_degree(type, dd, specs);
        Event state[2] = {Event::interior, Event::interior};
        bool any_negative = false, any_boundary = false, any_loose = false, any_unresolved = false;
        for (int f = 0; f < forms; ++f) {
            const Recurrence& rec = runs[weight_index(specs[f].weight)];
            state[f] = rec.event_order <= specs[f].size ? rec.event : Event::interior;
            any_negative |= state[f] == Event::negative;
            any_boundary |= state[f] == Event::boundary;
            any_loose |= state[f] == Event::loose;
            any_unresolved |= state[f] == Event::unresolved;
        }
        if (any_negative) {
            for (int f = 0; f < forms; ++f) {
                if (state[f] != Event::negative)
                    continue;
                const Recurrence& rec = runs[weight_index(specs[f].weight)];
                set_verdict(analysis, SharpStatus::infeasible, dd + 1,
                            std::string("Hankel form of weight ") + weight_name(rec.weight) +
                                " negative at order " + std::to_string(rec.event_order) +
                                ": no distribution on the support has these moments.");
                return analysis;
            }
        }
        if (any_boundary) {
            bool found = false;
            Discrete best;
            for (int f = 0; f < forms; ++f) {
                if (state[f] != Event::boundary)
                    continue;
                const Recurrence& rec = runs[weight_index(specs[f].weight)];
                Discrete dist = determinate_distribution(rec, rec.event_order, s);
                if (verify(dist, type, dd, s) && (!found || dist.widening < best.widening)) {
                    best = dist;
                    found = true;
                }
            }
            if (found) {
                finish_distribution(best);
                analysis.determinate = best;
                for (int i = 0; i < best.count; ++i)
                    analysis.atoms.push_back({original_point(analysis, best, i), best.mass[i]});
                std::sort(analysis.atoms.begin(), analysis.atoms.end(),
                          [](const SharpAtom& x, const SharpAtom& y) { return x.point < y.point; });
                set_verdict(analysis, SharpStatus::determinate, dd + 1,
                            "The moments determine the distribution: " +
                                count_text(best.count, "atom.", "atoms."));
                return analysis;
            }
            if (!any_loose && !any_unresolved) {
                set_verdict(analysis, SharpStatus::infeasible, dd + 1,
                            "The moments lie on the boundary of the moment space, but moment " +
                                std::string("values contradict the distribution they determine."));
                return analysis;
            }
        }
        if (any_loose && !have_hull) {
            // Zero within rounding but not pinned: the distribution it would
            // determine joins the answer from fewer moments (hull).
            for (int f = 0; f < forms && !have_hull; ++f) {
                if (state[f] != Event::loose)
                    continue;
                const Recurrence& rec = runs[weight_index(specs[f].weight)];
                Discrete dist = determinate_distribution(rec, rec.event_order, s);
                if (verify(dist, type, dd, s)) {
                    finish_distribution(dist);
                    hull = dist;
                    have_hull = true;
                }
            }
        }
        if (any_boundary || any_loose || any_unresolved)
            continue;

        analysis.form_count = forms;
        for (int f = 0; f < forms; ++f)
            copy_form(analysis.forms[f], runs[weight_index(specs[f].weight)], specs[f].size);
        analysis.has_hull_partner = have_hull;
        if (have_hull)
            analysis.hull_partner = hull;
        std::string text = "Sharp bounds from " + count_text(dd + 1, "moment", "moments");
        if (dd + 1 < count)
            text += " of " + std::to_string(count);
        set_verdict(analysis, SharpStatus::sharp, dd + 1, text + ".");
        return analysis;
    }
    // Degree 0 is always interior, so the loop has returned.
    set_verdict(analysis, SharpStatus::invalid, 0, "The moments could not be analysed.");
    return analysis;
}
