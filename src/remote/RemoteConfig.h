#pragma once

#include <QString>

namespace melvanta {

class ProfileFile;
class ProfileReader;

// The network remote as the profile file keeps it (section "Remote"): off
// until the operator turns it on, on port 4080, listening on every address
// or on this machine only.
struct RemoteConfig
{
    bool enabled = false;
    int port = kDefaultPort;
    bool loopbackOnly = false;

    static constexpr int kDefaultPort = 4080;
    static constexpr int kLowestPort = 1024;
    static constexpr int kHighestPort = 65535;

    // A value that is missing or not understood reads as its default.
    static RemoteConfig read(const ProfileReader& profile);
    bool write(ProfileFile& profile) const;
    // The port typed into the settings, or -1 when it is not one the remote may use.
    static int parsePort(const QString& text);
};

} // namespace melvanta
