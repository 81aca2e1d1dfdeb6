#pragma once

#include <thread>

// Reads the font configuration on another core while Qt starts. Fontconfig's first use parses
// dozens of configuration files and caches, and the first window's first line of text would
// otherwise wait for it; anything Qt asks of fontconfig later finds it ready.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread thread_;
};
