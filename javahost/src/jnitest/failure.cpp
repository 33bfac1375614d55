#include "jnitest/failure.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace brevan::jnitest {
namespace {

void printToStderr(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
}

std::atomic<FailureHandler> currentHandler{&printToStderr};

}  // namespace

FailureHandler setFailureHandler(FailureHandler handler) {
  return currentHandler.exchange(handler != nullptr ? handler : &printToStderr);
}

void fail(const std::string& message) {
  currentHandler.load()(message);
  std::abort();
}

}  // namespace brevan::jnitest
