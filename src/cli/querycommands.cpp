#include "cli/commands.h"

namespace varnel {

std::span<const CliCommand> queryCommands() { return {}; }

}  // namespace varnel
