#pragma once
// varnel-cli's commands. Each subsystem registers its commands in a table of its own.
#include <span>
#include <string>
#include <vector>

namespace varnel {

class Catalog;
class CatalogDatabase;
class Prompt;

struct CliContext {
    Catalog& catalog;
    CatalogDatabase& database;
    Prompt& prompt;
    std::string catalogPath;  // the -d path, or the default catalog
};

struct CliCommand {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(CliContext& context, const std::vector<std::string>& args);
};

std::span<const CliCommand> catalogCommands();
std::span<const CliCommand> queryCommands();
std::span<const CliCommand> ftpCommands();

}  // namespace varnel
