// The whole document as JSON, for `zarni-cli info`.
#pragma once

#include <string>

#include "model/document.h"

namespace zarni::cli {

// Names are converted from Shift_JIS to UTF-8; floats are written with enough digits to
// read back the same value.
std::string DocumentJson(const Document& doc, const EditSwitches& sw);

}  // namespace zarni::cli
