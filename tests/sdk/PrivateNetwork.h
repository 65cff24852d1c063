#pragma once

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

// Multicast discovery: run as root, a test calling this first in main() restarts itself in a network
// namespace of its own (`unshare -n`) whose loopback carries the group; inPrivateNetwork() then says so.
inline constexpr char kPrivateNetworkMark[] = "KVAB_ONVIF_NETNS";

inline bool inPrivateNetwork() {
    return std::getenv(kPrivateNetworkMark) != nullptr;
}

inline void enterPrivateNetwork(int argc, char** argv) {
    if (geteuid() != 0 || inPrivateNetwork())
        return;
    // A container may forbid namespaces even to root: then the cases skip instead of failing.
    if (std::system("unshare -n true >/dev/null 2>&1") != 0) {
        std::fprintf(stderr,
                     "no private network namespace here (unshare -n refused): discovery cases skip\n");
        return;
    }
    setenv(kPrivateNetworkMark, "1", 1);
    std::vector<char*> args{
        const_cast<char*>("unshare"), const_cast<char*>("-n"), const_cast<char*>("sh"),
        const_cast<char*>("-c"),
        const_cast<char*>("ip link set lo up multicast on && "
                          "ip route add 239.255.255.250/32 dev lo && exec \"$0\" \"$@\"")};
    for (int i = 0; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp("unshare", args.data());
    std::perror("unshare"); // runs on outside: the cases skip
    unsetenv(kPrivateNetworkMark);
}
