#pragma once

#include <QString>

namespace platform::netbios {

// A kind of message that cannot reach this machine's listener now, and why, for standard error.
struct ListeningGap {
    enum class Lost { DirectDatagrams, Broadcasts, Sessions, NameQueries };
    Lost lost;
    QString why;

    bool operator==(const ListeningGap&) const = default;
};

}  // namespace platform::netbios
