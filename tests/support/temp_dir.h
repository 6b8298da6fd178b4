#pragma once

#include <string>

namespace pictavo::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Writes bytes to a file; false on failure.
bool writeFile(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

} // namespace pictavo::test
