// SPDX-License-Identifier: GPL-3.0-or-later
// An AviSynth+ plugin of the tests that does what a hostile one would: its
// function OpenSocket(clip) opens an Internet socket and connects it to this
// machine's port 9, and fails with the system's words when it cannot. In
// the check's sandbox it must fail.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <avisynth.h>

const AVS_Linkage* AVS_linkage = nullptr;

namespace {

AVSValue __cdecl openSocket(AVSValue args, void*, IScriptEnvironment* env) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) env->ThrowError("OpenSocket: no socket: %s", std::strerror(errno));
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int connected = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
  const int error = errno;
  ::close(fd);
  // Refused by the port is fine: the socket was there to try.
  if (connected != 0 && error != ECONNREFUSED) {
    env->ThrowError("OpenSocket: no connection: %s", std::strerror(error));
  }
  return args[0];
}

}  // namespace

extern "C" const char* __stdcall AvisynthPluginInit3(IScriptEnvironment* env,
                                                     const AVS_Linkage* const vectors) {
  AVS_linkage = vectors;
  env->AddFunction("OpenSocket", "c", openSocket, nullptr);
  return "OpenSocket, a plugin of Clipquill's tests";
}
