#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <new>
#include <string>

#include "cli/request_source.h"
#include "estimation/bounded.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "numeric/diagnostics.h"
#include "numeric/error_log.h"
#include "numeric/vector.h"
#include "sharp/sharp.h"

namespace vendrill::cli {

namespace {

const char* const program_description =
    "vendrill-cli --type {0|1|2} --position X [--lower A] [--upper B]\n"
    "             [--method {classic|sharp}] [--format {text|json|csv}]\n"
    "             [--] M0 M1 ... M(n-1)\n\n"
    "Bounds the distribution function of a random variable at a position x from\n"
    "a list of its moments M0 M1 ... M(n-1) (M0 must be 1) and its support:\n"
    "a lower bound for P(X < x) and an upper bound for P(X <= x).";

const char* const program_footer = R"(Types:
  0, whole     (-inf, inf)       needs at least 3 moments
  1, half      [lower, inf)      needs at least 4 moments
  2, bounded   [lower, upper]    needs at least 5 moments
  A weaker type is tried as well; when it gives the tightest bounds, or when
  no estimation applies, the verdict says so.

Methods (--method):
  classic  the default: the estimations above, as the dialog computes them.
  sharp    the tightest bounds that any distribution on the support with these
           moments allows.  The moment list is analysed once and every
           position is answered from that analysis; at most 32 moments are
           used.  Its status and verdict:
             sharp        "" (all moments used) or
                          "Only the first N moments could be used."
             determinate  "The moments determine the distribution: the bounds
                          are exact."  (one distribution, a set of atoms)
             infeasible   "These moments do not fit the chosen support."
                          (bounds 0 and 1; still exit status 0)
           The classic checks of the request apply; a bounded support also
           needs lower < upper.

Output (standard output carries only the result):
  text  "Lower bound = L", "Upper bound = U", then the verdict if any; with
        several positions each block starts with "Position = X".
  json  {"type":T,"position":X,"lower":A,"upper":B,"lower_bound":L,
        "upper_bound":U,"outcome":O,"verdict":"..."} on one line; with several
        positions a JSON array holding one such object a line.  Numbers read
        back exactly.
  csv   header position,lower_bound,upper_bound,outcome and one line a position.
  outcome: 0 no estimation applied (bounds 0 and 1), 1 the (-inf, inf)
  estimation, 2 the [lower, inf) estimation, 3 the [lower, upper] estimation
  gave the tightest bounds last.
  With --method sharp: text as above with the sharp verdict; JSON objects have
  no "outcome" (it names a classic estimation) and after "upper_bound" carry
  "method":"sharp","status":S,"moments_used":N,"verdict":"...", and for
  status determinate "atoms":[[point,mass],...] (numbers read back exactly);
  the CSV header is position,lower_bound,upper_bound,status.

Error log:
  Failed estimation attempts append reports, with this request and the
  position being computed, to ./error.log (--log PATH elsewhere, --no-log none).
  Diagnostic lines of the estimation go to standard error.  The sharp method
  reports through its status and verdict only: it writes no error log (--log
  and --no-log are accepted and change nothing).

Exit status: 0 result computed (any outcome), 2 invalid input (message on
standard error, nothing on standard output, nothing logged), 1 failure.

Negative numbers are ordinary values (--position -1.5, --lower -2); put the
moments after -- when the first of them is negative.

Examples:
  vendrill-cli --type whole --position 1 -- 1 0 1
  vendrill-cli --type 2 --lower 0 --upper 1 --positions 0:1:11 --format csv \
      -- 1 0.5 0.333333333333333 0.25 0.2
  vendrill-cli --type whole --method sharp --position -0.3 --format json -- 1 0 1 0 1
  printf '1 0.5 1 3\n' | vendrill-cli --type half --position 1 --moments-file - --format json)";

// Registers the options; values land in raw as the user typed them and are
// converted by validate(), which names the argument in its messages.
void define_options(CLI::App& app, RawArguments& raw) {
    app.add_option("--type", raw.type, "Support: 0|whole, 1|half, 2|bounded")->type_name("TYPE");
    app.add_option("--position", raw.positions, "Position x (repeatable)")
        ->type_name("X")
        ->allow_extra_args(false);
    app.add_option("--positions", raw.position_range, "COUNT >= 2 positions, ends included")
        ->type_name("FROM:TO:COUNT");
    app.add_option("--lower", raw.lower, "Lower limit (default 0)")->type_name("A");
    app.add_option("--upper", raw.upper, "Upper limit (default 1)")->type_name("B");
    app.add_option("--method", raw.method, "Bounds: classic (default) or sharp")
        ->type_name("METHOD");
    app.add_option("--format", raw.format, "Output: text (default), json or csv")
        ->type_name("FORMAT");
    app.add_option("--moments-file", raw.moments_file, "Moments from a file, - for stdin")
        ->type_name("PATH");
    app.add_option("--log", raw.log_path, "Write the error log to PATH, not ./error.log")
        ->type_name("PATH");
    app.add_flag("--no-log", raw.no_log, "Write no error log");
    app.add_option("moments", raw.moments, "The moments M0 M1 ..., M0 = 1")->type_name("M");
}

// Saves the process-wide settings of the numerical library that a run
// changes, and puts them back when the run ends.
class LibrarySettingsGuard {
public:
    LibrarySettingsGuard()
        : log_path_(error_log_path()), log_enabled_(error_log_enabled()),
          diagnostics_(diagnostic_stream()) {}
    ~LibrarySettingsGuard() {
        set_error_log_path(log_path_);
        set_error_log_enabled(log_enabled_);
        set_diagnostic_stream(diagnostics_);
    }
    LibrarySettingsGuard(const LibrarySettingsGuard&) = delete;
    LibrarySettingsGuard& operator=(const LibrarySettingsGuard&) = delete;

private:
    std::string log_path_;
    bool log_enabled_;
    std::FILE* diagnostics_;
};

int compute_classic(const Request& request, std::FILE* out) {
    CliRequestSource source(request.type, request.lower, request.upper, request.moments);
    const ScopedRequestSource registration(&source);
    const Vector moments(request.moments.data(), static_cast<int>(request.moments.size()));
    const std::uint64_t count = request.position_count();
    ResultWriter writer(out, request, count);
    writer.begin();
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = request.position_at(i);
        source.set_position(x);
        writer.write(estimate_at(request, moments, x));
    }
    writer.end();
    return exit_computed;
}

