#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.h"

namespace testing_io {
namespace {

constexpr DWORD kPatienceMs = 20000;

void check(bool ok, const char* what) {
  if (!ok)
    throw std::runtime_error(std::string(what) + ": error " + std::to_string(GetLastError()));
}

// CreateProcess wants a Windows path; under Wine the build hands us a POSIX
// one, which Wine's drive Z: maps.
std::string windows_path(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

HANDLE open_inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE h = CreateFileA(windows_path(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  check(h != INVALID_HANDLE_VALUE, "CreateFile");
  return h;
}

// A pipe whose child end is inheritable and whose test end is not.
void make_pipe(HANDLE* child_end, HANDLE* test_end, bool child_reads) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  check(CreatePipe(&read_end, &write_end, &inherit, 0) != 0, "CreatePipe");
  *child_end = child_reads ? read_end : write_end;
  *test_end = child_reads ? write_end : read_end;
  SetHandleInformation(*test_end, HANDLE_FLAG_INHERIT, 0);
}

struct TemporaryFiles {
  ~TemporaryFiles() {
    for (const std::string& path : paths) DeleteFileA(path.c_str());
  }
  std::vector<std::string> paths;
};
TemporaryFiles temporary_files;

}  // namespace

struct ChildProcess::Impl {
  HANDLE process = nullptr;
  HANDLE input = nullptr;   // the test's end of the child's stdin pipe
  HANDLE output = nullptr;  // the test's end of the child's stdout pipe
  HANDLE errors = nullptr;  // the test's end of the child's stderr pipe

  // Reads what is there; false once the output has ended or time ran out.
  bool read_some(std::string& received) const {
    if (output == nullptr) return false;
    for (DWORD waited = 0; waited < kPatienceMs; waited += 5) {
      DWORD available = 0;
      if (PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr) == 0) return false;
      if (available > 0) {
        char buffer[4096];
        DWORD n = 0;
        const DWORD wanted = available < sizeof buffer ? available : sizeof buffer;
        if (ReadFile(output, buffer, wanted, &n, nullptr) == 0 || n == 0) return false;
        received.append(buffer, n);
        return true;
      }
      Sleep(5);
    }
    return false;
  }
};

ChildProcess::ChildProcess(const std::string& program, const StdinFrom& stdin_from,
                           const StdoutTo& stdout_to)
    : impl_(new Impl) {
  HANDLE child_in = nullptr;
  HANDLE child_out = nullptr;
  switch (stdin_from.kind) {
    case StdinFrom::kPipe:
      make_pipe(&child_in, &impl_->input, true);
      break;
    case StdinFrom::kFile:
      child_in = open_inheritable(stdin_from.path, GENERIC_READ, OPEN_EXISTING);
      break;
    case StdinFrom::kClosed:
      break;
  }
  switch (stdout_to.kind) {
    case StdoutTo::kPipe:
      make_pipe(&child_out, &impl_->output, false);
      break;
    case StdoutTo::kFile:
      child_out = open_inheritable(stdout_to.path, GENERIC_WRITE, OPEN_EXISTING);
      break;
    case StdoutTo::kClosed:
      break;
    default:
      throw std::runtime_error("standard output kind not supported on Windows");
  }

  HANDLE child_err = nullptr;
  make_pipe(&child_err, &impl_->errors, false);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_in;
  startup.hStdOutput = child_out;
  startup.hStdError = child_err;
  PROCESS_INFORMATION info{};
  std::string command_line = "\"" + windows_path(program) + "\"";
  const BOOL started = CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &info);
  if (child_in != nullptr) CloseHandle(child_in);
  if (child_out != nullptr) CloseHandle(child_out);
  CloseHandle(child_err);
  check(started != 0, "CreateProcess");
  CloseHandle(info.hThread);
  impl_->process = info.hProcess;
}

ChildProcess::~ChildProcess() {
  if (WaitForSingleObject(impl_->process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(impl_->process, 1);
    WaitForSingleObject(impl_->process, kPatienceMs);
  }
  CloseHandle(impl_->process);
  if (impl_->input != nullptr) CloseHandle(impl_->input);
  if (impl_->output != nullptr) CloseHandle(impl_->output);
  CloseHandle(impl_->errors);
}

void ChildProcess::write_input(std::string_view bytes) {
  check(impl_->input != nullptr, "write_input without a pipe");
  DWORD written = 0;
  check(WriteFile(impl_->input, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                  nullptr) != 0 &&
            written == bytes.size(),
        "WriteFile");
}

void ChildProcess::close_input() {
  if (impl_->input != nullptr) CloseHandle(impl_->input);
  impl_->input = nullptr;
}

void ChildProcess::close_output() {
  if (impl_->output != nullptr) CloseHandle(impl_->output);
  impl_->output = nullptr;
}

std::string ChildProcess::error_output() {
  wait_for_exit();
  std::string text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(impl_->errors, buffer, sizeof buffer, &n, nullptr) != 0 && n > 0) {
    text.append(buffer, n);
  }
  return text;
}

bool ChildProcess::read_some() { return impl_->read_some(received_); }

// A member for the interface's sake; Windows has no signals to send.
// NOLINTNEXTLINE(readability-convert-member-functions-to-static)
void ChildProcess::send_signal(int /*signal*/) {
  throw std::runtime_error("signals are not supported on Windows");
}

bool ChildProcess::still_running_after(int milliseconds) {
  return WaitForSingleObject(impl_->process, static_cast<DWORD>(milliseconds)) == WAIT_TIMEOUT;
}

int ChildProcess::wait_for_exit() {
  if (WaitForSingleObject(impl_->process, kPatienceMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(impl_->process, &code);
  return static_cast<int>(code);
}

std::string temporary_file(std::string_view bytes) {
  char directory[MAX_PATH];
  char path[MAX_PATH];
  check(GetTempPathA(MAX_PATH, directory) != 0, "GetTempPath");
  check(GetTempFileNameA(directory, "qvs", 0, path) != 0, "GetTempFileName");
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  check(file != INVALID_HANDLE_VALUE, "CreateFile");
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  check(ok != 0 && written == bytes.size(), "WriteFile");
  temporary_files.paths.emplace_back(path);
  return path;
}

}  // namespace testing_io
