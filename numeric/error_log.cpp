#include "numeric/error_log.h"

#include "numeric/number_text.h"
#include "numeric/support.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

const char* const error_log_banner = "Vendrill, 2001.05.14. 16:06";

namespace {

// The first line is read up to this many characters when the banner is checked.
constexpr int banner_read_limit = 79;

// The letters of the messages that are not ASCII, with their Windows-1250 bytes.
struct Cp1250Letter {
    char32_t code_point;
    unsigned char byte;
};
constexpr Cp1250Letter cp1250_letters[] = {
    {U'á', 0xE1}, {U'é', 0xE9}, {U'í', 0xED}, {U'ó', 0xF3}, {U'ö', 0xF6}, {U'ő', 0xF5},
    {U'ú', 0xFA}, {U'ü', 0xFC}, {U'ű', 0xFB}, {U'Á', 0xC1}, {U'É', 0xC9}, {U'Í', 0xCD},
    {U'Ó', 0xD3}, {U'Ö', 0xD6}, {U'Ő', 0xD5}, {U'Ú', 0xDA}, {U'Ü', 0xDC}, {U'Ű', 0xDB},
};
constexpr char unknown_letter = '?';

char cp1250_byte(char32_t code_point) {
    for (const Cp1250Letter& letter : cp1250_letters)
        if (letter.code_point == code_point)
            return static_cast<char>(letter.byte);
    return unknown_letter;
}

// Length of the UTF-8 sequence that starts with lead (0 for a byte that
// cannot start one) and the payload bits of the lead byte.
int utf8_sequence_length(unsigned char lead, char32_t& bits) {
    if ((lead & 0xE0) == 0xC0) {
        bits = lead & 0x1F;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        bits = lead & 0x0F;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

// Converts UTF-8 text to Windows-1250.  ASCII passes unchanged; letters
// outside the table and malformed sequences become '?', so the log never
// holds a multibyte sequence.
std::string to_cp1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        char32_t code_point = 0;
        const int length = utf8_sequence_length(lead, code_point);
        int taken = 1;
        bool well_formed = length > 0;
        while (well_formed && taken < length) {
            if (i + taken >= utf8.size())
                break;
            const unsigned char next = static_cast<unsigned char>(utf8[i + taken]);
            if ((next & 0xC0) != 0x80)
                break;
            code_point = (code_point << 6) | (next & 0x3F);
            ++taken;
        }
        well_formed = well_formed && taken == length;
        out += well_formed ? cp1250_byte(code_point) : unknown_letter;
        i += taken;
    }
    return out;
}

// "%2d": the index right-aligned in two characters.
std::string padded_index(int i) {
    std::string text = std::to_string(i);
    if (text.size() < 2)
        text.insert(0, 2 - text.size(), ' ');
    return text;
}

void append_type_rows(std::string& report, const RequestSource& source) {
    const std::optional<Support> support = support_from_index(source.type());
    if (!support)
        return; // an unknown type leaves the line ending in its blank
    switch (*support) {
    case Support::whole:
        report += "ULNormal";
        break;
    case Support::half:
        report += "ULPositive\n\talsó határ = " + format_fixed(source.lower());
        break;
    case Support::interval:
        report += "ULBounded\n\talsó határ = " + format_fixed(source.lower()) +
                  "\n\tfelső határ = " + format_fixed(source.upper());
        break;
    }
}

// Rows 1 to 9 of one report, in UTF-8.
std::string report_text(const char* routine, const char* message, const RequestSource* source) {
    std::string report = "\n//****************** HIBA ******************\\";
    report += "\n\nHiba a következő függvényben: ";
    report += routine != nullptr ? routine : "";
    report += "\nA hiba leírása: ";
    report += message != nullptr ? message : "";
    report += "\n\nPozíció = " + format_fixed(source != nullptr ? source->position() : 0.0);
    report += "\nA becslés típusa: ";
    if (source != nullptr)
        append_type_rows(report, *source);
    report += "\n\nA momentumok:\n-------------\n";
    const int count = source != nullptr ? source->momentCount() : 0;
    for (int i = 0; i < count; ++i) {
        report += '\n';
        report += padded_index(i);
        report += ". momentum = ";
        report += format_fixed(source->moment(i));
    }
    report += "\n";
    return report;
}

// True when the log's first line is exactly the banner.  A line that reaches
// the end of the file without a line end never matches.
bool first_line_is_banner(std::FILE* file) {
    std::string line;
    bool line_ended = false;
    while (static_cast<int>(line.size()) < banner_read_limit) {
        const int c = std::fgetc(file);
        if (c == EOF)
            break;
        if (c == '\n') {
            line_ended = true;
            break;
        }
        line += static_cast<char>(c);
    }
    if (static_cast<int>(line.size()) == banner_read_limit)
        line_ended = true; // the 79th character ends the reading, not the file
    return line_ended && line == error_log_banner;
}

// Opens the log for the next report: appending when it already starts with
// the banner, otherwise emptied (or created) and started with the banner.
// Returns nullptr when the file cannot be opened.
std::FILE* open_log_for_report(const std::string& log_path) {
    bool restart = true;
    if (std::FILE* existing = std::fopen(log_path.c_str(), "r")) {
        restart = !first_line_is_banner(existing);
        std::fclose(existing);
    }
    std::FILE* file = std::fopen(log_path.c_str(), restart ? "w" : "a");
    if (file != nullptr && restart)
        std::fputs(error_log_banner, file);
    return file;
}

void write_report(const std::string& log_path, const std::string& utf8_report) {
    std::FILE* file = open_log_for_report(log_path);
    if (file == nullptr) {
        // The log is not writable (a read-only folder, a folder named like the
        // log): the report goes to standard error, and the failure is handled
        // by its catcher all the same.
        std::fwrite(utf8_report.data(), 1, utf8_report.size(), stderr);
        std::fflush(stderr);
        return;
    }
    const std::string bytes = to_cp1250(utf8_report);
    std::fwrite(bytes.data(), 1, bytes.size(), file); // write errors are ignored
    std::fflush(file);
    std::fclose(file);
}

} // namespace

void write_error_report(const std::string& path, const RequestSource* source,
                        const Failure& failure) {
    write_report(path, report_text(failure.routine(), failure.message(), source));
}
