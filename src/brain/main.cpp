// pbrain-fiverow: fiverow's move chooser over the line protocol that gomoku
// managers speak on standard input and output, one process per game.
#include "brain/Serve.h"
#include "runtime/Console.h"

int main() {
  // A manager that has gone makes the next write fail; the brain then ends
  // quietly with status 0.
  fiverow::KeepWriteFailuresAsErrors();
  fiverow::brain::Serve(fiverow::ReadFromStandardInput, fiverow::WriteToStandardOutput);
  return 0;
}
