// `zarni-cli apply` operations: selection, clipboard, merging, handles, axis edits, objects.
#include "cli/apply.h"

namespace zarni::cli {

std::map<std::string, OpHandler> EditOperations() { return {}; }

}  // namespace zarni::cli
