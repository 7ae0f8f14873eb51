// SPDX-License-Identifier: Apache-2.0
// vendrill-cli's request handling on any arguments and any moments file.
//
// The input is the argument list, one argument after another, each ended by
// a NUL byte; after an empty argument (two NUL bytes in a row) the rest is
// the content of the moments file.  Every --moments-file and --sample reads
// that content (through "-"), the error log and the --plot picture go to
// /dev/null: the target reads and writes no file of its own choosing.  Small
// requests are also computed.
//
// Checks: the exit status is 0, 1 or 2; status 2 writes nothing on standard
// output and a short message without control bytes on standard error; a
// validated request is within the limits (moments, positions, M0 = 1, finite
// values, a finite centre); a computed JSON result has finite bounds within
// [0, 1] and tail bounds that are their complements.

#include "cli/command.h"
#include "cli/request.h"
#include "estimation/messages.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

using namespace vendrill::cli;

// A stream collecting what is written to it.
class Capture {
public:
    Capture() : file_(open_memstream(&buffer_, &size_)) {}
    ~Capture() {
        std::fclose(file_);
        std::free(buffer_);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    std::FILE* file() const { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

// Larger requests are only validated: their cost grows with both counts.
constexpr std::uint64_t computed_positions = 8;
constexpr std::size_t computed_moments = 16;

bool no_control_bytes(const std::string& text) {
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F)
            return false;
    return true;
}

void check_rows(const std::string& out) {
    nlohmann::json rows = nlohmann::json::parse(out);
    if (rows.is_object())
        rows = nlohmann::json::array({rows});
    for (const auto& row : rows) {
        FUZZ_CHECK(row["lower_bound"].is_number() && row["upper_bound"].is_number());
        const double lower = row["lower_bound"].get<double>();
        const double upper = row["upper_bound"].get<double>();
        FUZZ_CHECK(0.0 <= lower && lower <= 1.0 && 0.0 <= upper && upper <= 1.0);
        FUZZ_CHECK(row["upper_tail_max"].is_number() && row["upper_tail_min"].is_number());
        FUZZ_CHECK(row["upper_tail_max"].get<double>() >= 1.0 - lower);
        FUZZ_CHECK(row["upper_tail_min"].get<double>() <= 1.0 - upper);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments = {"vendrill-cli"};
    std::string file_content;
    std::size_t at = 0;
    while (at < input.size()) {
        const std::size_t end = input.find('\0', at);
        if (end == std::string::npos) {
            arguments.push_back(input.substr(at));
            break;
        }
        if (end == at) {
            file_content = input.substr(at + 1);
            break;
        }
        arguments.push_back(input.substr(at, end - at));
        at = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());

    Capture out;
    Capture err;
    RawArguments raw;
    const std::optional<int> parsed =
        parse_arguments(static_cast<int>(argv.size()), argv.data(), raw, out.file(), err.file());
    if (parsed) {
        FUZZ_CHECK(*parsed == 0 || *parsed == 2);
        if (*parsed == 2)
            FUZZ_CHECK(out.text().empty() && no_control_bytes(err.text()));
        return 0;
    }
    if (raw.moments_file)
        raw.moments_file = "-";
    if (raw.sample)
        raw.sample = "-";
    if (raw.plot_path && !raw.plot_path->empty())
        raw.plot_path = "/dev/null";
    if (raw.log_path || !raw.no_log)
        raw.log_path = "/dev/null";

    std::FILE* in = file_content.empty() ? std::fopen("/dev/null", "rb")
                                         : fmemopen(file_content.data(), file_content.size(), "rb");
    FUZZ_CHECK(in != nullptr);
    Request request;
    try {
        request = validate(raw, in);
    } catch (const InvalidInput& e) {
        std::fclose(in);
        FUZZ_CHECK(no_control_bytes(e.what()) && std::strlen(e.what()) < 1024);
        return 0;
    }
    std::fclose(in);

    // The classic method needs 3, 4 or 5 moments, the sharp method one.
    const std::size_t fewest = request.method == Method::classic
                                   ? static_cast<std::size_t>(minimum_moment_count(request.support))
                                   : 1;
    FUZZ_CHECK(request.moments.size() >= fewest && request.moments.size() <= max_moment_count);
    FUZZ_CHECK(request.moments[0] == 1.0);
    for (const double m : request.moments)
        FUZZ_CHECK(std::isfinite(m));
    FUZZ_CHECK(std::isfinite(request.lower) && std::isfinite(request.upper));
    FUZZ_CHECK(std::isfinite(request.centre));
    FUZZ_CHECK(!request.plot_path || (request.range && request.range->count <= max_plot_positions));
    const std::uint64_t count = request.position_count();
    FUZZ_CHECK(count >= 1 && count <= max_position_count);
    for (const std::uint64_t i : {std::uint64_t{0}, count / 2, count - 1})
        FUZZ_CHECK(std::isfinite(request.position_at(i)));

    if (count > computed_positions || request.moments.size() > computed_moments)
        return 0;
    const int status = run_request(request, out.file(), err.file());
    FUZZ_CHECK(status == 0 || status == 1 || status == 2);
    const std::string result = out.text();
    if (status == 2)
        FUZZ_CHECK(result.empty());
    if (status == 0) {
        FUZZ_CHECK(!result.empty());
        if (request.format == OutputFormat::json)
            check_rows(result);
    }
    return 0;
}
