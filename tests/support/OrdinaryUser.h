// Lets a test that runs as root meet file permissions as an ordinary user meets them: while an
// OrdinaryUser lives, the calling thread works without root's power to pass over them (the
// capabilities are the thread's own, so Qt's other threads keep theirs). For a test run by an ordinary
// user nothing changes.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, saved_, sizeof reduced);
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~OrdinaryUser()
    {
        if (dropped_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};
