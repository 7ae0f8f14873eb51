// SPDX-License-Identifier: Apache-2.0
#include "tests/support/test_support.h"

#include "numeric/failure.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace test_support {

namespace {

// The letters of the log's messages that are not ASCII.
const std::pair<const char*, unsigned char> cp1250_letters[] = {
    {"á", 0xE1}, {"é", 0xE9}, {"í", 0xED}, {"ó", 0xF3}, {"ö", 0xF6}, {"ő", 0xF5},
    {"ú", 0xFA}, {"ü", 0xFC}, {"ű", 0xFB}, {"Á", 0xC1}, {"É", 0xC9}, {"Í", 0xCD},
    {"Ó", 0xD3}, {"Ö", 0xD6}, {"Ő", 0xD5}, {"Ú", 0xDA}, {"Ü", 0xDC}, {"Ű", 0xDB},
};

std::string rest_of_stream(std::FILE* file) {
    std::string out;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        out += static_cast<char>(c);
    return out;
}

} // namespace

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string cp1250(std::string text) {
    for (const auto& [utf8, byte] : cp1250_letters) {
        const std::string letter = utf8;
        for (std::size_t at = text.find(letter); at != std::string::npos;
             at = text.find(letter, at))
            text.replace(at, letter.size(), 1, static_cast<char>(byte));
    }
    return text;
}

std::string utf8_from_cp1250(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const char* replacement = nullptr;
        for (const auto& [utf8, byte] : cp1250_letters)
            if (static_cast<unsigned char>(c) == byte)
                replacement = utf8;
        if (replacement != nullptr)
            out += replacement;
        else
            out += c;
    }
    return out;
}

ScratchFolder::ScratchFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::ostream& operator<<(std::ostream& out, const Report& r) {
    return out << r.routine << ": " << r.message;
}

std::vector<Report> reports_in(const std::string& log_bytes) {
    const std::string text = utf8_from_cp1250(log_bytes);
    const std::string routine_row = "\nHiba a következő függvényben: ";
    const std::string message_row = "\nA hiba leírása: ";
    std::vector<Report> found;
    for (std::size_t at = text.find(routine_row); at != std::string::npos;
         at = text.find(routine_row, at + 1)) {
        const std::size_t name_start = at + routine_row.size();
        const std::size_t name_end = text.find('\n', name_start);
        const std::size_t message_start = name_end + message_row.size();
        const std::size_t message_end = text.find('\n', message_start);
        found.push_back({text.substr(name_start, name_end - name_start),
                         text.substr(message_start, message_end - message_start)});
    }
    return found;
}

std::string logged_failure(const std::string& routine, const std::string& message) {
    return cp1250("\n\nHiba a következő függvényben: " + routine + "\nA hiba leírása: " + message +
                  "\n");
}

int thrown_code(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure_code_number(failure.code());
    } catch (...) {
        return -998;
    }
    return -999;
}

std::vector<std::string> LogFolder::routines() const {
    std::vector<std::string> names;
    for (const Report& r : reports())
        names.push_back(r.routine);
    return names;
}

int LogFolder::thrown_code(const std::function<void()>& action, const RequestSource* source) const {
    try {
        action();
    } catch (const Failure& failure) {
        write_error_report(log_path(), source, failure);
        return failure_code_number(failure.code());
    } catch (...) {
        return -998;
    }
    return -999;
}

StreamCapture::StreamCapture(std::FILE* stream) : stream_(stream) {
    std::fflush(stream_);
    target_ = std::tmpfile();
    saved_fd_ = dup(fileno(stream_));
    dup2(fileno(target_), fileno(stream_));
}

StreamCapture::~StreamCapture() {
    restore();
    std::fclose(target_);
}

std::string StreamCapture::text() {
    restore();
    std::rewind(target_);
    return rest_of_stream(target_);
}

void StreamCapture::restore() {
    if (saved_fd_ < 0)
        return;
    std::fflush(stream_);
    dup2(saved_fd_, fileno(stream_));
    close(saved_fd_);
    saved_fd_ = -1;
}

CapturedStream::CapturedStream() : file_(std::tmpfile()) {
    if (file_ == nullptr)
        throw std::runtime_error("tmpfile failed");
}

CapturedStream::~CapturedStream() {
    std::fclose(file_);
}

std::string CapturedStream::text() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string out = rest_of_stream(file_);
    std::fseek(file_, 0, SEEK_END);
    return out;
}

std::vector<double> uniform_moments(int count) {
    std::vector<double> m;
    for (int k = 0; k < count; ++k)
        m.push_back(1.0 / (k + 1));
    return m;
}

std::vector<double> discrete_moments(const std::vector<double>& points,
                                     const std::vector<double>& masses, int count) {
    std::vector<double> m(static_cast<std::size_t>(count), 0.0);
    for (int k = 0; k < count; ++k) {
        double sum = 0.0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            double power = 1.0;
            for (int j = 0; j < k; ++j)
                power *= points[i];
            sum += masses[i] * power;
        }
        m[static_cast<std::size_t>(k)] = sum;
    }
    m[0] = 1.0;
    return m;
}

} // namespace test_support
