// varnel-cli: the catalog from a terminal or a script.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/dbfile.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "cli/cliprompt.h"
#include "cli/commands.h"
#include "platform/programdir.h"

namespace {

using namespace varnel;

std::vector<std::span<const CliCommand>> allCommands() {
    return {catalogCommands(), queryCommands(), ftpCommands(), scanCommands()};
}

void printHelp() {
    std::printf(
        "usage: varnel-cli [-d CATALOG] [--yes|--no] COMMAND [ARGS]\n\n"
        "Works on the catalog file CATALOG, or on the default catalog (save.fdb in the\n"
        "program directory). Questions are answered by --yes or --no; without either they\n"
        "are refused.\n\ncommands:\n");
    for (auto table : allCommands())
        for (const CliCommand& command : table)
            std::printf("  %-28s %s\n", command.usage, command.help);
}

}  // namespace

int main(int argc, char** argv) {
    std::string catalogPath;
    CliPrompt::Policy policy = CliPrompt::Policy::Refuse;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        std::string option = argv[arg];
        if (option == "-h" || option == "--help") {
            printHelp();
            return 0;
        } else if (option == "-d" && arg + 1 < argc) {
            catalogPath = argv[++arg];
        } else if (option == "--yes") {
            policy = CliPrompt::Policy::Yes;
        } else if (option == "--no") {
            policy = CliPrompt::Policy::No;
        } else {
            std::fprintf(stderr, "varnel-cli: unknown option %s (see --help)\n", option.c_str());
            return 2;
        }
    }
    if (arg >= argc) {
        printHelp();
        return 2;
    }
    const std::string name = argv[arg++];
    std::vector<std::string> args(argv + arg, argv + argc);

    Workspace workspace(programDirectory());
    CliPrompt prompt(policy);
    Catalog catalog(workspace.settings().initialColumnCapacity);
    CatalogDatabase database(catalog, prompt, workspace.paths().defaultCatalog);
    database.initialColumnCapacity = workspace.settings().initialColumnCapacity;
    database.currentFileTime = [&workspace] { return workspace.currentFileTime(); };
    CliContext context{catalog, database, prompt, workspace,
                       catalogPath.empty() ? workspace.paths().defaultCatalog : catalogPath};

    for (auto table : allCommands())
        for (const CliCommand& command : table)
            if (name == command.name) return command.run(context, args);
    std::fprintf(stderr, "varnel-cli: unknown command %s (see --help)\n", name.c_str());
    return 2;
}
