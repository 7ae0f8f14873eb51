#pragma once
// Helpers shared by the numeric suites: a private folder for error.log, a
// request source with fixed values, reading files back and capturing streams.

#include "numeric/diagnostics.h"
#include "numeric/error_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace test_support {

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The bytes the log should hold for UTF-8 text: the letters of the messages
// replaced by their Windows-1250 bytes.  Kept apart from the library's own
// conversion so that a wrong table there is caught.
inline std::string cp1250(std::string text) {
    static const std::pair<const char*, const char*> letters[] = {
        {"á", "\xE1"}, {"é", "\xE9"}, {"í", "\xED"}, {"ó", "\xF3"}, {"ö", "\xF6"}, {"ő", "\xF5"},
        {"ú", "\xFA"}, {"ü", "\xFC"}, {"ű", "\xFB"}, {"Á", "\xC1"}, {"É", "\xC9"}, {"Í", "\xCD"},
        {"Ó", "\xD3"}, {"Ö", "\xD6"}, {"Ő", "\xD5"}, {"Ú", "\xDA"}, {"Ü", "\xDC"}, {"Ű", "\xDB"},
    };
    for (const auto& [utf8, byte] : letters)
        for (std::size_t at = text.find(utf8); at != std::string::npos; at = text.find(utf8, at))
            text.replace(at, std::string(utf8).size(), byte);
    return text;
}

// A request with plain values, as a front end would register it.
class FixedRequest : public RequestSource {
public:
    double position_ = 0.0;
    int type_ = 0;
    double lower_ = 0.0;
    double upper_ = 0.0;
    std::vector<double> moments_;

    double position() const override { return position_; }
    int type() const override { return type_; }
    double lower() const override { return lower_; }
    double upper() const override { return upper_; }
    int momentCount() const override { return static_cast<int>(moments_.size()); }
    double moment(int i) const override { return moments_.at(static_cast<std::size_t>(i)); }
};

// Points the error log into a fresh temporary folder for one test and puts
// the shared state (log path, request source, log switch) back afterwards.
class LogFolder {
public:
    LogFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vendrill-log-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        saved_path_ = error_log_path();
        set_error_log_path(log_path());
    }
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;
    ~LogFolder() {
        set_error_log_path(saved_path_);
        set_request_source(nullptr);
        set_error_log_enabled(true);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string folder() const { return folder_; }
    std::string log_path() const { return folder_ + "/error.log"; }
    std::string log() const { return read_file(log_path()); }

private:
    std::string folder_;
    std::string saved_path_;
};

// Runs action, which must throw an int; returns the int thrown, or -999 when
// nothing (or something else) was thrown.
inline int thrown_code(const std::function<void()>& action) {
    try {
        action();
    } catch (int code) {
        return code;
    } catch (...) {
        return -998;
    }
    return -999;
}

// The rows that name the routine and the message in a report, as logged.
inline std::string logged_failure(const std::string& routine, const std::string& message) {
    return cp1250("\n\nHiba a következő függvényben: " + routine + "\nA hiba leírása: " + message +
                  "\n");
}

// Collects what a FILE stream receives while an object lives: the stream's
// descriptor is pointed at a temporary file and restored afterwards.
class StreamCapture {
public:
    explicit StreamCapture(std::FILE* stream) : stream_(stream) {
        std::fflush(stream_);
        target_ = std::tmpfile();
        saved_fd_ = dup(fileno(stream_));
        dup2(fileno(target_), fileno(stream_));
    }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;
    ~StreamCapture() {
        restore();
        std::fclose(target_);
    }
    std::string text() {
        restore();
        std::rewind(target_);
        std::string out;
        for (int c = std::fgetc(target_); c != EOF; c = std::fgetc(target_))
            out += static_cast<char>(c);
        return out;
    }

private:
    void restore() {
        if (saved_fd_ < 0)
            return;
        std::fflush(stream_);
        dup2(saved_fd_, fileno(stream_));
        close(saved_fd_);
        saved_fd_ = -1;
    }
    std::FILE* stream_;
    std::FILE* target_ = nullptr;
    int saved_fd_ = -1;
};

// Sends the diagnostic sink into a temporary file for one test.
class DiagnosticCapture {
public:
    DiagnosticCapture() : saved_(diagnostic_stream()), target_(std::tmpfile()) {
        set_diagnostic_stream(target_);
    }
    DiagnosticCapture(const DiagnosticCapture&) = delete;
    DiagnosticCapture& operator=(const DiagnosticCapture&) = delete;
    ~DiagnosticCapture() {
        set_diagnostic_stream(saved_);
        std::fclose(target_);
    }
    std::string text() {
        std::fflush(target_);
        std::rewind(target_);
        std::string out;
        for (int c = std::fgetc(target_); c != EOF; c = std::fgetc(target_))
            out += static_cast<char>(c);
        std::fseek(target_, 0, SEEK_END);
        return out;
    }

private:
    std::FILE* saved_;
    std::FILE* target_;
};

} // namespace test_support
