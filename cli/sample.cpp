// SPDX-License-Identifier: Apache-2.0
#include "cli/sample.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string_view>

#include "cli/request.h"
#include "estimation/messages.h"
#include "numeric/number_list.h"
#include "numeric/printable_text.h"

namespace vendrill::cli {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n';
}

// The separators of a record's fields (with a column).
bool is_field_separator(char c) {
    return c == ',' || c == ';' || c == '\t';
}

// The separators of items (without a column), as a moments file has them.
bool is_item_separator(char c) {
    return is_blank(c) || c == ',' || c == ';';
}

// A first field that is a name, not a number gone wrong: it does not start
// like a number would.
bool looks_like_a_name(std::string_view text) {
    if (text.empty())
        return false;
    const char c = text.front();
    return !(c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'));
}

std::string ordinal(std::size_t n) {
    const std::size_t tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        switch (n % 10) {
        case 1:
            suffix = "st";
            break;
        case 2:
            suffix = "nd";
            break;
        case 3:
            suffix = "rd";
            break;
        default:
            break;
        }
    }
    return std::to_string(n) + suffix;
}

// Splits the text, fed in pieces of any size, into the items that hold the
// values and hands each to on_value(text, line).  Faults throw InvalidInput
// with origin (the option and the path) in front.
template <class OnValue> class Scanner {
public:
    Scanner(const std::string& origin, std::optional<std::size_t> column, OnValue on_value)
        : origin_(origin), column_(column), on_value_(on_value) {}

    void feed(std::string_view text) {
        if (column_) {
            for (const char c : text)
                record_char(c);
        } else {
            for (const char c : text)
                item_char(c);
        }
    }

    void finish() {
        if (column_) {
            if (line_has_content_ || in_comment_) {
                if (!in_comment_)
                    end_field();
                end_line();
            }
        } else if (!item_.empty()) {
            end_item();
        }
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw InvalidInput(origin_ + ": line " + std::to_string(line_) + ": " + what);
    }

    void keep(char c) {
        if (item_.size() == max_sample_item_bytes)
            fail("an item longer than " + std::to_string(max_sample_item_bytes) +
                 " bytes is not a number");
        item_ += c;
    }

    // --- every item a value ---

    void item_char(char c) {
        if (in_comment_) {
            if (c == '\n') {
                in_comment_ = false;
                ++line_;
            }
            return;
        }
        if (is_item_separator(c)) {
            if (!item_.empty())
                end_item();
            if (c == '\n')
                ++line_;
            return;
        }
        if (c == '#' && item_.empty()) {
            in_comment_ = true;
            return;
        }
        keep(c);
    }

    void end_item() {
        on_value_(item_, line_);
        item_.clear();
    }

    // --- a field of every record ---

    bool wanted() const { return field_ + 1 == *column_; }

    void record_char(char c) {
        if (in_comment_) {
            if (c == '\n')
                end_line();
            return;
        }
        if (in_quotes_) {
            if (c == '"')
                in_quotes_ = false;
            else if (c == '\n')
                fail("a quoted field runs past the end of the line");
            else if (wanted())
                keep(c);
            return;
        }
        if (c == '\n') {
            end_field();
            end_line();
            return;
        }
        if (is_field_separator(c)) {
            end_field();
            return;
        }
        if (is_blank(c)) {
            if (field_started_)
                ++pending_blanks_;
            return;
        }
        if (c == '#' && !line_has_content_) {
            in_comment_ = true;
            return;
        }
        line_has_content_ = true;
        field_started_ = true;
        if (c == '"') {
            in_quotes_ = true;
            return;
        }
        if (!wanted())
            return;
        for (; pending_blanks_ > 0; --pending_blanks_)
            keep(' ');
        keep(c);
    }

    void end_field() {
        if (wanted())
            have_field_ = true;
        ++field_;
        field_started_ = false;
        pending_blanks_ = 0;
    }

    void end_line() {
        const bool content = line_has_content_;
        const bool first = !records_;
        if (content) {
            records_ = true;
            if (!have_field_)
                fail("no " + ordinal(*column_) + " field (--column " + std::to_string(*column_) +
                     "); the line has " + std::to_string(field_) + " fields");
            if (item_.empty())
                fail("the " + ordinal(*column_) + " field is empty");
            double value = 0.0;
            const bool header = first && looks_like_a_name(item_) &&
                                parse_number_item(item_, value) == NumberItemStatus::not_a_number;
            if (!header)
                on_value_(item_, line_);
        }
        item_.clear();
        field_ = 0;
        have_field_ = false;
        field_started_ = false;
        pending_blanks_ = 0;
        line_has_content_ = false;
        in_comment_ = false;
        ++line_;
    }

    const std::string& origin_;
    std::optional<std::size_t> column_;
    OnValue on_value_;
    std::string item_; // the item being read (with a column: the wanted field)
    std::uint64_t line_ = 1;
    bool in_comment_ = false;
    // With a column:
    bool in_quotes_ = false;
    std::size_t field_ = 0; // fields of the line ended so far
    bool have_field_ = false;
    bool field_started_ = false;
    std::size_t pending_blanks_ = 0; // blanks inside the field, kept if more follows
    bool line_has_content_ = false;
    bool records_ = false; // a record was read (the header can only be the first)
};

