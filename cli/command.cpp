// SPDX-License-Identifier: Apache-2.0
#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "cli/plot.h"
#include "cli/request_source.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/diagnostics.h"
#include "numeric/failure.h"
#include "numeric/printable_text.h"
#include "sharp/sharp.h"

namespace vendrill::cli {

namespace {

const char* const program_description =
    "vendrill-cli --type {0|1|2} --position X [--lower A] [--upper B]\n"
    "             [--method {sharp|classic}] [--format {text|json|csv}]\n"
    "             [--about C] [--] M0 M1 ... M(n-1)\n"
    "vendrill-cli --type ... --position X --mean M [--sd S [--skewness G\n"
    "             [--kurtosis K | --excess-kurtosis E]]]\n"
    "vendrill-cli --type ... --position X --sample PATH [--column N] [--moments N]\n\n"
    "Bounds the distribution function of a random variable at a position x from\n"
    "a list of its moments M0 M1 ... M(n-1) (M0 must be 1, at most 1000 moments),\n"
    "from its mean and standard deviation (and skewness, kurtosis), or from a\n"
    "sample, and its support: a lower bound L for P(X < x) and an upper bound U\n"
    "for P(X <= x); so P(X >= x) <= 1 - L and P(X > x) >= 1 - U.";

const char* const program_footer = R"(Questions people ask:
  X >= 0 has mean 1: how large can P(X >= 3) be?  (Markov: 1/3)
    vendrill-cli --type half --lower 0 --mean 1 --position 3 --tail upper
  A service time T >= 0 has mean 2 s and standard deviation 0.5 s: how large
  can P(T >= 4 s) be?  (0.25 / (0.25 + 4) = 0.0588..., one-sided Cantelli)
    vendrill-cli --type half --lower 0 --mean 2 --sd 0.5 --position 4 --tail upper
  Bounds from the first five moments of a sample of service times, one number
  a line (a CSV column with --column N), at 0, 1, ..., 8 s, and their picture:
    vendrill-cli --type half --lower 0 --sample times.txt --positions 0:8:9 \
        --format csv --plot times.svg

Types (any case; "interval" is bounded too):
  0, whole     (-inf, inf)
  1, half      [lower, inf)
  2, bounded   [lower, upper]    (lower < upper for the sharp method)

The moments, one of:
  M0 M1 ... or --moments-file PATH   the moment list (a file: numbers separated
           by blanks, line ends, commas or semicolons, # comments); raw
           moments E[X^k], or E[(X - C)^k] with --about C.  Far from 0
           compared with the spread, moments about a point near the mean keep
           digits that raw moments lose.
  --mean M [--sd S [--skewness G [--kurtosis K | --excess-kurtosis E]]]
           the moments about the mean: 1, 0, S^2, G S^3, K S^4.  K is the
           kurtosis E[(X - M)^4] / S^4 (3 for a normal distribution), not the
           excess kurtosis K - 3 (--excess-kurtosis takes that).  Each needs
           the one before it.  S must be above 0 and K at least G^2 + 1.
  --sample PATH [--column N] [--moments N]
           the first N moments (counting M0; default 5, at most 32) of the
           values in PATH (- for standard input), about their mean: those of
           the sample itself, each value with mass 1/n.  Numbers separated by
           blanks, commas or semicolons, # comments; with --column N the Nth
           field of every line (fields separated by commas, semicolons or
           tabs; a first line with a name there is a header).  Every value
           must lie on the support.  A file is read twice, standard input
           once; the values are not held, so samples of any length stream.
  The classic method turns moments about a point into raw moments.

Methods (--method):
  sharp    the default, because its bounds are the best the moments allow and
           hold for every distribution on the support whose moments are the
           given ones up to their rounding: the tightest such bounds, exact
           when the moments determine the distribution.  Any number of
           moments from M0 alone (bounds 0 and 1; with M1 Markov's bound, with
           M2 Cantelli's ...); at most 32 are used.  The moment list is
           analysed once and every position is answered from that analysis.
           Its status (per position) and verdict:
             sharp        "" (all moments used) or
                          "Only the first N moments could be used."
             determinate  "The moments determine the distribution: the bounds
                          are exact."  (one distribution, a set of atoms)
                          Next to an atom, where the moments' rounding lets
                          mass move across x, the status is sharp and the
                          verdict says the bounds are not exact.
             infeasible   "These moments do not fit the chosen support."
                          (bounds 0 and 1; still exit status 0)
  classic  the dialog's own estimations: whole needs at least 3 moments, half
           4, bounded 5.  A weaker type is tried as well; when it gives the
           tightest bounds, or when no estimation applies, the verdict says
           so.  Every classic answer is checked against the sharp analysis of
           the same request.  A bound that excludes what the moments allow is
           widened, with the verdict
             "The classic bounds were widened to stay valid for these moments."
           Moments that fit no distribution on the support keep their
           numbers, with the verdict
             "These moments do not fit the chosen support."
           Either verdict replaces the outcome's; the outcome code stays.

Output (standard output carries only the result):
  text  "Lower bound = L", "Upper bound = U", then the verdict if any; with
        several positions each block starts with "Position = X".  With
        --tail upper each block leads with "P(X >= x) <= 1 - L" and
        "P(X > x) >= 1 - U".
  json  {"type":T,"position":X,"lower":A,"upper":B,"lower_bound":L,
        "upper_bound":U,"upper_tail_max":1-L,"upper_tail_min":1-U,
        "outcome":O,"verdict":"..."} on one line; with several positions a
        JSON array holding one such object a line.  A limit the support has
        not is null (lower on the whole line, upper on the whole line and the
        half-line).  Numbers read back exactly; 1 - L is rounded up and 1 - U
        down, so that they stay bounds.
  csv   header position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,
        outcome and one line a position.
  These are the classic method's rows.  outcome: 0 no estimation applied
  (bounds 0 and 1), 1 the (-inf, inf) estimation, 2 the [lower, inf)
  estimation, 3 the [lower, upper] estimation gave the tightest bounds last.
  The sharp method's rows (the default): text as above with the sharp
  verdict; JSON objects have no "outcome" (it names a classic estimation) and
  after "upper_tail_min" carry "method":"sharp","status":S,"moments_used":N,
  "verdict":"...", and for a determinate list "atoms":[[point,mass],...]
  (numbers read back exactly); the CSV's last column is status (header
  position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,status).
  S is the position's status.
  --plot FILE.svg (with --positions) also writes the band L(x)..U(x) over
  that range (at most 10000 positions) as an SVG picture: axes, the band
  filled, the atoms of a determinate list, the --position values marked.

Error log:
  Failed classic estimation attempts append reports, with this request and the
  position being computed, to ./error.log (--log PATH elsewhere, --no-log none).
  Each report lands whole, also when several runs share the log.  A log that
  is not a regular file (a pipe, /dev/stderr) gets the reports without the
  banner check; a symbolic link is followed only to a Vendrill log.  When the
  log cannot take a report (a full disk, a FIFO nobody reads), the report goes
  to standard error, the first time after a line that says why, and the run
  goes on.  Diagnostic lines of the estimation go to standard error.  The
  sharp method reports through its status and verdict only: it writes no
  error log (--log and --no-log are accepted and change nothing).

Input limits: at most 1000 moments; a moments file (or standard input) of at
most 1 MiB; at most 2^53 positions in all.

Exit status: 0 result computed (any outcome), 2 invalid input (message on
standard error, nothing on standard output, nothing logged), 1 failure: the
computation was abandoned, or the output could not be written (the run stops
at the first failed write, with a message; a closed pipe ends it quietly
through SIGPIPE unless that signal is ignored).

Negative numbers are ordinary values (--position -1.5, --lower -2); put the
moments after -- when the first of them is negative.

Examples:
  vendrill-cli --type whole --position -0.3 --format json -- 1 0 1 0 1
  vendrill-cli --type bounded --lower 0 --upper 1e6 --position 1e5 \
      --mean 1e4 --sd 3e4 --skewness 5 --kurtosis 40
  vendrill-cli --type half --lower 0 --position 3 -- 1 1
  vendrill-cli --method classic --type whole --position 1 -- 1 0 1
  vendrill-cli --method classic --type 2 --lower 0 --upper 1 --positions 0:1:11 \
      --format csv -- 1 0.5 0.333333333333333 0.25 0.2
  printf '1 0.5 1 3\n' | vendrill-cli --method classic --type half --position 1 \
      --moments-file - --format json)";

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
    app.add_option("--method", raw.method, "Bounds: sharp (default) or classic")
        ->type_name("METHOD");
    app.add_option("--format", raw.format, "Output: text (default), json or csv")
        ->type_name("FORMAT");
    app.add_option("--moments-file", raw.moments_file, "Moments from a file, - for stdin")
        ->type_name("PATH");
    app.add_option("--about", raw.about, "The moments are E[(X - C)^k] (default 0: raw moments)")
        ->type_name("C");
    app.add_option("--mean", raw.mean, "Mean, in place of a moment list")->type_name("M");
    app.add_option("--sd", raw.sd, "Standard deviation (needs --mean)")->type_name("S");
    app.add_option("--skewness", raw.skewness, "Skewness (needs --sd)")->type_name("G");
    app.add_option("--kurtosis", raw.kurtosis, "Kurtosis, not excess (needs --skewness)")
        ->type_name("K");
    app.add_option("--excess-kurtosis", raw.excess_kurtosis, "Kurtosis - 3, in place of --kurtosis")
        ->type_name("E");
    app.add_option("--sample", raw.sample, "Moments of a sample in a file, - for stdin")
        ->type_name("PATH");
    app.add_option("--column", raw.column, "--sample: the Nth field of each CSV line")
        ->type_name("N");
    app.add_option("--moments", raw.sample_moments, "--sample: N moments, M0 included (default 5)")
        ->type_name("N");
    app.add_option("--tail", raw.tail, "Text output: lower (default) or upper (tails first)")
        ->type_name("TAIL");
    app.add_option("--plot", raw.plot_path, "Draw the band over --positions as SVG")
        ->type_name("FILE.svg");
    app.add_option("--log", raw.log_path, "Write the error log to PATH, not ./error.log")
        ->type_name("PATH");
    app.add_flag("--no-log", raw.no_log, "Write no error log");
    app.add_option("moments", raw.moments, "The moments M0 M1 ..., M0 = 1")->type_name("M");
}

// Every classic row comes from the library's one entry point, built once for
// the request (one guarding sharp analysis for all positions).  The request
// source follows the position, so that a report names the position being
// computed.
int compute_classic(const Request& request, CliRequestSource& source, EstimationContext& context,
                    std::FILE* out) {
    const ClassicEstimation estimation(
        request.support, request.lower, request.upper, request.moments.data(),
        static_cast<int>(request.moments.size()), context, request.centre);
    const std::uint64_t count = request.position_count();
    ResultWriter writer(out, request, count);
    writer.begin();
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = request.position_at(i);
        source.set_position(x);
        const Estimate e = estimation.at(x);
        writer.write(ResultRow{x, e.lower_bound, e.upper_bound, e.outcome, e.guard});
    }
    writer.end();
    return exit_computed;
}

