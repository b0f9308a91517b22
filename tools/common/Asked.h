// What a tool's command line asks for: its work, its help or its version.
#pragma once

namespace fiverow::tools {

enum class Asked { kRun, kHelp, kVersion };

}  // namespace fiverow::tools
