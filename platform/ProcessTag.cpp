#include "platform/ProcessTag.h"

#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <random>

namespace {

constexpr std::string_view KTagStart = "quirvel-";
constexpr size_t KRandomLength = 6;  // as mkdtemp's XXXXXX

}  // namespace

std::string ProcessTagPrefix() { return std::string(KTagStart) + std::to_string(::getpid()) + "-"; }

std::string NewProcessTag() {
  static constexpr char KLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof KLetters - 2);
  std::string tag = ProcessTagPrefix();
  for (size_t i = 0; i < KRandomLength; ++i) tag += KLetters[pick(random)];
  return tag;
}

pid_t ProcessTagPid(std::string_view Tag) {
  if (Tag.substr(0, KTagStart.size()) != KTagStart) return 0;
  const size_t dash = Tag.find('-', KTagStart.size());
  if (dash == std::string_view::npos || Tag.size() != dash + 1 + KRandomLength) return 0;
  for (size_t i = dash + 1; i < Tag.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(Tag[i]))) return 0;
  long pid = 0;
  const char* first = Tag.data() + KTagStart.size();
  const char* last = Tag.data() + dash;
  const auto [end, error] = std::from_chars(first, last, pid);
  if (error != std::errc() || end != last || first == last || pid <= 0 || pid > INT_MAX) return 0;
  return static_cast<pid_t>(pid);
}

bool ProcessGone(pid_t Pid) { return Pid != ::getpid() && ::kill(Pid, 0) != 0 && errno == ESRCH; }