SharpAnalysis analyse_request(const Request& request) {
    return analyse_moments(request.support, request.lower, request.upper, request.moments.data(),
                           static_cast<int>(request.moments.size()), request.centre);
}

// One analysis answers every position, in O(n^2) each.
int compute_sharp(const Request& request, const SharpAnalysis& analysis, std::FILE* out) {
    const std::uint64_t count = request.position_count();
    ResultWriter writer(out, request, count, &analysis);
    writer.begin();
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = request.position_at(i);
        const SharpBounds bounds = sharp_bounds_at(analysis, x);
        writer.write(ResultRow{x, bounds.lower_bound, bounds.upper_bound, Outcome::none,
                               GuardVerdict::none, bounds.status});
    }
    writer.end();
    return exit_computed;
}

int output_failed(std::FILE* err, int error) {
    std::fprintf(err, "vendrill-cli: cannot write the result: %s\n", std::strerror(error));
    return exit_failure;
}

// Status 0 when everything written reached the output, 1 otherwise.
int finish_output(std::FILE* out, std::FILE* err) {
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out) != 0)
        return output_failed(err, errno != 0 ? errno : EIO);
    return exit_computed;
}

// The sharp method reports through its values only: it leaves the error log
// and the diagnostic stream alone.
int run_sharp(const Request& request, const SharpAnalysis& analysis, std::FILE* out,
              std::FILE* err) {
    try {
        compute_sharp(request, analysis, out);
    } catch (const OutputFailure& failure) {
        return output_failed(err, failure.error());
    } catch (const std::bad_alloc&) {
        std::fflush(out);
        std::fprintf(err, "vendrill-cli: out of memory\n");
        return exit_failure;
    }
    return finish_output(out, err);
}

