#include "cli/commands.h"

namespace varnel {

std::span<const CliCommand> ftpCommands() {
    return {};
}

}  // namespace varnel
