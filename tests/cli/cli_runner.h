#pragma once
// Runs the real vendrill-cli binary in a private scratch folder and captures
// its exit status, standard output and standard error.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "numeric/diagnostics.h"
#include "numeric/error_log.h"

namespace cli_test {

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct RunResult {
    bool exited = false; // false when the process was killed by a signal
    int status = -1;
    std::string out;
    std::string err;
};

// A folder of its own (mkdtemp) that is removed at the end of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vendrill-cli-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Runs the binary with `arguments` in `folder`, feeding `input` on stdin.
inline RunResult run_cli(const std::filesystem::path& folder,
                         const std::vector<std::string>& arguments, const std::string& input = "") {
    const auto in_path = folder / ".stdin";
    const auto out_path = folder / ".stdout";
    const auto err_path = folder / ".stderr";
    write_file(in_path, input);
    std::vector<char*> argv;
    std::string program = VENDRILL_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(arguments);
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const auto redirect = [](const std::filesystem::path& path, int flags, int target) {
            const int fd = open(path.c_str(), flags, 0644);
            if (fd < 0 || dup2(fd, target) < 0)
                _exit(127);
            close(fd);
        };
        redirect(in_path, O_RDONLY, 0);
        redirect(out_path, O_WRONLY | O_CREAT | O_TRUNC, 1);
        redirect(err_path, O_WRONLY | O_CREAT | O_TRUNC, 2);
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    RunResult result;
    int wait_status = 0;
    if (child > 0 && waitpid(child, &wait_status, 0) == child) {
        result.exited = WIFEXITED(wait_status);
        result.status = result.exited ? WEXITSTATUS(wait_status) : -WTERMSIG(wait_status);
    }
    result.out = read_file(out_path);
    result.err = read_file(err_path);
    for (const auto& p : {in_path, out_path, err_path})
        std::filesystem::remove(p);
    return result;
}

// Calls a driver in this process with the log and the diagnostics off, and
// puts the library's settings back afterwards.
class QuietLibrary {
public:
    QuietLibrary() : enabled_(error_log_enabled()), diagnostics_(diagnostic_stream()) {
        set_error_log_enabled(false);
        set_diagnostic_stream(nullptr);
    }
    ~QuietLibrary() {
        set_error_log_enabled(enabled_);
        set_diagnostic_stream(diagnostics_);
    }

private:
    bool enabled_;
    std::FILE* diagnostics_;
};

} // namespace cli_test
