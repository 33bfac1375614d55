// Files named by UTF-16 strings as Java passes them: opened by their wide names on Windows and by
// their UTF-8 names elsewhere. An input file stays open for the whole operation, so the bytes it
// gives are those of the file that was opened even if the name is reused meanwhile.
#pragma once

#include <memory>
#include <string>

#include "byte_io.h"

namespace brevan::delta {

using FileName = std::u16string;

class OutputFile : public ByteSink {
 public:
  // Makes sure everything appended is in the file; false if it is not.
  virtual bool close() = 0;
};

// nullptr when the file cannot be opened for reading.
std::unique_ptr<ByteSource> openInputFile(const FileName& name);

// Deletes the file of that name and creates it anew, empty; nullptr when either fails.
std::unique_ptr<OutputFile> createOutputFile(const FileName& name);

void removeFile(const FileName& name);

}  // namespace brevan::delta
