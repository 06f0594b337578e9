#include "cli/commands.h"

namespace varnel {

std::span<const CliCommand> scanCommands() { return {}; }

}  // namespace varnel