NumberFault fault_of(NumberItemStatus status) {
    switch (status) {
    case NumberItemStatus::not_finite:
        return NumberFault::not_finite;
    case NumberItemStatus::out_of_range:
        return NumberFault::out_of_range;
    default:
        return NumberFault::not_a_number;
    }
}

std::string support_text(Support support, double lower, double upper) {
    if (support == Support::half)
        return "[" + format_shortest(lower) + ", inf)";
    return "[" + format_shortest(lower) + ", " + format_shortest(upper) + "]";
}

// One pass over the stream: every value converted, checked against the
// support and handed to add(value).
template <class Add>
void scan(std::FILE* file, const std::string& origin, const std::string& shown_path,
          const SampleRequest& sample, Support support, double lower, double upper, Add add) {
    auto on_value = [&](std::string_view text, std::uint64_t line) {
        double value = 0.0;
        const NumberItemStatus status = parse_number_item(text, value);
        if (status != NumberItemStatus::ok)
            throw InvalidInput(number_fault_message(origin + ": line " + std::to_string(line), text,
                                                    fault_of(status)));
        const bool below = support != Support::whole && value < lower;
        const bool above = support == Support::interval && value > upper;
        if (below || above)
            throw InvalidInput(origin + ": line " + std::to_string(line) + ": the value " +
                               quoted_excerpt(text) + " lies outside the support " +
                               support_text(support, lower, upper));
        add(value);
    };
    Scanner scanner(origin, sample.column, on_value);
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        scanner.feed(std::string_view(buffer, got));
    if (std::ferror(file) != 0)
        throw InvalidInput("--sample: cannot read " + shown_path + ": " + std::strerror(errno));
    scanner.finish();
}

bool is_regular_file(std::FILE* file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}

// Closes a file the reading opened, whatever way the reading ends.
class OpenedFile {
public:
    explicit OpenedFile(std::FILE* file) : file_(file) {}
    ~OpenedFile() {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

private:
    std::FILE* file_;
};

} // namespace

SampleMoments read_sample(const SampleRequest& sample, Support support, double lower, double upper,
                          std::FILE* standard_input) {
    const bool from_stdin = sample.path == "-";
    const std::string shown_path = quoted_excerpt(sample.path);
    const std::string origin = "--sample " + printable_message(sample.path);
    std::FILE* file = from_stdin ? standard_input : std::fopen(sample.path.c_str(), "rb");
    if (file == nullptr)
        throw InvalidInput("--sample: cannot open " + shown_path + ": " + std::strerror(errno));
    const OpenedFile closer(from_stdin ? nullptr : file);

    SampleMoments result;
    if (!from_stdin && is_regular_file(file)) {
        SampleMean mean;
        scan(file, origin, shown_path, sample, support, lower, upper,
             [&mean](double value) { mean.add(value); });
        CentralSums sums(mean.mean(), sample.moment_count);
        if (mean.count() > 0) {
            std::rewind(file);
            scan(file, origin, shown_path, sample, support, lower, upper,
                 [&sums](double value) { sums.add(value); });
            if (sums.count() != mean.count())
                throw InvalidInput(origin + ": the file changed while it was read");
        }
        result = sums.moments();
    } else {
        RunningMoments running(sample.moment_count);
        scan(file, origin, shown_path, sample, support, lower, upper,
             [&running](double value) { running.add(value); });
        result = running.moments();
    }
    if (result.count == 0)
        throw InvalidInput(origin + ": no values");
    if (!std::isfinite(result.about.centre) || !all_finite(result.about.moments))
        throw InvalidInput(origin + ": the moments of these values are beyond the range of a "
                                    "double");
    return result;
}

} // namespace vendrill::cli