SharpAnalysis analyse_request(const Request& request) {
    return analyse_moments(request.type, request.lower, request.upper, request.moments.data(),
                           static_cast<int>(request.moments.size()));
}

// One analysis answers every position, in O(n^2) each.
int compute_sharp(const Request& request, const SharpAnalysis& analysis, std::FILE* out) {
    const std::uint64_t count = request.position_count();
    ResultWriter writer(out, request, count, &analysis);
    writer.begin();
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = request.position_at(i);
        const SharpBounds bounds = sharp_bounds_at(analysis, x);
        writer.write(ResultRow{x, bounds.lower_bound, bounds.upper_bound, 0});
    }
    writer.end();
    return exit_computed;
}

// Status 0 when everything written reached the output, 1 otherwise.
int finish_output(std::FILE* out, std::FILE* err) {
    if (std::fflush(out) != 0 || std::ferror(out) != 0) {
        std::fprintf(err, "vendrill-cli: could not write the result\n");
        return exit_failure;
    }
    return exit_computed;
}

// The sharp method reports through its values only: it leaves the error log
// and the diagnostic stream alone.  A request it cannot analyse (a bounded
// support with lower >= upper) is invalid input, refused before any output.
int run_sharp(const Request& request, std::FILE* out, std::FILE* err) {
    try {
        const SharpAnalysis analysis = analyse_request(request);
        if (analysis.status == SharpStatus::invalid) {
            std::fprintf(err, "--method sharp: %s\n", analysis.message.c_str());
            return exit_invalid_input;
        }
        compute_sharp(request, analysis, out);
    } catch (const std::bad_alloc&) {
        std::fflush(out);
        std::fprintf(err, "vendrill-cli: out of memory\n");
        return exit_failure;
    }
    return finish_output(out, err);
}

} // namespace

ResultRow estimate_at(const Request& request, const Vector& moments, double position) {
    ResultRow row;
    row.position = position;
    switch (request.type) {
    case 0:
        estimate_normal(moments, position, row.lower_bound, row.upper_bound, row.outcome);
        break;
    case 1:
        estimate_positive(moments, position, request.lower, row.lower_bound, row.upper_bound,
                          row.outcome);
        break;
    default:
        estimate_bounded(moments, position, request.lower, request.upper, row.lower_bound,
                         row.upper_bound, row.outcome);
        break;
    }
    return row;
}

int run_cli(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    CLI::App app(program_description, "vendrill-cli");
    app.footer(program_footer);
    RawArguments raw;
    define_options(app, raw);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), out);
        return std::fflush(out) == 0 ? exit_computed : exit_failure;
    } catch (const CLI::ParseError& e) {
        std::fprintf(err, "%s\nRun 'vendrill-cli --help' for usage.\n", e.what());
        return exit_invalid_input;
    }

    Request request;
    try {
        request = validate(raw, in);
    } catch (const InvalidInput& e) {
        std::fprintf(err, "%s\n", e.what());
        return exit_invalid_input;
    }
    if (request.method == Method::sharp)
        return run_sharp(request, out, err);

    const LibrarySettingsGuard guard;
    if (request.log_path)
        set_error_log_path(*request.log_path);
    set_error_log_enabled(request.log_enabled);
    set_diagnostic_stream(err);
    try {
        compute_classic(request, out);
    } catch (int code) {
        // A report raised outside the drivers' attempts (no memory for the
        // moments): it is already in the log; the run cannot go on.
        std::fflush(out);
        std::fprintf(err, "vendrill-cli: the computation was abandoned (error code %d)\n", code);
        return exit_failure;
    } catch (const std::bad_alloc&) {
        std::fflush(out);
        std::fprintf(err, "vendrill-cli: out of memory\n");
        return exit_failure;
    }
    return finish_output(out, err);
}

} // namespace vendrill::cli
