#pragma once

// While alive, the test process acts as an ordinary user (uid 65534) when it
// runs as root, as CI does: root reads every file and deletes from folders it
// may not write, so refusals of the system are only seen this way.

#include <QtGlobal>
#include <unistd.h>

class AsOrdinaryUser {
public:
    AsOrdinaryUser() : root_(::geteuid() == 0) {
        if (root_ && ::seteuid(65534) != 0)
            qFatal("cannot act as an ordinary user");
    }
    ~AsOrdinaryUser() {
        if (root_ && ::seteuid(0) != 0)
            qFatal("cannot act as root again");
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool root_;
};
