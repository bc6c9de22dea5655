#pragma once

#include <QString>

namespace melvanta {

class RegistryStore;

// The control key of the network remote: 128 random bits written as 22
// base64url characters, kept in the per-user store. Whoever holds it may
// drive the clock; views need none.
class RemoteKey
{
public:
    // The stored key, made and stored first when there is none (or the
    // stored one is not a key).
    static QString current(RegistryStore& store);
    // A new key replaces the old one at once.
    static QString renew(RegistryStore& store);
    // Whether `presented` is `key`, compared in constant time.
    static bool matches(const QString& key, const QString& presented);
    static bool isWellFormed(const QString& key);

    static constexpr int kLength = 22;
};

} // namespace melvanta
