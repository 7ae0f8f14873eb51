#pragma once
// Moment sequences and a scratch folder for the benchmark programs.

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench_support {

// Moments 1/(k+1) of the uniform distribution on [0, 1].
inline std::vector<double> uniform_moments(int count) {
    std::vector<double> m;
    for (int k = 0; k < count; ++k)
        m.push_back(1.0 / (k + 1));
    return m;
}

// Moments of the atoms 0.2, 0.5, 0.8 with weights 0.3, 0.4, 0.3.
inline std::vector<double> three_atom_moments(int count) {
    std::vector<double> m;
    for (int k = 0; k < count; ++k)
        m.push_back(0.3 * std::pow(0.2, k) + 0.4 * std::pow(0.5, k) + 0.3 * std::pow(0.8, k));
    m[0] = 1.0;
    return m;
}

// A mkdtemp folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vendrill-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace bench_support