// The classic method: the log at --log's path (./error.log by default, none
// with --no-log), this request in its reports, the diagnostics on err.
int run_classic(const Request& request, std::FILE* out, std::FILE* err) {
    try {
        // The reports show the raw moments the estimations worked on.
        CliRequestSource source(request.support, request.lower, request.upper,
                                request.raw_moments());
        EstimationContext context;
        if (!request.log_enabled)
            context.log_path.reset();
        else if (request.log_path)
            context.log_path = *request.log_path;
        context.request = &source;
        context.diagnostics = DiagnosticSink(err);
        try {
            compute_classic(request, source, context, out);
        } catch (const Failure& failure) {
            // A failure outside the drivers' attempts (no memory for the
            // moments): it is reported like theirs, and the run cannot go on.
            context.report(failure);
            std::fflush(out);
            std::fprintf(err, "vendrill-cli: the computation was abandoned (error code %d)\n",
                         failure_code_number(failure.code()));
            return exit_failure;
        }
    } catch (const OutputFailure& failure) {
        return output_failed(err, failure.error());
    } catch (const std::bad_alloc&) {
        std::fflush(out);
        std::fprintf(err, "vendrill-cli: out of memory\n");
        return exit_failure;
    }
    return finish_output(out, err);
}

} // namespace

