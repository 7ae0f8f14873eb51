// SPDX-License-Identifier: Apache-2.0
#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string>

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
    "             [--] M0 M1 ... M(n-1)\n\n"
    "Bounds the distribution function of a random variable at a position x from\n"
    "a list of its moments M0 M1 ... M(n-1) (M0 must be 1, at most 1000 moments)\n"
    "and its support: a lower bound for P(X < x) and an upper bound for P(X <= x).";

const char* const program_footer = R"(Types:
  0, whole     (-inf, inf)
  1, half      [lower, inf)
  2, bounded   [lower, upper]    (lower < upper for the sharp method)

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
        several positions each block starts with "Position = X".
  json  {"type":T,"position":X,"lower":A,"upper":B,"lower_bound":L,
        "upper_bound":U,"outcome":O,"verdict":"..."} on one line; with several
        positions a JSON array holding one such object a line.  Numbers read
        back exactly.
  csv   header position,lower_bound,upper_bound,outcome and one line a position.
  These are the classic method's rows.  outcome: 0 no estimation applied
  (bounds 0 and 1), 1 the (-inf, inf) estimation, 2 the [lower, inf)
  estimation, 3 the [lower, upper] estimation gave the tightest bounds last.
  The sharp method's rows (the default): text as above with the sharp
  verdict; JSON objects have no "outcome" (it names a classic estimation) and
  after "upper_bound" carry "method":"sharp","status":S,"moments_used":N,
  "verdict":"...", and for a determinate list "atoms":[[point,mass],...]
  (numbers read back exactly); the CSV header is
  position,lower_bound,upper_bound,status.  S is the position's status.

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
    const ClassicEstimation estimation(request.support, request.lower, request.upper,
                                       request.moments.data(),
                                       static_cast<int>(request.moments.size()), context);
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
                           static_cast<int>(request.moments.size()));
}

// One analysis answers every position, in O(n^2) each, as one sweep (each
// position's node searches start from the nodes of the positions before).
int compute_sharp(const Request& request, const SharpAnalysis& analysis, std::FILE* out) {
    const std::uint64_t count = request.position_count();
    ResultWriter writer(out, request, count, &analysis);
    writer.begin();
    SharpSweep sweep(analysis);
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = request.position_at(i);
        const SharpBounds bounds = sweep.at(x);
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
        CliRequestSource source(request.support, request.lower, request.upper, request.moments);
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
    if (request.method == Method::sharp)
        return run_sharp(request, out, err);
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
