#include "testsupport/tool_run_posix.h"

#include <sys/wait.h>

#include <cstdlib>

#include "testsupport/files.h"

namespace brevan::testsupport {

namespace {

// One shell word: single quotes, with each single quote closed, escaped and reopened.
std::string quoted(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string text(const std::string& path) {
  const Bytes bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

ToolRun runTool(const std::string& program, const std::vector<std::string>& args,
                const std::string& scratchDir, int limitSeconds) {
  const std::string outPath = scratchDir + "/tool-stdout.txt";
  const std::string errPath = scratchDir + "/tool-stderr.txt";
  std::string command = "timeout -k 5 " + std::to_string(limitSeconds) + " " + quoted(program);
  for (const std::string& arg : args) command += " " + quoted(arg);
  command += " >" + quoted(outPath) + " 2>" + quoted(errPath);
  const int status = std::system(command.c_str());
  ToolRun run;
  // timeout's own 124 / 137 mean the tool was killed.
  if (WIFEXITED(status) && WEXITSTATUS(status) != 124 && WEXITSTATUS(status) != 137)
    run.status = WEXITSTATUS(status);
  run.out = text(outPath);
  run.err = text(errPath);
  return run;
}

}  // namespace brevan::testsupport
