#pragma once

namespace brevan::spatial {

// How a coding stage ended: tooLarge when its output would pass the limit
// it was given, badInput when the coded form itself is malformed.
enum class CodecStatus { ok, badInput, tooLarge };

}  // namespace brevan::spatial
