// Runs a command-line tool of the deliverables folder as a user would, with a time limit, its
// output in files: a hung tool costs one test, not the run.
#pragma once

#include <string>
#include <vector>

namespace brevan::testsupport {

struct ToolRun {
  int status = -1;  // the exit status; -1 when the tool was killed or could not start
  std::string out;  // what it printed on stdout
  std::string err;  // and on stderr
};

// `program` with `args` (each passed as one argument), killed after `limitSeconds`. The output
// files go to `scratchDir`.
ToolRun runTool(const std::string& program, const std::vector<std::string>& args,
                const std::string& scratchDir, int limitSeconds = 60);

}  // namespace brevan::testsupport
