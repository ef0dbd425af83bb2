// SPDX-License-Identifier: GPL-3.0-or-later
// The helper's sandbox on Linux: Landlock makes everything but the allowed
// folders read-only (with the ABI this kernel offers) and refuses TCP where
// its ABI has network rules; a seccomp filter refuses Internet sockets of
// any kind whatever Landlock offers; an address-space limit bounds memory.
// Landlock's constants are written out here: they are a stable kernel ABI,
// and the C library's headers may be older than the kernel.
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "check/private_folder.h"
#include "check/sandbox.h"

#ifndef SYS_landlock_create_ruleset
#define SYS_landlock_create_ruleset 444
#define SYS_landlock_add_rule 445
#define SYS_landlock_restrict_self 446
#endif

namespace clipquill {
namespace {

constexpr std::uint32_t kCreateRulesetVersion = 1u << 0;
constexpr int kRulePathBeneath = 1;

// Access rights to files (ABI 1, REFER from 2, TRUNCATE from 3).
constexpr std::uint64_t kWriteFile = 1ull << 1;
constexpr std::uint64_t kWriteAbi1 = kWriteFile | (1ull << 4) /* REMOVE_DIR */ |
                                     (1ull << 5) /* REMOVE_FILE */ | (1ull << 6) /* MAKE_CHAR */ |
                                     (1ull << 7) /* MAKE_DIR */ | (1ull << 8) /* MAKE_REG */ |
                                     (1ull << 9) /* MAKE_SOCK */ | (1ull << 10) /* MAKE_FIFO */ |
                                     (1ull << 11) /* MAKE_BLOCK */ | (1ull << 12) /* MAKE_SYM */;
constexpr std::uint64_t kRefer = 1ull << 13;
constexpr std::uint64_t kTruncate = 1ull << 14;
// Network rights (ABI 4): binding and connecting TCP ports.
constexpr std::uint64_t kNetTcp = (1ull << 0) | (1ull << 1);

struct RulesetAttr {
  std::uint64_t handledFs;
  std::uint64_t handledNet;
};

struct [[gnu::packed]] PathBeneathAttr {
  std::uint64_t allowed;
  std::int32_t parentFd;
};

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool noNewPrivileges() {
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

// Landlock: every handled write right is refused except beneath the
// folders allowed. Reading and running stay as they are.
void confineFiles(const SandboxRules& rules, SandboxState& state, std::string& why) {
  const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
  if (abi < 1) {
    why =
        errno == EOPNOTSUPP ? "Landlock is disabled in this kernel" : "this kernel has no Landlock";
    return;
  }
  std::uint64_t writes = kWriteAbi1;
  if (abi >= 2) writes |= kRefer;
  if (abi >= 3) writes |= kTruncate;
  RulesetAttr attr{writes, abi >= 4 ? kNetTcp : 0};
  const std::size_t attrSize = abi >= 4 ? sizeof attr : sizeof attr.handledFs;
  Fd ruleset(static_cast<int>(::syscall(SYS_landlock_create_ruleset, &attr, attrSize, 0)));
  if (ruleset.get() < 0) {
    why = std::string("Landlock refused a ruleset: ") + std::strerror(errno);
    return;
  }
  std::vector<std::string> allowed = rules.writableFolders;
  // Output that goes nowhere stays allowed; it is no place to keep anything.
  allowed.emplace_back("/dev/null");
  for (const std::string& path : allowed) {
    Fd target(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (target.get() < 0) continue;
    struct stat st {};
    if (::fstat(target.get(), &st) != 0) continue;
    // A file takes only the rights a file has.
    PathBeneathAttr rule{S_ISDIR(st.st_mode) ? writes : writes & (kWriteFile | kTruncate),
                         target.get()};
    ::syscall(SYS_landlock_add_rule, ruleset.get(), kRulePathBeneath, &rule, 0);
  }
  if (::syscall(SYS_landlock_restrict_self, ruleset.get(), 0) != 0) {
    why = std::string("Landlock refused to confine the check: ") + std::strerror(errno);
    return;
  }
  state.files = true;
}

// seccomp: socket(2) for IPv4 and IPv6 fails with EACCES (and io_uring,
// which could make sockets past the filter, is not there). Other socket
// families stay: the helper talks to the checker over a Unix socket.
bool refuseInternetSockets() {
#if defined(__x86_64__)
  constexpr std::uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
  constexpr std::uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
  return false;
#endif
  constexpr std::uint32_t kDeny = SECCOMP_RET_ERRNO | (EACCES & SECCOMP_RET_DATA);
  constexpr std::uint32_t kAbsent = SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA);
  // The syscall's first argument, its low half on a little-endian machine.
  constexpr std::uint32_t kArg0 = offsetof(seccomp_data, args);
  sock_filter filter[] = {
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
    BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
#if defined(__x86_64__)
    // The x32 numbers reach the same calls by other names.
    BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000u, 0, 1),
    BPF_STMT(BPF_RET | BPF_K, kAbsent),
#endif
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_io_uring_setup, 0, 1),
    BPF_STMT(BPF_RET | BPF_K, kAbsent),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 0, 4),
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kArg0),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_INET, 1, 0),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_INET6, 0, 1),
    BPF_STMT(BPF_RET | BPF_K, kDeny),
    BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
}

// Address sanitizer reserves terabytes of address space up front: a
// sanitized helper keeps no memory bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceReserved = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSpaceReserved = true;
#else
constexpr bool kAddressSpaceReserved = false;
#endif
#else
constexpr bool kAddressSpaceReserved = false;
#endif

}  // namespace

SandboxState enterSandbox(const SandboxRules& rules) {
  SandboxState state;
  std::vector<std::string> unconfined;
  if (!noNewPrivileges()) {
    state.unconfined = std::string("the check runs unconfined: ") + std::strerror(errno);
    return state;
  }
  std::string why;
  confineFiles(rules, state, why);
  if (!state.files) unconfined.push_back(why + ": scripts may write anywhere you may");
  state.network = refuseInternetSockets();
  if (!state.network) unconfined.emplace_back("scripts may open network sockets");
  if (rules.memoryBytes > 0 && !kAddressSpaceReserved) {
    const rlimit limit{rules.memoryBytes, rules.memoryBytes};
    state.memory = ::setrlimit(RLIMIT_AS, &limit) == 0;
  }
  for (std::size_t i = 0; i < unconfined.size(); ++i)
    state.unconfined += (i == 0 ? "the check runs unconfined: " : "; ") + unconfined[i];
  return state;
}

std::string makeTemporaryFolder(const std::string& prefix) {
  return makePrivateFolder(prefix, FolderBase::Temporary);
}

void setTemporaryFolder(const std::string& folder) {
  ::setenv("TMPDIR", folder.c_str(), 1);
}

std::uint64_t defaultMemoryBound() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4;
}

}  // namespace clipquill
