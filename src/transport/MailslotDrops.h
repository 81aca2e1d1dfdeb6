#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

// Tells the user how many datagrams the listening slot dropped, under load or refused: at the
// first, then at most once a minute while the number grows, so a flood neither goes unnoticed nor
// floods the output in turn.
class MailslotDrops {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kInterval{60};
    // Why the messages counted were lost.
    enum class Why { TooFast, NamesTooLong };
    explicit MailslotDrops(Why why = Why::TooFast) : why_(why) {}

    // The line to show now, or nothing.
    std::optional<QString> Check(std::uint64_t dropped, Clock::time_point now = Clock::now());

private:
    Why why_;
    std::uint64_t shown_ = 0;
    std::optional<Clock::time_point> last_;
};
