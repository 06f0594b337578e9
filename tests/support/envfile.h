#pragma once
// The KEY=value lines a test fixture's launcher writes about the server it started.
#include <map>
#include <string>

namespace varnel::test {

// Empty when the file cannot be read.
std::map<std::string, std::string> readEnvFile(const std::string& path);

}  // namespace varnel::test
