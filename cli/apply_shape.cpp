// `zarni-cli apply` operations: primitives, extrude, lathe, symmetry and its unfolding.
#include "cli/apply.h"

namespace zarni::cli {

std::map<std::string, OpHandler> ShapeOperations() { return {}; }

}  // namespace zarni::cli
