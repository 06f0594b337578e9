#pragma once
// A real folder for one test, removed with everything in it afterwards.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

  private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);
bool fileExists(const std::string& path);
// The names in a folder, sorted; none when it is missing. Part files left behind show here.
std::vector<std::string> namesInFolder(const std::string& path);

// Runs `write` with files limited to `bytes`, so writes fail part way as on a full disk
// (for root too); SIGXFSZ is ignored meanwhile.
void withFileSizeLimit(size_t bytes, const std::function<void()>& write);

}  // namespace varnel::test
