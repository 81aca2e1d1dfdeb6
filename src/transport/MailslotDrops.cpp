#include "transport/MailslotDrops.h"

using namespace Qt::StringLiterals;

std::optional<QString> MailslotDrops::Check(std::uint64_t dropped, Clock::time_point now) {
    if (dropped <= shown_ || (last_ && now - *last_ < kInterval)) {
        return std::nullopt;
    }
    shown_ = dropped;
    last_ = now;
    return (why_ == Why::TooFast
                ? u"%1 incoming messages dropped so far: they arrived faster than they can be shown."_s
                : u"%1 incoming messages refused so far: they named a sender or recipient longer "
                  "than any name can be."_s)
        .arg(dropped);
}
