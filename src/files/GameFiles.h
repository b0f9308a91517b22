// Names of the two game files, looked up in the working directory.
#pragma once

namespace fiverow {

inline constexpr const char* kPositionFileName = "Plocha.dat";
inline constexpr const char* kTurnFileName = "Tah.dat";

}  // namespace fiverow
