// A quick look at a message's text before it is parsed: the read thread must parse a message
// itself when the router service may have sent it (to read its source); any other message may
// be left to its delivery thread, so the read thread goes straight back to the pipe.
#pragma once

namespace brevan::ipclink {

// False only when the text cannot hold a SOURCE_ID of "BrevanService" in any letter case: no
// stretch of 13 characters spells it (ASCII letters in either case; a non-ASCII character may
// stand for any letter, as a case-insensitive compare may fold it) and there is no '&' (an
// entity or character reference could spell it).
bool mayComeFromService(const char16_t* text);

}  // namespace brevan::ipclink
