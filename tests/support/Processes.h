#pragma once
// Real processes for the tests of several writers at once (POSIX only): start a built
// program, wait for it, and kill it.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

extern char** environ;

namespace kitrova::testing {

// Starts `program` with `args`, its output thrown away and its errors into `errorFile`;
// returns its pid (-1: not started).
inline pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& errorFile = "/dev/null") {
  std::vector<char*> argv;
  std::string name = program;
  argv.push_back(name.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status of `pid`, or -1 when it did not exit normally.
inline int WaitForProgram(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

inline int RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& errorFile = "/dev/null") {
  const pid_t pid = StartProgram(program, args, errorFile);
  return pid < 0 ? -1 : WaitForProgram(pid);
}

inline void KillProgram(pid_t pid) {
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
}

}  // namespace kitrova::testing
