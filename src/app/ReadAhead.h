#pragma once

#include <functional>
#include <thread>

// Reads on the second core, while Qt starts, what the first window will wait for: the settings
// file (the job given) and then fontconfig's configuration, whose first use parses dozens of
// files and caches. Whatever asks for either later finds it ready.
class ReadAhead {
public:
    explicit ReadAhead(std::function<void()> job);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

private:
    std::thread thread_;
};