std::optional<int> parse_arguments(int argc, const char* const* argv, RawArguments& raw,
                                   std::FILE* out, std::FILE* err) {
    CLI::App app(program_description, "vendrill-cli");
    app.footer(program_footer);
    define_options(app, raw);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const std::string help = app.help();
        errno = 0;
        if (std::fwrite(help.data(), 1, help.size(), out) != help.size() || std::fflush(out) != 0 ||
            std::ferror(out) != 0) {
            std::fprintf(err, "vendrill-cli: cannot write the help: %s\n",
                         std::strerror(errno != 0 ? errno : EIO));
            return exit_failure;
        }
        return exit_computed;
    } catch (const CLI::ParseError& e) {
        std::fprintf(err, "%s\nRun 'vendrill-cli --help' for usage.\n",
                     printable_message(e.what()).c_str());
        return exit_invalid_input;
    }
    return std::nullopt;
}

int run_request(const Request& request, std::FILE* out, std::FILE* err) {
    SharpAnalysis analysis;
    if (request.method == Method::sharp) {
        // A request the sharp method cannot analyse (a bounded support with
        // lower >= upper) is invalid input, refused before any output.
        try {
            analysis = analyse_request(request);
        } catch (const std::bad_alloc&) {
            std::fprintf(err, "vendrill-cli: out of memory\n");
            return exit_failure;
        }
        if (analysis.status == SharpStatus::invalid) {
            std::fprintf(err, "--method sharp: %s\n", analysis.message.c_str());
            return exit_invalid_input;
        }
    }
    // The picture first: when it cannot be written, no result is printed.
    if (request.plot_path) {
        int error = 0;
        try {
            error = write_plot(request);
        } catch (const std::bad_alloc&) {
            error = ENOMEM;
        }
        if (error != 0) {
            std::fprintf(err, "vendrill-cli: cannot write the plot %s: %s\n",
                         quoted_excerpt(*request.plot_path).c_str(), std::strerror(error));
            return exit_failure;
        }
    }
    if (request.method == Method::sharp)
        return run_sharp(request, analysis, out, err);
    return run_classic(request, out, err);
}

int run_cli(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    RawArguments raw;
    if (const std::optional<int> status = parse_arguments(argc, argv, raw, out, err))
        return *status;
    Request request;
    try {
        request = validate(raw, in);
    } catch (const InvalidInput& e) {
        std::fprintf(err, "%s\n", e.what());
        return exit_invalid_input;
    }
    return run_request(request, out, err);
}

} // namespace vendrill::cli
