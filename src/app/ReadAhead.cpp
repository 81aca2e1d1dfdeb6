#include "app/ReadAhead.h"

#include <fontconfig/fontconfig.h>

ReadAhead::ReadAhead(std::function<void()> job)
    : thread_([job = std::move(job)] {
          job();
          FcInit();
      }) {}

ReadAhead::~ReadAhead() {
    thread_.join();
}
