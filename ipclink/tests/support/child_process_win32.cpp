#include "child_process_win32.h"

#include <cstdio>
#include <fstream>

namespace ipclink::test {

std::string programDirectory() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    return full.substr(0, full.find_last_of("\\/"));
}

std::string scratchPath(const std::string& name) {
    std::string path = programDirectory() + "\\ipclink-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    DeleteFileA(path.c_str());
    return path;
}

std::string uniqueId(const std::string& prefix) { return prefix + std::to_string(GetCurrentProcessId()); }

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
    std::string path = programDirectory() + "\\" + program;
    std::string command = "\"" + path + "\"";
    for (const auto& argument : arguments) command += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        brevan::win32::ScopedHandle(info.hThread).close();
        process_.reset(info.hProcess);
    }
}

ChildProcess::~ChildProcess() {
    kill();
}

int ChildProcess::wait(DWORD limitMs) {
    if (!process_) return -1;
    if (WaitForSingleObject(process_.get(), limitMs) != WAIT_OBJECT_0) {
        kill();
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<int>(code);
}

bool ChildProcess::running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

void ChildProcess::kill() {
    if (running()) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::map<std::string, std::string> readReport(const std::string& path) {
    std::map<std::string, std::string> values;
    for (const auto& line : readLines(path)) {
        size_t space = line.find(' ');
        if (space != std::string::npos) values[line.substr(0, space)] = line.substr(space + 1);
    }
    return values;
}

bool waitForLine(const std::string& path, const std::string& line, DWORD limitMs) {
    DWORD started = GetTickCount();
    do {
        for (const auto& l : readLines(path))
            if (l == line) return true;
        Sleep(50);
    } while (GetTickCount() - started < limitMs);
    return false;
}

bool waitForFile(const std::string& path, DWORD limitMs) {
    DWORD started = GetTickCount();
    while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - started > limitMs) return false;
        Sleep(50);
    }
    return true;
}

void touch(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (f) std::fclose(f);
}

}  // namespace ipclink::test
