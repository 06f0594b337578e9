#pragma once
// varnel-cli's commands. Each subsystem registers its commands in a table of its own.
#include <span>
#include <string>
#include <vector>

namespace varnel {

class Catalog;
class CatalogDatabase;
class Prompt;
class Workspace;

struct CliContext {
    Catalog& catalog;
    CatalogDatabase& database;
    Prompt& prompt;
    Workspace& workspace;
    std::string catalogPath;  // the -d path, or the default catalog
};

// Opens the catalog for a command that reads it: a missing default catalog is empty, any
// other must be readable. Says why on stderr when it is not.
bool openForReading(CliContext& context);
// Prints a message on stderr and returns the exit code 1.
int fail(const std::string& message);
// Prints record i of a list in the dump format.
void printRecord(Catalog& catalog, int list, int32_t i);

struct CliCommand {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(CliContext& context, const std::vector<std::string>& args);
};

std::span<const CliCommand> catalogCommands();
std::span<const CliCommand> queryCommands();
std::span<const CliCommand> ftpCommands();
std::span<const CliCommand> scanCommands();

}  // namespace varnel
