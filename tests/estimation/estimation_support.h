#pragma once
// Helpers shared by the estimation suites: moment vectors from lists, a private
// folder for error.log whose reports can be read back, and a diagnostic sink
// that can be read back or silenced.

#include "numeric/diagnostics.h"
#include "numeric/error_log.h"
#include "numeric/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace estimation_test {

inline Vector vec(const std::vector<double>& values) {
    return Vector(values.data(), static_cast<int>(values.size()));
}

inline std::vector<double> values(const Vector& v) {
    return std::vector<double>(v.data, v.data + v.length);
}

// True when both hold the same doubles bit for bit (NaN equal to itself).
inline bool same_bits(const Vector& v, const std::vector<double>& expected) {
    return v.length == static_cast<int>(expected.size()) &&
           (v.length == 0 ||
            std::memcmp(v.data, expected.data(), sizeof(double) * expected.size()) == 0);
}

// An empty Vector, which only drop can make.
inline Vector empty_vector() {
    Vector v(1);
    v.drop(1);
    return v;
}

// Moments m0 .. m(count-1) of the discrete distribution with these points and
// masses (m0 set to exactly 1).
inline std::vector<double> discrete_moments(const std::vector<double>& points,
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

// Runs action, which must throw an int; returns that int, or -999 when nothing
// (or something else) was thrown.
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

// One report of error.log: the failing routine and the message, in UTF-8.
struct Report {
    std::string routine;
    std::string message;
    bool operator==(const Report&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Report& r) {
    return out << r.routine << ": " << r.message;
}

// The Windows-1250 letters of the messages back to UTF-8.
inline std::string utf8_from_cp1250(const std::string& bytes) {
    static const std::pair<unsigned char, const char*> letters[] = {
        {0xE1, "á"}, {0xE9, "é"}, {0xED, "í"}, {0xF3, "ó"}, {0xF6, "ö"}, {0xF5, "ő"},
        {0xFA, "ú"}, {0xFC, "ü"}, {0xFB, "ű"}, {0xC1, "Á"}, {0xC9, "É"}, {0xCD, "Í"},
        {0xD3, "Ó"}, {0xD6, "Ö"}, {0xD5, "Ő"}, {0xDA, "Ú"}, {0xDC, "Ü"}, {0xDB, "Ű"},
    };
    std::string out;
    for (char c : bytes) {
        const char* replacement = nullptr;
        for (const auto& [byte, utf8] : letters)
            if (static_cast<unsigned char>(c) == byte)
                replacement = utf8;
        if (replacement != nullptr)
            out += replacement;
        else
            out += c;
    }
    return out;
}

// Points the error log into a fresh mkdtemp folder for one test and restores
// the log path and switch afterwards.
class LogFolder {
public:
    LogFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "vendrill-est-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        saved_path_ = error_log_path();
        saved_enabled_ = error_log_enabled();
        set_error_log_path(folder_ + "/error.log");
        set_error_log_enabled(true);
    }
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;
    ~LogFolder() {
        set_error_log_path(saved_path_);
        set_error_log_enabled(saved_enabled_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // The reports in the log, in order.
    std::vector<Report> reports() const {
        std::ifstream in(folder_ + "/error.log", std::ios::binary);
        std::string text = utf8_from_cp1250(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        const std::string routine_row = "\nHiba a következő függvényben: ";
        const std::string message_row = "\nA hiba leírása: ";
        std::vector<Report> found;
        for (std::size_t at = text.find(routine_row); at != std::string::npos;
             at = text.find(routine_row, at + 1)) {
            std::size_t name_start = at + routine_row.size();
            std::size_t name_end = text.find('\n', name_start);
            std::size_t message_start = name_end + message_row.size();
            std::size_t message_end = text.find('\n', message_start);
            found.push_back({text.substr(name_start, name_end - name_start),
                             text.substr(message_start, message_end - message_start)});
        }
        return found;
    }

    std::vector<std::string> routines() const {
        std::vector<std::string> names;
        for (const Report& r : reports())
            names.push_back(r.routine);
        return names;
    }

private:
    std::string folder_;
    std::string saved_path_;
    bool saved_enabled_ = true;
};

// Sends the diagnostic sink into a temporary file for one test (or, with
// keep = false, nowhere) and restores it afterwards.
class DiagnosticCapture {
public:
    explicit DiagnosticCapture(bool keep = true)
        : saved_(diagnostic_stream()), target_(keep ? std::tmpfile() : nullptr) {
        set_diagnostic_stream(target_);
    }
    DiagnosticCapture(const DiagnosticCapture&) = delete;
    DiagnosticCapture& operator=(const DiagnosticCapture&) = delete;
    ~DiagnosticCapture() {
        set_diagnostic_stream(saved_);
        if (target_ != nullptr)
            std::fclose(target_);
    }
    std::string text() {
        if (target_ == nullptr)
            return {};
        std::fflush(target_);
        std::rewind(target_);
        std::string out;
        for (int c = std::fgetc(target_); c != EOF; c = std::fgetc(target_))
            out += static_cast<char>(c);
        return out;
    }

private:
    std::FILE* saved_;
    std::FILE* target_;
};

// Silences the log and the diagnostics for suites that do not examine them.
class QuietEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        saved_enabled_ = error_log_enabled();
        set_error_log_enabled(false);
    }
    void TearDown() override { set_error_log_enabled(saved_enabled_); }

    DiagnosticCapture silenced_{false};

private:
    bool saved_enabled_ = true;
};

} // namespace estimation_test
