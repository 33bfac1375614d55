// The operations on deltas, over readers and a writer; each throws DeltaError when its input is
// malformed (an operation outside its files, a delta without end code) or a file fails. The
// caller owns the readers and the writer; the result of an operation is the writer's count.
#pragma once

#include "buffered_reader.h"
#include "buffered_writer.h"
#include "delta_format.h"

namespace brevan::delta {

// Prints "ERROR: bad code in delta at %d\n" on standard output.
void printBadCode(int64_t positionAfter);

// Writes the file that delta makes from base.
void applyDelta(BufferedReader& base, BufferedReader& delta, BufferedWriter& out,
                OperationReader::BadCode onBadCode = printBadCode);

// Writes one delta equal to applying first (X to Y) and then second (Y to Z).
void joinDeltas(BufferedReader& first, BufferedReader& second, BufferedWriter& out);

// Writes a delta that turns the file delta makes from base back into base.
void invertDelta(BufferedReader& base, BufferedReader& delta, BufferedWriter& out);

// Writes a delta that turns base into target.
void buildDelta(BufferedReader& target, BufferedReader& base, BufferedWriter& out);

}  // namespace brevan::delta
