// CamProbe's rules that need no Windows: the test number of the command line, the previous
// choice in "CamProbe.txt", the order in which drivers are tried, and the result file's text.
#pragma once

#include <functional>
#include <string>

namespace brevan::camprobe {

constexpr int kNone = -1;
constexpr int kHighestIndex = 10;  // indexes 10 down to 0 are tried

// The first decimal number after the program's own name; kNone when there is none or it does
// not fit an int.
int testNumberOf(const std::string& commandLine);

// The value of the first "cameraDriverIndex ... =" line of the file's text (read in pieces of at
// most 255 bytes, as lines of a 256-byte buffer); kNone without one, without a number, or when
// the number is not a driver index 0 to 9.
int previousChoiceOf(const std::string& fileText);

// The previous choice when it still has a description and probes well; otherwise the first of
// 10 down to 0 that does; kNone when none does.
int chooseDriver(int previous, const std::function<bool(int)>& described,
                 const std::function<bool(int)>& probes);

// One "%s = %d\r\n" line; the file holds each as written through a text-mode stream, so its
// line ends are "\r\r\n".
std::string resultLine(const char* key, int value);
std::string resultFileText(int testNumber, int driver);

}  // namespace brevan::camprobe
